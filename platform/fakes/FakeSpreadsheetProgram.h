#pragma once

#include "platform/SpreadsheetProgram.h"

#include <QStringList>

namespace tagmill::platform {

/// A spreadsheet program that is there or not, and records the workbooks it was handed.
class FakeSpreadsheetProgram : public SpreadsheetProgram {
public:
    bool isInstalled() override {
        ++probes;
        return installed;
    }
    bool openAsNew(const QString& path) override {
        opened.append(path);
        return starts;
    }

    bool installed = true;
    bool starts = true;
    int probes = 0;
    QStringList opened;
};

} // namespace tagmill::platform
