#pragma once

#include <QString>

#include <functional>

namespace tagmill {

class CommandContext;
class EntryListModel;
class WorkQueue;

/// "Load Sample/Example Files": puts the example files that came with the program in the file
/// list, the tag "test" in the tag list, and selects option 1, so a first run has all it needs.
class SampleCommands {
public:
    /// The samples and the tag join their lists after whatever the loaders are still adding to
    /// them. selectOption1 selects option 1 and saves the choice, as a click on it would, and
    /// throws what fails.
    SampleCommands(CommandContext& context, EntryListModel& files, WorkQueue& fileLoader,
                   EntryListModel& tags, WorkQueue& tagLoader, QString programFolder,
                   std::function<void()> selectOption1);

    void PushButton13_Click(); ///< LoadSampleFiles

private:
    void loadSamplesIntoFileList();
    void offerToOpenSamplesFolder();
    void addTestTag();

    CommandContext& m_context;
    EntryListModel& m_files;
    WorkQueue& m_fileLoader;
    EntryListModel& m_tags;
    WorkQueue& m_tagLoader;
    const QString m_programFolder;
    std::function<void()> m_selectOption1;
};

} // namespace tagmill
