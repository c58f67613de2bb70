#pragma once

#include "platform/SpreadsheetProgram.h"

#include <QSet>
#include <QStringList>

namespace tagmill::platform {

/// A spreadsheet program that is there or not, and records the workbooks it was handed. Each
/// start gives a process of its own, numbered from 1000, unless the desktop's opener is played.
class FakeSpreadsheetProgram : public SpreadsheetProgram {
public:
    bool isInstalled() override {
        ++probes;
        return installed;
    }
    OpenedWorkbook openAsNew(const QString& path) override {
        opened.append(path);
        if (!starts)
            return {};
        if (!givesProcess)
            return {true, std::nullopt};
        return {true, 1000 + opened.size() - 1};
    }
    bool hasEnded(qint64 process) override { return ended.contains(process); }

    bool installed = true;
    bool starts = true;
    bool givesProcess = true;
    int probes = 0;
    QStringList opened;
    QSet<qint64> ended;
};

} // namespace tagmill::platform
