#pragma once

#include <QString>

#include <optional>

namespace tagmill::platform {

/// What became of handing a workbook to the spreadsheet program.
struct OpenedWorkbook {
    bool started = false;
    /// The program's process when Tagmill started it itself; the desktop's opener gives none.
    std::optional<qint64> process;
};

/// The user's spreadsheet program, which takes the results as a workbook.
class SpreadsheetProgram {
public:
    virtual ~SpreadsheetProgram() = default;
    /// True when a program that opens .xlsx workbooks is found on this computer.
    virtual bool isInstalled() = 0;
    /// Opens the workbook as a new, unsaved document and does not wait for the program.
    virtual OpenedWorkbook openAsNew(const QString& path) = 0;
    /// True once a process openAsNew started has ended.
    virtual bool hasEnded(qint64 process) = 0;
};

} // namespace tagmill::platform
