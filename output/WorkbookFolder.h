#pragma once

#include <QString>

namespace tagmill {

/// Where this process's workbooks wait for the spreadsheet program to read them: a private
/// folder (mode 0700, a name nobody can guess) under the user's runtime folder, made at the
/// first workbook. It holds a lock file, locked for the process's life, and a folder of its own
/// for each workbook, so each keeps the name "Results.xlsx". A Tagmill that starts after this
/// one has ended removes the folder (see removeLeftWorkbooks); a second one running at the same
/// time leaves it alone.
class WorkbookFolder {
public:
    WorkbookFolder() = default;
    /// Removes the folder when it holds no workbook any more, then lets the lock go.
    ~WorkbookFolder();
    WorkbookFolder(const WorkbookFolder&) = delete;
    WorkbookFolder& operator=(const WorkbookFolder&) = delete;

    /// The path of a new workbook, or why there is none as "PATH: reason".
    struct NewWorkbook {
        QString path;
        QString failure;
    };
    NewWorkbook newWorkbook();
    /// Removes a workbook of a folder like this one with its own folder; what cannot be removed
    /// is told on standard error. Safe on any thread, also once the folder object is gone.
    static void remove(const QString& workbook);
    /// The folder; empty until the first workbook.
    const QString& path() const { return m_path; }

private:
    QString create();

    QString m_path;
    int m_lock = -1;
    int m_workbooks = 0;
};

/// The folder workbook folders go in: $XDG_RUNTIME_DIR when set, else the temporary folder.
QString workbookFoldersHome();

/// Removes the workbook folders of every Tagmill that has ended, and the folders earlier
/// versions left in the temporary folder (owned by the user, mode 0700, holding only
/// "Results.xlsx"). What cannot be removed is told on standard error.
void removeLeftWorkbooks();

} // namespace tagmill
