#pragma once

#include <QString>

#include <functional>

namespace tagmill {

class CommandContext;
class EntryListModel;

/// "Load Sample/Example Files": puts the example files that came with the program in the file
/// list, the tag "test" in the tag list, and selects option 1, so a first run has all it needs.
class SampleCommands {
public:
    /// selectOption1 selects option 1 as a click on it would.
    SampleCommands(CommandContext& context, EntryListModel& files, EntryListModel& tags,
                   QString programFolder, std::function<void()> selectOption1);

    void PushButton13_Click(); ///< LoadSampleFiles

private:
    void loadSamplesIntoFileList();
    void offerToOpenSamplesFolder();

    CommandContext& m_context;
    EntryListModel& m_files;
    EntryListModel& m_tags;
    const QString m_programFolder;
    std::function<void()> m_selectOption1;
};

} // namespace tagmill
