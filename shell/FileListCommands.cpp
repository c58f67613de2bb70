#include "shell/FileListCommands.h"

#include "lists/DialogSelection.h"
#include "lists/EntryListModel.h"
#include "lists/FolderScan.h"
#include "shell/CommandContext.h"
#include "shell/ListFileJob.h"
#include "shell/ReportView.h"

#include <QMimeData>
#include <QUrl>

namespace tagmill {

using platform::Pointer;

namespace {

const QString AddFilesTitle = QStringLiteral("Add File(s) - Hold Ctrl to select multiple files");

const QString TooManyFiles =
    QStringLiteral("You've selected too many files to add.\r\rPlease try adding via the "
                   "\"Add All\" button.");

const QString ExtensionPrompt =
    QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all txt files, doc "
                   "for all doc files, etc.)");

// The statement of the scan's trap that a failure anywhere in a scan is reported at.
constexpr int ScanLine = 100;

const QString ListFileFormat =
    QStringLiteral("File should look like:\r/data/test/1.xml\r/data/test/2.xml\retc.");

} // namespace

FileListCommands::FileListCommands(CommandContext& context, EntryListModel& files, ReportView& view,
                                   WorkQueue& loader, QString programFolder,
                                   detail::FolderCalls& folderCalls)
    : m_context(context), m_files(files), m_view(view), m_loader(loader),
      m_programFolder(std::move(programFolder)), m_folderCalls(folderCalls) {
    // Dragging an entry only moves it: the list neither starts a drag of its own nor scrolls
    // by itself; scrolling follows the pointer's height on the screen instead.
    m_view.setDragEnabled(false);
    m_view.setAutoScroll(false);
    // The entry being moved is gone once entries are removed; a later move must not pick up
    // whichever entry took its place.
    const auto forgetDragEntry = [this] { m_dragRow = -1; };
    QObject::connect(&m_files, &QAbstractItemModel::rowsRemoved, &m_view, forgetDragEntry);
    QObject::connect(&m_files, &QAbstractItemModel::modelReset, &m_view, forgetDragEntry);
}

void FileListCommands::PushButton1_Click() {
    ErrorTrap trap = m_context.errorTrap("PushButton1_Click");
    QStringList chosen;
    trap.step(100, [&] {
        chosen = m_context.desktop.files.openFiles(AddFilesTitle, {}, "All Files (*.xml)|*.xml|");
    });
    if (chosen.isEmpty())
        return;
    if (!fitsOpenDialogResult(chosen))
        return trap.step(102, [&] { m_context.say(TooManyFiles); });
    trap.step(104, [&] { m_loader.append(m_files, chosenPaths(chosen), reportsAt(trap, 104)); });
}

void FileListCommands::PushButton5_Click() {
    ErrorTrap trap = m_context.errorTrap("PushButton5_Click");
    Settings& settings = m_context.settings;
    std::optional<QString> extension;
    trap.step(100, [&] {
        extension = m_context.ask(ExtensionPrompt, settings.ReadSetting(keys::Extension, "xml"));
    });
    if (!extension || extension->isEmpty())
        return;
    trap.step(102, [&] { settings.WriteSetting(keys::Extension, *extension); });
    QString folder;
    trap.step(104, [&] {
        folder = m_context.desktop.files.existingFolder(
            "Please select folder:", settings.ReadSetting(keys::LastFolder, QString()));
    });
    if (folder.isEmpty())
        return;
    trap.step(106, [&] { settings.WriteSetting(keys::LastFolder, folder); });
    trap.step(108, [&] { m_context.pointer.set(Pointer::Busy); });
    trap.step(110, [&] { scanFolder(folder, patternForExtension(*extension)); });
}

// The scan runs off the window's thread; the hourglass stays until its last file is in.
void FileListCommands::scanFolder(const QString& folder, const QString& pattern) {
    EntryListModel& files = m_files;
    CommandContext& context = m_context;
    detail::FolderCalls& calls = m_folderCalls;
    m_loader.start(
        [&files, &calls, folder, pattern](WorkQueue::Output& output) {
            FolderScan(output.stopToken(), calls)
                .addFilesBelow(folder, pattern,
                               [&](QStringList paths) { output.add(files, std::move(paths)); });
        },
        reportsAt(m_context.folderScanTrap(), ScanLine),
        [&context] {
            context.errorTrap("PushButton5_Click").step(112, [&] {
                context.pointer.set(Pointer::Arrow);
            });
        });
}

