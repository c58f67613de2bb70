#include "lists/FolderScan.h"

#include "lists/PathNormaliser.h"
#include "lists/Wildcard.h"
#include "textio/Utf8Check.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

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

bool isRegularEntry(DIR* dir, const dirent* entry) {
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat info;
    return statEntry(dir, entry, info) && S_ISREG(info.st_mode);
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

} // namespace

QString patternForExtension(const QString& extension) {
    return QStringLiteral("*.") + extension;
}

QStringList ListFilesInFolder(const QString& folder, const QString& pattern) {
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    const OpenDir dir(opendir(QFile::encodeName(prefix).constData()));
    if (!dir)
        return {};
    QStringList names;
    QString name;
    while (const dirent* entry = readdir(dir.get())) {
        if (isDotOrDotDot(entry->d_name) || !decodeName(entry->d_name, name))
            continue;
        if (matchesWildcard(name, pattern) && isRegularEntry(dir.get(), entry))
            names.append(name);
    }
    std::sort(names.begin(), names.end(), nameBefore);
    return names;
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
    markEntered(folders[0]);
    GetSubDirectories2016(folders, true);
    for (const QString& entry : folders) {
        if (m_stop.stop_requested())
            return;
        const QString parent = entry.chopped(1);
        QStringList paths;
        for (const QString& name : ListFilesInFolder(parent, pattern)) {
            if (!name.startsWith(u'~'))
                paths.append(joinFolderAndName(parent, name));
        }
        if (!paths.isEmpty())
            add(std::move(paths));
    }
}

void FolderScan::GetSubDirectories2016(QStringList& folders, bool recurse) {
    QStringList found;
    QStringList listable;
    for (const QString& folder : folders) {
        if (m_stop.stop_requested())
            return;
        if (!IsFolder(folder) || listSubfolders(folder, found))
            listable.append(folder);
    }
    folders = std::move(listable);
    if (recurse && !found.isEmpty())
        GetSubDirectories2016(found, true);
    for (const QString& folder : found) {
        if (IsFolder(folder))
            folders.append(folder);
    }
}

void FolderScan::markEntered(const QString& folder) {
    struct stat info;
    if (statPath(folder, info))
        m_entered.insert({info.st_dev, info.st_ino});
}

// Appends the subfolders of one folder to `found`. False when the folder is gone or denies
// access; any other failure ends its listing with what was read so far.
bool FolderScan::listSubfolders(const QString& folder, QStringList& found) {
    const OpenDir dir(opendir(QFile::encodeName(folder).constData()));
    if (!dir)
        return errno != EACCES && errno != EPERM && errno != ENOENT && errno != ENOTDIR;
    std::vector<Subfolder> subfolders;
    QString name;
    while (const dirent* entry = readdir(dir.get())) {
        if (isDotOrDotDot(entry->d_name))
            continue;
        if (entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            continue;
        struct stat info;
        if (!statEntry(dir.get(), entry, info) || !S_ISDIR(info.st_mode))
            continue;
        if (decodeName(entry->d_name, name) && !HasUnsafeCharacters(name))
            subfolders.push_back({name, quint64(info.st_dev), quint64(info.st_ino)});
    }
    std::sort(subfolders.begin(), subfolders.end(),
              [](const Subfolder& a, const Subfolder& b) { return nameBefore(a.name, b.name); });
    for (const Subfolder& subfolder : subfolders) {
        if (m_entered.insert({subfolder.device, subfolder.inode}).second)
            found.append(folder + subfolder.name + u'/');
    }
    return true;
}

} // namespace tagmill
