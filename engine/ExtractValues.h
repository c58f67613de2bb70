#pragma once

#include "engine/ExtractionOption.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace tagmill {

using DeliverValue = std::function<void(const QString& value)>;
using YieldControl = std::function<void()>;
using ReportFailure = std::function<void(const QString& description)>;

/// Applies one option to one file's text units (blocks for options 1, 2 and 4, lines for
/// option 3) and the tag list, delivering each value in order. Blocks are searched as one
/// continuous text, so an element that crosses a block boundary is still found. `yield` runs
/// before every search step of options 1, 2 and 4; `failure` reports an option-2 element whose
/// opening tag does not end before its closing tag (no value; the search goes on).
void ExtractValues(ExtractionOption option, const QStringList& units, const QStringList& tags,
                   const DeliverValue& deliver, const YieldControl& yield,
                   const ReportFailure& failure);

} // namespace tagmill
