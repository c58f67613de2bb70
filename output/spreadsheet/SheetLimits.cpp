#include "output/spreadsheet/SheetLimits.h"

#include <algorithm>

namespace tagmill {

std::uint64_t sheetXmlBound(const ResultsSnapshot& table) {
    constexpr std::uint64_t kMarkup = 100;   // per cell, and per row
    constexpr std::uint64_t kHeader = 65536; // the sheet's own markup and the header row
    std::uint64_t bound = kHeader;
    const qsizetype rows = std::min(table.rowCount(), kSheetRows - 1);
    for (qsizetype row = 0; row < rows; ++row) {
        if (!table.isTicked(row))
            continue;
        bound += kMarkup;
        for (int column = 0; column < table.columnCount(); ++column)
            bound += 7 * table.cell(row, column).size() + kMarkup;
    }
    return bound;
}

} // namespace tagmill
