#pragma once

#include "engine/ResultsSnapshot.h"

#include <QIODevice>
#include <QStringList>

#include <span>
#include <stop_token>
#include <string>
#include <string_view>

namespace tagmill {

/// The comma-delimited lines, row by row, so they can also be streamed as rows come. With more
/// than one column: a header line of each header and a comma, then each row's cells joined by
/// commas. With one column: no header, and every row but the last ends with a comma. Nothing is
/// quoted or escaped; lines end with CR LF.
///
/// Rows may also be made apart from the rest, on other threads, and put in place later in order:
/// appendFollowingRow makes each row as it reads after another, and joinRows puts them in place.
class CommaDelimitedLines {
public:
    explicit CommaDelimitedLines(int columnCount) : m_columnCount(columnCount) {}

    void appendHeader(std::string& out, const QStringList& headers) const;
    void appendRow(std::string& out, std::span<const std::string_view> cells);
    /// The row as it reads when a row came before it; const, so any thread may make rows at once.
    void appendFollowingRow(std::string& out, std::span<const std::string_view> cells) const;
    /// Rows made by appendFollowingRow, as they read in their place after the rows so far: the
    /// first row of all gives up what it would end the line before it with. Rows must come in
    /// order; an empty text holds no rows.
    std::string_view joinRows(std::string_view rows);
    /// Ends the last row's line, which waited to learn that it is the last.
    void finish(std::string& out) const;

private:
    int m_columnCount;
    bool m_anyRow = false;
};

/// The tab-delimited line: the first cell of every row, each followed by a TAB, then CR LF.
class TabDelimitedLine {
public:
    void appendRow(std::string& out, std::string_view firstCell) const {
        out.append(firstCell);
        out += '\t';
    }
    void finish(std::string& out) const { out += "\r\n"; }
};

/// Writes every row, ticked or not, as comma-delimited lines. UTF-8, no byte-order mark. False
/// when a write failed or the writer was stopped.
bool SaveListviewAsCommaDelimToFile(const ResultsSnapshot& table, QIODevice& device,
                                    std::stop_token stop = {});
/// Writes the first column of every row as one tab-delimited line. UTF-8, no byte-order mark.
/// False when a write failed or the writer was stopped.
bool writeTabDelimited(const ResultsSnapshot& table, QIODevice& device, std::stop_token stop = {});

} // namespace tagmill
