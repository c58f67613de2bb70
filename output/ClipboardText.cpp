#include "output/ClipboardText.h"

#include "engine/Utf16Length.h"
#include "textio/TextEncoding.h"

#include <algorithm>
#include <vector>

namespace tagmill {

namespace {

// Headers do not count.
std::vector<qsizetype> cellWidths(const ResultsSnapshot& table) {
    std::vector<qsizetype> widths;
    for (int column = 0; column < table.columnCount(); ++column)
        widths.push_back(table.longestCell(column));
    return widths;
}

void appendLine(std::string& out, const ResultsSnapshot::Row& row, int columns,
                const std::vector<qsizetype>& widths) {
    const int last = columns - 1;
    for (int column = 0; column < last; ++column) {
        const std::string_view text = row.cells[column];
        out.append(text);
        out.append(
            std::size_t(std::max<qsizetype>(0, widths[std::size_t(column)] - utf16Length(text))),
            ' ');
        out += '\t';
    }
    // The last cell loses its trailing spaces; the TAB before it stays.
    std::string_view text = row.cells[last];
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    out.append(text);
    out += "\r\n";
}

} // namespace

std::optional<QString> clipboardText(const ResultsSnapshot& table, std::stop_token stop) {
    if (table.rowCount() == 0)
        return std::nullopt;
    const std::vector<qsizetype> widths = cellWidths(table);
    std::string out;
    table.forEachRow(0, [&](const ResultsSnapshot::Row& row) {
        if (row.ticked)
            appendLine(out, row, table.columnCount(), widths);
        return !stop.stop_requested();
    });
    // Not QString::fromUtf8, which would drop a U+FEFF that starts the first cell.
    return decodeUtf8(QByteArrayView(out.data(), qsizetype(out.size())));
}

} // namespace tagmill
