#pragma once

#include "cli/CommandLine.h"
#include "cli/Destination.h"
#include "engine/RowStore.h"

#include <QString>

#include <stdexcept>

namespace tagmill::cli {

/// Rows that cannot be read back: the file of rows (or standard input) cannot be read, or a
/// line of it is no row.
class RowsError : public std::runtime_error {
public:
    /// line is 0 when the fault is not in one line.
    RowsError(QString name, qsizetype line, const QString& reason)
        : std::runtime_error(reason.toStdString()), name(std::move(name)), line(line),
          reason(reason) {}

    /// "NAME: REASON", or "NAME:LINE: REASON" for a line.
    QString message() const;

    QString name; ///< the path as given, or "standard input" for "-"
    qsizetype line;
    QString reason;
};

/// The rows of the JSON lines that --format jsonl writes, {"file":"ENTRY","value":"VALUE"} a
/// line, in order, every one ticked, from the file at path or from standard input for "-",
/// read to its end. The keys may come in either order with blanks around the tokens, and any
/// JSON escape may stand in the strings; both keys are needed, nothing else may stand in a row.
/// A final line without a line feed is a row, a CR before the line feed is dropped, and blank
/// lines are skipped. Throws RowsError when the input is missing ("File not found"), cannot be
/// read, is a terminal, or holds a line that is no row (the first one).
RowStore readRows(const QString& path);

/// Writes the rows in a format that takes them through a device (every one but xlsx), as the
/// run that found them would have written them.
void writeRows(const RowStore& rows, const CommandLine& line, Destination& destination);

} // namespace tagmill::cli
