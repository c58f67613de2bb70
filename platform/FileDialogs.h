#pragma once

#include <QString>
#include <QStringList>

namespace tagmill::platform {

/// The desktop's file and folder choosers. An empty answer means the user cancelled. Filters
/// list a description and its patterns, each followed by "|", as in
/// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"; "*.*" stands for every file.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    /// Full paths of one or more existing files.
    virtual QStringList openFiles(const QString& title, const QString& folder,
                                  const QString& filter) = 0;
    /// The full path of a file to write; the caller asks before overwriting.
    virtual QString saveFile(const QString& title, const QString& folder,
                             const QString& filter) = 0;
    /// The full path of an existing folder.
    virtual QString existingFolder(const QString& title, const QString& start) = 0;
};

} // namespace tagmill::platform
