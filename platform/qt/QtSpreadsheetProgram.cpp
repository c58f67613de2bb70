#include "platform/qt/QtSpreadsheetProgram.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

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
bool QtSpreadsheetProgram::openAsNew(const QString& path) {
    if (const QString program = libreOffice(); !program.isEmpty())
        return QProcess::startDetached(program,
                                       {QStringLiteral("--norestore"), QStringLiteral("-n"), path});
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace tagmill::platform
