#include "output/DelimitedText.h"

#include "output/DeviceSink.h"

namespace tagmill {

void CommaDelimitedLines::appendHeader(std::string& out, const QStringList& headers) const {
    if (m_columnCount <= 1)
        return;
    for (const QString& header : headers) {
        appendUtf8(out, header);
        out += ',';
    }
    out += "\r\n";
}

namespace {

// With one column, what ends the line of a row that another follows, written with that other.
constexpr std::string_view LineBeforeARow = ",\r\n";

} // namespace

void CommaDelimitedLines::appendRow(std::string& out, std::span<const std::string_view> cells) {
    if (m_columnCount <= 1 && !m_anyRow)
        out.append(cells.front());
    else
        appendFollowingRow(out, cells);
    m_anyRow = true;
}

void CommaDelimitedLines::appendFollowingRow(std::string& out,
                                             std::span<const std::string_view> cells) const {
    if (m_columnCount <= 1) {
        // The previous line gets its comma now that a row follows it.
        out += LineBeforeARow;
        out.append(cells.front());
    } else {
        for (std::size_t column = 0; column < cells.size(); ++column) {
            if (column > 0)
                out += ',';
            out.append(cells[column]);
        }
        out += "\r\n";
    }
}

std::string_view CommaDelimitedLines::joinRows(std::string_view rows) {
    if (rows.empty())
        return rows;
    // Every row with one column begins with LineBeforeARow, so a row is there to give it up.
    if (m_columnCount <= 1 && !m_anyRow)
        rows.remove_prefix(LineBeforeARow.size());
    m_anyRow = true;
    return rows;
}

void CommaDelimitedLines::finish(std::string& out) const {
    if (m_columnCount <= 1 && m_anyRow)
        out += "\r\n";
}

bool SaveListviewAsCommaDelimToFile(const ResultsSnapshot& table, QIODevice& device,
                                    std::stop_token stop) {
    const int columns = table.columnCount();
    QStringList headers;
    for (int column = 0; column < columns; ++column)
        headers.append(table.header(column));
    CommaDelimitedLines lines(columns);
    DeviceSink sink(device, stop);
    lines.appendHeader(sink.out(), headers);
    table.forEachRow(0, [&](const ResultsSnapshot::Row& row) {
        lines.appendRow(sink.out(), std::span(row.cells, std::size_t(columns)));
        return sink.flushIfFull();
    });
    lines.finish(sink.out());
    return sink.finish();
}

bool writeTabDelimited(const ResultsSnapshot& table, QIODevice& device, std::stop_token stop) {
    const TabDelimitedLine line;
    DeviceSink sink(device, stop);
    table.forEachRow(0, [&](const ResultsSnapshot::Row& row) {
        line.appendRow(sink.out(), row.cells[0]);
        return sink.flushIfFull();
    });
    line.finish(sink.out());
    return sink.finish();
}

} // namespace tagmill
