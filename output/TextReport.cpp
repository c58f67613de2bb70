#include "output/TextReport.h"

#include "output/DeviceSink.h"

#include <algorithm>
#include <vector>

namespace tagmill {

namespace {

std::vector<qsizetype> columnWidths(const ResultsSnapshot& table, const std::stop_token& stop) {
    std::vector<qsizetype> widths;
    for (int column = 0; column < table.columnCount(); ++column) {
        qsizetype width = table.header(column).size();
        for (qsizetype row = 0; row < table.rowCount() && !stop.stop_requested(); ++row)
            width = std::max(width, utf16Length(table.cell(row, column)));
        widths.push_back(width);
    }
    return widths;
}

// A cell longer than its width (the table changed under a writer that reads it live) gets no
// spaces, only its TAB.
void appendCell(std::string& out, std::string_view text, qsizetype width) {
    out.append(text);
    out.append(std::size_t(std::max<qsizetype>(0, width - utf16Length(text))), ' ');
    out += '\t';
}

} // namespace

bool SaveListviewProperlySpaced(const ResultsSnapshot& table, QIODevice& device,
                                std::stop_token stop) {
    const std::vector<qsizetype> widths = columnWidths(table, stop);
    DeviceSink sink(device, stop);
    std::string& out = sink.out();
    for (int column = 0; column < table.columnCount(); ++column)
        appendCell(out, table.header(column).toStdString(), widths[std::size_t(column)]);
    out += "\r\n";
    for (qsizetype row = 0; row < table.rowCount() && sink.flushIfFull(); ++row) {
        if (!table.isTicked(row))
            continue;
        for (int column = 0; column < table.columnCount(); ++column)
            appendCell(out, table.cell(row, column), widths[std::size_t(column)]);
        out += "\r\n";
    }
    return sink.finish();
}

} // namespace tagmill
