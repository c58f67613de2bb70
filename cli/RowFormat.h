#pragma once

#include "cli/CommandLine.h"
#include "output/DelimitedText.h"

#include <string>
#include <string_view>

namespace tagmill::cli {

/// Appends rows in one of the formats that stream (jsonl, csv, comma, tab) to a byte buffer,
/// UTF-8 throughout; a format that needs the whole table first appends nothing.
class RowFormat {
public:
    RowFormat(OutputFormat format, bool withFilename);

    /// The first line of the output, if the format has one.
    void appendHeader(std::string& out) const;
    /// Prepares the file name that the following rows carry.
    void setFile(std::string_view entry);
    void appendRow(std::string& out, std::string_view value);
    /// What follows the last row, if the format has anything there.
    void finish(std::string& out) const;

private:
    OutputFormat m_format;
    bool m_withFilename;
    std::string m_filePrefix; // jsonl and csv: the part of each row before the value
    std::string m_entry;      // comma and tab: the file name cell, as it is
    CommaDelimitedLines m_commaLines;
    TabDelimitedLine m_tabLine;
};

/// JSON string contents with the escapes of RFC 8259, "\u00xx" for other control characters.
void appendJsonEscaped(std::string& out, std::string_view text);
/// One CSV field, quoted when it holds a comma, a quotation mark, CR or LF.
void appendCsvField(std::string& out, std::string_view text);

} // namespace tagmill::cli
