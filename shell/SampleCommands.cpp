#include "shell/SampleCommands.h"

#include "lists/EntryListModel.h"
#include "lists/SampleFiles.h"
#include "shell/CommandContext.h"
#include "shell/WorkQueue.h"
#include "textio/FileReaders.h"

#include <QUrl>

namespace tagmill {

namespace {

const QString OpenFolderQuestion = QStringLiteral(
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?");

} // namespace

SampleCommands::SampleCommands(CommandContext& context, EntryListModel& files,
                               WorkQueue& fileLoader, EntryListModel& tags, WorkQueue& tagLoader,
                               QString programFolder, std::function<void()> selectOption1)
    : m_context(context), m_files(files), m_fileLoader(fileLoader), m_tags(tags),
      m_tagLoader(tagLoader), m_programFolder(std::move(programFolder)),
      m_selectOption1(std::move(selectOption1)) {}

// A list still being filled takes its part once the filling ends, so it joins after what the
// user added before and is checked against the list as it then stands.
void SampleCommands::PushButton13_Click() {
    ErrorTrap trap = m_context.errorTrap("PushButton13_Click");
    CommandContext& context = m_context;
    trap.step(100, [&] {
        m_fileLoader.whenDone([this, &context] {
            context.errorTrap("PushButton13_Click").step(100, [&] { loadSamplesIntoFileList(); });
        });
    });
    trap.step(102, [&] { offerToOpenSamplesFolder(); });
    trap.step(104, [&] {
        m_tagLoader.whenDone([this, &context] {
            context.errorTrap("PushButton13_Click").step(104, [&] { addTestTag(); });
        });
    });
    trap.step(106, [&] { m_selectOption1(); });
}

void SampleCommands::addTestTag() {
    if (!ListContainsText(m_tags.entries(), QStringLiteral("test")))
        m_tags.append({QStringLiteral("test")});
}

// The samples recorded at the first start, each once, after what the list holds already; a
// sample deleted since is skipped.
void SampleCommands::loadSamplesIntoFileList() {
    const QString list =
        UnscrambleText(m_context.settings.ReadSetting(keys::Snapshot, {}), SnapshotKey);
    for (const QString& path : list.split(u'|')) {
        if (FileExists(path) && !ListContainsText(m_files.entries(), path))
            m_files.append({path});
    }
}

// The folder of this program's samples, wherever the program now is, even when the snapshot
// names an older place. Whether the desktop managed to open it is not checked.
void SampleCommands::offerToOpenSamplesFolder() {
    if (m_context.confirm(OpenFolderQuestion))
        m_context.desktop.launcher.open(QUrl::fromLocalFile(samplesFolder(m_programFolder)));
}

} // namespace tagmill
