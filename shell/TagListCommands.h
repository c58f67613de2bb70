#pragma once

namespace tagmill {

class CommandContext;
class EntryListModel;
class WorkQueue;
class ReportView;

/// The commands of the tag list: adding a tag, loading tags from list files, deleting the
/// selected tag and emptying the list.
class TagListCommands {
public:
    TagListCommands(CommandContext& context, EntryListModel& tags, ReportView& view,
                    WorkQueue& loader);

    void PushButton3_Click();  ///< Add Tag
    void PushButton4_Click();  ///< Load Tags From Text File
    void PushButton8_Click();  ///< Delete Selected Tag, also while the window is busy
    void PushButton10_Click(); ///< Clear List, also while the window is busy
    /// The Delete key on the list: removes the selected tag, unless the window is busy.
    void ListView3_KeyDown();

private:
    void deleteSelected();

    CommandContext& m_context;
    EntryListModel& m_tags;
    ReportView& m_view;
    WorkQueue& m_loader;
};

} // namespace tagmill
