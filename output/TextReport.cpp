#include "output/TextReport.h"

#include "engine/Utf16Length.h"
#include "output/DeviceSink.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <thread>
#include <vector>

namespace tagmill {

namespace {

constexpr qsizetype BatchRows = 32768;

std::vector<qsizetype> columnWidths(const ResultsSnapshot& table) {
    std::vector<qsizetype> widths;
    for (int column = 0; column < table.columnCount(); ++column)
        widths.push_back(std::max(table.header(column).size(), table.longestCell(column)));
    return widths;
}

// The spaces a cell needs to fill its column. Rows of one file share their path's bytes, so
// the path's length is counted once per file, not once per row.
class Fill {
public:
    std::size_t of(std::string_view text, qsizetype width) {
        if (text.data() != m_last.data() || text.size() != m_last.size()) {
            m_last = text;
            m_length = utf16Length(text);
        }
        return std::size_t(std::max<qsizetype>(0, width - m_length));
    }

private:
    std::string_view m_last;
    qsizetype m_length = 0;
};

// One line: each cell, its fill and a TAB, then CR LF. The line is laid down as spaces first,
// so the fills need no writing of their own.
void appendLine(std::string& out, std::span<const std::string_view> cells,
                std::span<const std::size_t> fills) {
    std::size_t length = 2;
    for (std::size_t c = 0; c < cells.size(); ++c)
        length += cells[c].size() + fills[c] + 1;
    const std::size_t start = out.size();
    out.append(length, ' ');
    char* at = out.data() + start;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        std::memcpy(at, cells[c].data(), cells[c].size());
        at += cells[c].size() + fills[c];
        *at++ = '\t';
    }
    at[0] = '\r';
    at[1] = '\n';
}

// Lays out the lines of the ticked rows among count rows from first.
class LineLayout {
public:
    LineLayout(const ResultsSnapshot& table, std::vector<qsizetype> widths)
        : m_table(table), m_widths(std::move(widths)) {}

    void appendRows(std::string& out, qsizetype first, qsizetype count) const {
        const auto columns = std::size_t(m_table.columnCount());
        std::array<Fill, 2> fill;
        std::array<std::size_t, 2> fills{};
        m_table.forEachRow(first, [&](const ResultsSnapshot::Row& row) {
            if (row.ticked) {
                for (std::size_t c = 0; c < columns; ++c)
                    fills[c] = fill[c].of(row.cells[c], m_widths[c]);
                appendLine(out, std::span(row.cells, columns), std::span(fills.data(), columns));
            }
            return --count > 0;
        });
    }

private:
    const ResultsSnapshot& m_table;
    const std::vector<qsizetype> m_widths;
};

} // namespace

bool SaveListviewProperlySpaced(const ResultsSnapshot& table, QIODevice& device,
                                std::stop_token stop) {
    const auto columns = std::size_t(table.columnCount());
    const std::vector<qsizetype> widths = columnWidths(table);
    std::array<std::string, 2> headers;
    std::array<std::string_view, 2> cells;
    std::array<std::size_t, 2> fills{};
    for (std::size_t c = 0; c < columns; ++c) {
        headers[c] = table.header(int(c)).toStdString();
        cells[c] = headers[c];
        fills[c] = Fill().of(cells[c], widths[c]);
    }
    DeviceSink sink(device, stop);
    appendLine(sink.out(), std::span(cells.data(), columns), std::span(fills.data(), columns));

    // The lines are laid out on two threads, a batch of rows each, and written in order: the
    // report is written only once every row is in, so both cores are free for it.
    const LineLayout layout(table, widths);
    std::string second;
    for (qsizetype first = 0; first < table.rowCount() && sink.ok(); first += 2 * BatchRows) {
        std::thread helper([&] { layout.appendRows(second, first + BatchRows, BatchRows); });
        layout.appendRows(sink.out(), first, BatchRows);
        helper.join();
        sink.put(second);
    }
    return sink.finish();
}

} // namespace tagmill
