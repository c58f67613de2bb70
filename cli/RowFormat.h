#pragma once

#include "cli/CommandLine.h"

#include <string>
#include <string_view>

namespace tagmill::cli {

/// Appends rows in one output format to a byte buffer, UTF-8 throughout.
class RowFormat {
public:
    RowFormat(OutputFormat format, bool withFilename);

    /// The first line of the output, if the format has one.
    void appendHeader(std::string& out) const;
    /// Prepares the file name that the following rows carry.
    void setFile(std::string_view entry);
    void appendRow(std::string& out, std::string_view value) const;

private:
    OutputFormat m_format;
    bool m_withFilename;
    std::string m_filePrefix; // the part of each row before the value
};

/// JSON string contents with the escapes of RFC 8259, "\u00xx" for other control characters.
void appendJsonEscaped(std::string& out, std::string_view text);
/// One CSV field, quoted when it holds a comma, a quotation mark, CR or LF.
void appendCsvField(std::string& out, std::string_view text);

} // namespace tagmill::cli