void FileListCommands::PushButton16_Click() {
    ErrorTrap trap = m_context.errorTrap("PushButton16_Click");
    trap.step(100, [&] { m_context.say(ListFileFormat); });
    QStringList chosen;
    trap.step(102, [&] {
        chosen = m_context.desktop.files.openFiles(AddFilesTitle, {}, "All Files (*.*)|*.*|");
    });
    if (chosen.isEmpty())
        return;
    // The dialog fails when the names chosen do not fit its result; nothing is loaded then.
    if (!fitsOpenDialogResult(chosen))
        return trap.report(102, tooManyListFilesDescription());
    trap.step(104, [&] {
        m_loader.start(
            loadListFilesJob(m_context, m_files, chosenPaths(chosen), "PushButton16_Click", 104),
            reportsAt(trap, 104));
    });
}

void FileListCommands::PushButton14_Click() {
    ErrorTrap trap = m_context.errorTrap("PushButton14_Click");
    trap.step(100, [&] {
        if (!m_context.pointer.isBusy())
            m_files.clear();
    });
}

void FileListCommands::ListView1_DblClick() {
    if (m_context.pointer.isBusy())
        return;
    if (const int row = m_view.selectedRow(); row >= 0)
        m_files.removeEntry(row);
}

bool FileListCommands::acceptsDrop(const QMimeData& data) {
    const QList<QUrl> urls = data.urls();
    return !urls.isEmpty() &&
           std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

// A drop is taken while the window is busy too; its folders are scanned in turn, after
// whatever was dropped or loaded before.
void FileListCommands::ListView1_OLEDragDrop(const QMimeData& data) {
    if (!acceptsDrop(data))
        return;
    QStringList dropped;
    for (const QUrl& url : data.urls())
        dropped.append(url.toLocalFile());
    EntryListModel& files = m_files;
    detail::FolderCalls& calls = m_folderCalls;
    m_loader.start(
        [&files, &calls, dropped](WorkQueue::Output& output) {
            for (const QString& path : dropped) {
                if (output.stopToken().stop_requested())
                    return;
                if (!IsFolder(path)) {
                    output.add(files, {path});
                    continue;
                }
                FolderScan(output.stopToken(), calls)
                    .addFilesBelow(path, EveryFilePattern,
                                   [&](QStringList paths) { output.add(files, std::move(paths)); });
            }
        },
        reportsAt(m_context.folderScanTrap(), ScanLine));
}

void FileListCommands::ListView1_MouseDown() {
    m_held = true;
}

void FileListCommands::ListView1_ItemClick(int row) {
    m_context.desktop.pointers.showIconOver(*m_view.viewport(), m_programFolder + "/drag.ico");
    m_dragRow = row;
}

// The moved text trades places with each entry it passes; entries skipped by a quick move keep
// theirs.
void FileListCommands::ListView1_MouseMove(int row, int screenY) {
    if (!m_held || row < 0 || m_dragRow < 0)
        return;
    const QStringList& entries = m_files.entries();
    if (row >= entries.size() || m_dragRow >= entries.size() || entries[row] == entries[m_dragRow])
        return;
    m_files.swapEntries(m_dragRow, row);
    m_view.selectRow(row);
    m_dragRow = row;
    scrollAlong(row, screenY);
}

// Near the top or the bottom of the screen the list follows the pointer one entry at a time.
void FileListCommands::scrollAlong(int row, int screenY) {
    if (screenY < 305 && row > 0)
        m_view.scrollTo(m_files.index(row - 1, 0));
    else if (screenY >= 365 && row + 1 < m_files.rowCount())
        m_view.scrollTo(m_files.index(row + 1, 0));
}

void FileListCommands::ListView1_MouseUp() {
    m_held = false;
    m_context.desktop.pointers.clearOver(*m_view.viewport());
}

} // namespace tagmill
