#pragma once

#include "lists/FolderScan.h"

#include <QString>
#include <QStringList>

class QMimeData;

namespace tagmill {

class CommandContext;
class EntryListModel;
class WorkQueue;
class ReportView;

/// The commands of the file list: adding files by dialog, by folder, by list file and by drop,
/// removing them, emptying the list and moving entries by dragging.
class FileListCommands {
public:
    /// programFolder holds drag.ico, the pointer shown while an entry is moved. Folders are
    /// scanned through folderCalls, the system's own but in tests.
    FileListCommands(CommandContext& context, EntryListModel& files, ReportView& view,
                     WorkQueue& loader, QString programFolder,
                     detail::FolderCalls& folderCalls = detail::systemFolderCalls());

    void PushButton1_Click();  ///< Add XML Files
    void PushButton5_Click();  ///< Add All XML Files In Folder
    void PushButton16_Click(); ///< Load XML Files From Text File
    void PushButton14_Click(); ///< Clear List

    /// Removes the selected entry, unless the window is busy.
    void ListView1_DblClick();
    /// True when dragged data is a list of local files and folders, the only thing the list takes.
    static bool acceptsDrop(const QMimeData& data);
    /// Appends the dropped files as they are and every file below each dropped folder, in the
    /// order dropped.
    void ListView1_OLEDragDrop(const QMimeData& data);

    // Moving an entry: press on the list, click an entry, move with the button held, release.
    void ListView1_MouseDown();
    void ListView1_ItemClick(int row);
    /// row is the entry under the pointer (-1 for none); screenY the pointer's height on the
    /// screen, which decides whether the list scrolls along.
    void ListView1_MouseMove(int row, int screenY);
    void ListView1_MouseUp();

private:
    void scanFolder(const QString& folder, const QString& pattern);
    void scrollAlong(int row, int screenY);

    CommandContext& m_context;
    EntryListModel& m_files;
    ReportView& m_view;
    WorkQueue& m_loader;
    const QString m_programFolder;
    detail::FolderCalls& m_folderCalls;
    bool m_held = false; // a mouse button is down on the list
    int m_dragRow = -1;  // the entry being moved
};

} // namespace tagmill
