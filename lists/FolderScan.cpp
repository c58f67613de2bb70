#include "lists/FolderScan.h"

#include "lists/PathNormaliser.h"
#include "lists/Wildcard.h"
#include "textio/Utf8Check.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace tagmill {

namespace {

struct CloseDir {
    void operator()(DIR* dir) const { closedir(dir); }
};
using OpenDir = std::unique_ptr<DIR, CloseDir>;

bool isDotOrDotDot(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// A name the program can hold and open again: its bytes must be UTF-8.
bool decodeName(const char* bytes, QString& name) {
    const std::string_view view(bytes);
    if (!isValidUtf8(view))
        return false;
    name = QString::fromUtf8(view.data(), qsizetype(view.size()));
    return true;
}

// What an entry stands for, links followed. The listing's own type saves a call for plain
// files; links, and file systems that do not say, are asked.
bool statEntry(DIR* dir, const dirent* entry, struct stat& info) {
    return fstatat(dirfd(dir), entry->d_name, &info, 0) == 0;
}

bool statPath(const QString& path, struct stat& info) {
    return !path.isEmpty() && stat(QFile::encodeName(path).constData(), &info) == 0;
}

// Sorted as the file manager shows them; names equal but for case keep a fixed order too.
bool nameBefore(const QString& a, const QString& b) {
    const int order = QString::compare(a, b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

struct Subfolder {
    QString name;
    quint64 device;
    quint64 inode;
};

// What one reading of a folder finds, each part sorted by name.
struct FolderEntries {
    QStringList files;
    std::vector<Subfolder> subfolders;
};

// Reads a folder once: the openable files matching the pattern and, with `subfolders`, the
// folders below it that the scan may enter. Only links and entries of unknown type cost a call
// to stat, and folders one to learn their identity. Gives 0, or the errno of the failure that
// ended the listing, keeping what was read before it.
int readFolder(detail::FolderCalls& calls, const QString& folder, const QString& pattern,
               bool subfolders, FolderEntries& found) {
    const OpenDir dir(calls.opendir(QFile::encodeName(folder).constData()));
    if (!dir)
        return errno;
    QString name;
    int error = 0;
    for (;;) {
        // readdir tells its end from its failure by errno alone.
        errno = 0;
        const dirent* entry = calls.readdir(dir.get());
        if (!entry) {
            error = errno;
            break;
        }
        const unsigned char type = entry->d_type;
        const bool unknown = type == DT_LNK || type == DT_UNKNOWN;
        const bool maybeFolder = subfolders && (type == DT_DIR || unknown);
        if (!(type == DT_REG || unknown || maybeFolder) || isDotOrDotDot(entry->d_name) ||
            !decodeName(entry->d_name, name))
            continue;
        const bool matches = matchesWildcard(name, pattern);
        if (type == DT_REG) {
            if (matches)
                found.files.append(name);
            continue;
        }
        // Only a folder, or a file whose name matches, is worth asking what it is.
        if (!maybeFolder && !matches)
            continue;
        struct stat info;
        if (!statEntry(dir.get(), entry, info))
            continue;
        if (S_ISDIR(info.st_mode) && maybeFolder && !HasUnsafeCharacters(name))
            found.subfolders.push_back({name, quint64(info.st_dev), quint64(info.st_ino)});
        else if (S_ISREG(info.st_mode) && matches)
            found.files.append(name);
    }
    std::sort(found.files.begin(), found.files.end(), nameBefore);
    std::sort(found.subfolders.begin(), found.subfolders.end(),
              [](const Subfolder& a, const Subfolder& b) { return nameBefore(a.name, b.name); });
    return error;
}

// The failures for which a folder is dropped with its files: it denies access or is gone.
bool deniedOrGone(int error) {
    return error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR;
}

// Appends to `found` the paths of the subfolders not entered yet, marking them entered: the first
// path to reach a folder is the one kept, so link cycles end.
void appendUnentered(const QString& folder, const std::vector<Subfolder>& subfolders,
                     std::set<std::pair<quint64, quint64>>& entered, QStringList& found) {
    for (const Subfolder& subfolder : subfolders) {
        if (entered.insert({subfolder.device, subfolder.inode}).second)
            found.append(folder + subfolder.name + u'/');
    }
}

} // namespace

namespace detail {

DIR* FolderCalls::opendir(const char* path) {
    return ::opendir(path);
}

dirent* FolderCalls::readdir(DIR* dir) {
    return ::readdir(dir);
}

FolderCalls& systemFolderCalls() {
    static FolderCalls calls;
    return calls;
}

} // namespace detail

QString patternForExtension(const QString& extension) {
    return QStringLiteral("*.") + extension;
}

QStringList ListFilesInFolder(const QString& folder, const QString& pattern) {
    FolderEntries found;
    readFolder(detail::systemFolderCalls(), folder, pattern, false, found);
    return found.files;
}

bool IsOpenableFile(const QString& path) {
    struct stat info;
    return statPath(path, info) && S_ISREG(info.st_mode);
}

bool IsFolder(const QString& path) {
    struct stat info;
    return statPath(path, info) && S_ISDIR(info.st_mode);
}

bool HasUnsafeCharacters(QStringView name) {
    return std::any_of(name.begin(), name.end(), [](QChar c) {
        const char16_t code = c.unicode();
        return code < 32 || (code >= 127 && code <= 159) || code == u'?';
    });
}

void FolderScan::addFilesBelow(const QString& folder, const QString& pattern,
                               const FoundFiles& add) {
    if (folder.isEmpty())
        return;
    QStringList folders{folder + u'/'};
    GetSubDirectories2016(folders, pattern, [&](const QString& entry, const QStringList& names) {
        const QString parent = entry.chopped(1);
        QStringList paths;
        for (const QString& name : names) {
            if (!name.startsWith(u'~'))
                paths.append(joinFolderAndName(parent, name));
        }
        if (!paths.isEmpty())
            add(std::move(paths));
    });
}

// The queue of folders still to read is the breadth-first order itself, and each folder is read
// once for both its files and its subfolders.
void FolderScan::GetSubDirectories2016(QStringList& folders, const QString& pattern,
                                       const FolderFiles& eachFolder) {
    QStringList queue = std::exchange(folders, {});
    for (const QString& folder : queue)
        markEntered(folder);
    for (qsizetype i = 0; i < queue.size(); ++i) {
        if (m_stop.stop_requested())
            return;
        const QString folder = queue[i]; // a copy: the queue grows below
        FolderEntries found;
        const int error = readFolder(*m_calls, folder, pattern, true, found);
        appendUnentered(folder, found.subfolders, m_entered, queue);
        if (deniedOrGone(error))
            continue;
        folders.append(folder);
        eachFolder(folder, found.files);
    }
}

void FolderScan::markEntered(const QString& folder) {
    struct stat info;
    if (statPath(folder, info))
        m_entered.insert({info.st_dev, info.st_ino});
}

} // namespace tagmill
