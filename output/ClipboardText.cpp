#include "output/ClipboardText.h"

#include "output/DeviceSink.h"

#include <algorithm>
#include <vector>

namespace tagmill {

namespace {

std::vector<qsizetype> cellWidths(const ResultsSnapshot& table, const std::stop_token& stop) {
    std::vector<qsizetype> widths;
    for (int column = 0; column < table.columnCount(); ++column) {
        qsizetype width = 0;
        for (qsizetype row = 0; row < table.rowCount() && !stop.stop_requested(); ++row)
            width = std::max(width, utf16Length(table.cell(row, column)));
        widths.push_back(width);
    }
    return widths;
}

void appendLine(std::string& out, const ResultsSnapshot& table, qsizetype row,
                const std::vector<qsizetype>& widths) {
    const int last = table.columnCount() - 1;
    for (int column = 0; column < last; ++column) {
        const std::string_view text = table.cell(row, column);
        out.append(text);
        out.append(
            std::size_t(std::max<qsizetype>(0, widths[std::size_t(column)] - utf16Length(text))),
            ' ');
        out += '\t';
    }
    // The last cell loses its trailing spaces; the TAB before it stays.
    std::string_view text = table.cell(row, last);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    out.append(text);
    out += "\r\n";
}

} // namespace

std::optional<QString> clipboardText(const ResultsSnapshot& table, std::stop_token stop) {
    if (table.rowCount() == 0)
        return std::nullopt;
    const std::vector<qsizetype> widths = cellWidths(table, stop);
    std::string out;
    for (qsizetype row = 0; row < table.rowCount() && !stop.stop_requested(); ++row) {
        if (table.isTicked(row))
            appendLine(out, table, row, widths);
    }
    return QString::fromUtf8(out.data(), qsizetype(out.size()));
}

} // namespace tagmill
