#include "platform/qt/QtSpreadsheetProgram.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <csignal>

namespace tagmill::platform {

namespace {

const QString WorkbookType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

QString libreOffice() {
    for (const char* name : {"soffice", "libreoffice", "localc"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty())
            return program;
    }
    return {};
}

// The program the desktop opens workbooks with, as xdg-mime names it; empty when none.
QString desktopDefault() {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), WorkbookType});
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit ||
        query.exitCode() != 0)
        return {};
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}

} // namespace

bool QtSpreadsheetProgram::isInstalled() {
    return !libreOffice().isEmpty() || !desktopDefault().isEmpty();
}

// "-n" opens the workbook as a template: a new, untitled document the user saves where they
// like, while the file we wrote stays as it is.
OpenedWorkbook QtSpreadsheetProgram::openAsNew(const QString& path) {
    if (const QString program = libreOffice(); !program.isEmpty()) {
        qint64 process = 0;
        if (!QProcess::startDetached(
                program, {QStringLiteral("--norestore"), QStringLiteral("-n"), path}, {}, &process))
            return {};
        return {true, process};
    }
    return {QDesktopServices::openUrl(QUrl::fromLocalFile(path)), std::nullopt};
}

// A detached process is no child of ours: its parent reaps it, and then the id is gone.
bool QtSpreadsheetProgram::hasEnded(qint64 process) {
    return ::kill(pid_t(process), 0) != 0 && errno == ESRCH;
}

} // namespace tagmill::platform
