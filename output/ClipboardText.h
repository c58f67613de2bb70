#pragma once

#include "engine/ResultsSnapshot.h"

#include <QString>

#include <optional>
#include <stop_token>

namespace tagmill {

/// The text "Copy Results To Clipboard" puts on the clipboard: one line per ticked row, no
/// header; each cell but the last filled out with spaces to its column's width (the longest
/// cell of the column over every row, headers not counted) and followed by a TAB; the last cell
/// without its trailing spaces; CR LF after every line. Nothing for a table without rows, which
/// leaves the clipboard as it was; an empty text when no row is ticked.
std::optional<QString> clipboardText(const ResultsSnapshot& table, std::stop_token stop = {});

} // namespace tagmill
