#pragma once

#include "engine/ExtractionOption.h"

#include <QString>

namespace tagmill {

/// The text behind the "?" of an option (1 to 4); caption is the option's caption as shown.
QString optionHelpText(ExtractionOption option, const QString& caption);
/// The text behind the "?" beside the tag list.
QString tagEntryHelpText();
/// The text behind "Help".
QString generalHelpText();

} // namespace tagmill
