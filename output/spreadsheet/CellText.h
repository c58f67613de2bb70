#pragma once

#include <QtGlobal>

#include <string>
#include <string_view>

namespace tagmill {

/// The most UTF-16 units a cell holds.
inline constexpr qsizetype kCellTextMax = 32767;

/// A cell's text as handed to libxlsxwriter.
struct CellText {
    std::string utf8;     ///< the text, with what XML cannot carry written as "_xHHHH_"
    qsizetype length = 0; ///< its length in UTF-16 units, as the spreadsheet reads it back
    bool cut = false;     ///< whether the text was cut to fit a cell
};

/// Makes a text ready for a cell: without any "=" when dropEquals, cut on a whole character to
/// what a cell holds, malformed UTF-8 read as U+FFFD, and a literal "_xHHHH_" kept as itself.
CellText cellText(std::string_view utf8, bool dropEquals);

} // namespace tagmill
