#pragma once

#include "platform/SpreadsheetProgram.h"

namespace tagmill::platform {

/// LibreOffice Calc when it is installed, else whatever the desktop opens .xlsx files with.
class QtSpreadsheetProgram : public SpreadsheetProgram {
public:
    bool isInstalled() override;
    OpenedWorkbook openAsNew(const QString& path) override;
    bool hasEnded(qint64 process) override;
};

} // namespace tagmill::platform
