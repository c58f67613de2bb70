#pragma once

#include "engine/ResultsSnapshot.h"

#include <QIODevice>

#include <stop_token>

namespace tagmill {

/// Writes the aligned text report: a header line, then one line per ticked row. Every cell is
/// filled out with spaces to its column's width (the longest header or cell of the column,
/// ticked or not, in UTF-16 units) and followed by a TAB; lines end with CR LF. UTF-8, no
/// byte-order mark. False when a write failed or the writer was stopped.
bool SaveListviewProperlySpaced(const ResultsSnapshot& table, QIODevice& device,
                                std::stop_token stop = {});

} // namespace tagmill
