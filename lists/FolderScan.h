#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <set>
#include <stop_token>
#include <utility>

#include <dirent.h>

namespace tagmill {

/// The pattern that finds every file, whatever its extension.
inline const QString EveryFilePattern = QStringLiteral("*.*");

/// The pattern for an extension as the user typed it: "*." and the text, unchanged.
QString patternForExtension(const QString& extension);

/// The names (without folder) of the openable files in one folder that match a wildcard
/// pattern (see matchesWildcard), sorted by name ignoring case; none when the folder cannot be
/// listed. Folders, and names whose bytes are not UTF-8, are left out.
QStringList ListFilesInFolder(const QString& folder, const QString& pattern);

/// True for a regular file, or a link to one, whatever its permissions. Folders, FIFOs,
/// sockets and devices are not openable: reading them blocks or never ends.
bool IsOpenableFile(const QString& path);

/// True for a folder, or a link to one.
bool IsFolder(const QString& path);

/// True when a folder name holds a character the scan does not follow: a code point below
/// 32, from 127 to 159, or "?".
bool HasUnsafeCharacters(QStringView name);

/// Called with the paths found in one folder, in order.
using FoundFiles = std::function<void(QStringList paths)>;
/// Called with a folder of a scan (ending with "/") and the names of its files that match.
using FolderFiles = std::function<void(const QString& folder, const QStringList& names)>;

namespace detail {

/// The calls that list a folder, so that tests can make a listing fail. Each works as the POSIX
/// call of its name: nullptr and errno on failure; readdir gives nullptr at the end of the
/// folder too, with errno untouched.
class FolderCalls {
public:
    virtual ~FolderCalls() = default;
    virtual DIR* opendir(const char* path);
    virtual dirent* readdir(DIR* dir);
};

/// The system's own calls.
FolderCalls& systemFolderCalls();

} // namespace detail

/// One scan of a folder and every folder below it, breadth-first. Links to folders are
/// followed, but every real folder is entered once, reached by the first path the
/// breadth-first order takes to it, so link cycles end. A folder that denies access or is gone
/// is left out without a word, its files with it; any other failure ends the folder's listing
/// and keeps what it gave. Asking the stop token to stop ends the scan between two folders.
class FolderScan {
public:
    explicit FolderScan(std::stop_token stop = {},
                        detail::FolderCalls& calls = detail::systemFolderCalls())
        : m_stop(std::move(stop)), m_calls(&calls) {}

    /// Hands over, folder by folder, the path of every openable file matching the pattern in
    /// the folder and below, except names starting with "~".
    void addFilesBelow(const QString& folder, const QString& pattern, const FoundFiles& add);

    /// Appends to `folders` (each ending with "/") every folder below them, breadth-first: the
    /// folders one level below, grouped by parent in the list's order, then those two levels
    /// below, and so on, each folder's subfolders sorted by name ignoring case. A folder reached
    /// again, by a link or from another folder given, is left out, and so is a folder that
    /// denies access or is gone, while the subfolders its listing gave before it failed stay.
    /// Every folder is read once: `eachFolder` gets the names of its files that match the pattern
    /// (see ListFilesInFolder) as soon as it is read.
    void GetSubDirectories2016(QStringList& folders, const QString& pattern,
                               const FolderFiles& eachFolder);

private:
    void markEntered(const QString& folder);

    std::stop_token m_stop;
    detail::FolderCalls* m_calls;
    std::set<std::pair<quint64, quint64>> m_entered; // device and inode of each folder reached
};

} // namespace tagmill
