#pragma once

#include <QString>

namespace tagmill::platform {

/// The user's spreadsheet program, which takes the results as a workbook.
class SpreadsheetProgram {
public:
    virtual ~SpreadsheetProgram() = default;
    /// True when a program that opens .xlsx workbooks is found on this computer.
    virtual bool isInstalled() = 0;
    /// Opens the workbook as a new, unsaved document and does not wait for the program; false
    /// when no program could be started.
    virtual bool openAsNew(const QString& path) = 0;
};

} // namespace tagmill::platform
