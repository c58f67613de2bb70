#include "output/WorkbookFolder.h"

#include "textio/SystemError.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tagmill {

namespace {

const QString LockName = QStringLiteral("lock");
const QString WorkbookName = QStringLiteral("Results.xlsx");

std::filesystem::path fileSystemPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Links inside are removed, never followed.
void removeAll(const QString& path) {
    std::error_code error;
    std::filesystem::remove_all(fileSystemPath(path), error);
    if (error)
        qWarning("tagmill: %s: %s", qPrintable(path), error.message().c_str());
}

// A folder of the user's own, not a link to one.
bool isOwnFolder(const QString& path, struct stat& status) {
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid();
}

// The lock is free once the process that held it has ended, however it ended. It is held here
// while the folder goes, so that no other start takes it meanwhile.
void removeIfLockIsFree(const QString& folder) {
    const int lock = ::open(QFile::encodeName(folder + '/' + LockName).constData(),
                            O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (lock < 0)
        return; // not a workbook folder, or one still being made
    if (::flock(lock, LOCK_EX | LOCK_NB) == 0)
        removeAll(folder);
    ::close(lock);
}

bool isEarlierVersionsFolder(const QString& folder, const struct stat& status) {
    return (status.st_mode & 07777) == 0700 &&
           QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot) == QStringList{WorkbookName};
}

QStringList tagmillFolders(const QString& home) {
    QStringList folders;
    for (const QString& name : QDir(home).entryList({QStringLiteral("tagmill-*")},
                                                    QDir::Dirs | QDir::Hidden | QDir::System))
        folders.append(home + '/' + name);
    return folders;
}

} // namespace

WorkbookFolder::~WorkbookFolder() {
    if (m_lock < 0)
        return;
    if (QDir(m_path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) ==
        QStringList{LockName})
        removeAll(m_path);
    ::close(m_lock);
}

// The lock file is locked under another name and only then named "lock", so that a Tagmill
// starting meanwhile never finds it free.
QString WorkbookFolder::create() {
    QByteArray name = QFile::encodeName(workbookFoldersHome() + QStringLiteral("/tagmill-XXXXXX"));
    if (!::mkdtemp(name.data()))
        return QFile::decodeName(name) + ": " + systemErrorText(errno);
    const QString folder = QFile::decodeName(name);
    const QByteArray lockName = QFile::encodeName(folder + '/' + LockName);
    const QByteArray newLockName = lockName + ".new";
    const int lock = ::open(newLockName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (lock < 0 || ::flock(lock, LOCK_EX) != 0 ||
        ::rename(newLockName.constData(), lockName.constData()) != 0) {
        const QString failure = folder + ": " + systemErrorText(errno);
        if (lock >= 0)
            ::close(lock);
        removeAll(folder);
        return failure;
    }
    m_path = folder;
    m_lock = lock;
    return {};
}

WorkbookFolder::NewWorkbook WorkbookFolder::newWorkbook() {
    if (m_lock < 0) {
        if (const QString failure = create(); !failure.isEmpty())
            return {{}, failure};
    }
    const QString folder = m_path + '/' + QString::number(++m_workbooks);
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0)
        return {{}, folder + ": " + systemErrorText(errno)};
    return {folder + '/' + WorkbookName, {}};
}

void WorkbookFolder::remove(const QString& workbook) {
    removeAll(workbook.left(workbook.lastIndexOf('/')));
}

QString workbookFoldersHome() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

void removeLeftWorkbooks() {
    struct stat status {};
    for (const QString& folder : tagmillFolders(workbookFoldersHome()))
        if (isOwnFolder(folder, status))
            removeIfLockIsFree(folder);
    for (const QString& folder : tagmillFolders(QDir::tempPath()))
        if (isOwnFolder(folder, status) && isEarlierVersionsFolder(folder, status))
            removeAll(folder);
}

} // namespace tagmill
