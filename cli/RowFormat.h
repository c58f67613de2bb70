#pragma once

#include "cli/CommandLine.h"
#include "engine/ValueBatch.h"
#include "output/DelimitedText.h"

#include <string>
#include <string_view>

namespace tagmill::cli {

/// Appends rows in one of the formats that stream (jsonl, csv, comma, tab) to a byte buffer,
/// UTF-8 throughout; a format that needs the whole table first appends nothing.
///
/// Rows come either one at a time, in order (setFile, appendRow), or a batch at a time from any
/// thread (appendRows), each batch made apart from the rows around it and put in its place by
/// joinRows, batch after batch in order. Both ways give the same bytes.
class RowFormat {
public:
    RowFormat(OutputFormat format, bool withFilename);

    /// The first line of the output, if the format has one.
    void appendHeader(std::string& out) const;
    /// Prepares the file name that the following rows carry.
    void setFile(std::string_view entry);
    void appendRow(std::string& out, std::string_view value);

    /// The rows of these values of the file with this entry, as they read after other rows;
    /// const, so several threads may make rows of different files at once.
    void appendRows(std::string& out, std::string_view entry, const ValueBatch& values) const;
    /// The same in place of what `out` holds. Its bytes are written over, not cleared first:
    /// a buffer used again keeps its length, so most of it is not filled twice.
    void writeRows(std::string& out, std::string_view entry, const ValueBatch& values) const;
    /// Rows made by appendRows, as they read in their place after the rows so far; they must
    /// come in order. Keeps no copy: the result is part of rows.
    std::string_view joinRows(std::string_view rows);

    /// What follows the last row, if the format has anything there.
    void finish(std::string& out) const;

private:
    std::string filePrefix(std::string_view entry) const;
    void writeRowsFrom(std::string& out, std::size_t at, std::string_view entry,
                       const ValueBatch& values) const;
    void appendRowAfterAnother(std::string& out, std::string_view prefix, std::string_view entry,
                               std::string_view value) const;

    OutputFormat m_format;
    bool m_withFilename;
    std::string m_filePrefix; // jsonl and csv: the part of each row before the value
    std::string m_entry;      // comma and tab: the file name cell, as it is
    CommaDelimitedLines m_commaLines;
    TabDelimitedLine m_tabLine;
};

/// One CSV field, quoted when it holds a comma, a quotation mark, CR or LF.
void appendCsvField(std::string& out, std::string_view text);

} // namespace tagmill::cli
