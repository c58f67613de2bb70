#include "shell/TagListCommands.h"

#include "lists/DialogSelection.h"
#include "lists/EntryListModel.h"
#include "shell/CommandContext.h"
#include "shell/ListFileJob.h"
#include "shell/ReportView.h"

namespace tagmill {

using platform::Pointer;

TagListCommands::TagListCommands(CommandContext& context, EntryListModel& tags, ReportView& view,
                                 WorkQueue& loader)
    : m_context(context), m_tags(tags), m_view(view), m_loader(loader) {}

void TagListCommands::PushButton3_Click() {
    ErrorTrap trap = m_context.errorTrap("PushButton3_Click");
    std::optional<QString> tag;
    trap.step(100, [&] { tag = m_context.ask("Enter tag to add: ", QString()); });
    if (!tag || tag->isEmpty())
        return;
    trap.step(102, [&] { m_loader.append(m_tags, {*tag}, reportsAt(trap, 102)); });
}

void TagListCommands::PushButton4_Click() {
    ErrorTrap trap = m_context.errorTrap("PushButton4_Click");
    QStringList chosen;
    trap.step(100, [&] {
        chosen = m_context.desktop.files.openFiles(
            "Load List(s) - Hold Ctrl to select multiple list files", {},
            "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
    });
    if (chosen.isEmpty())
        return;
    // The dialog fails when the names chosen do not fit its result; nothing is loaded then.
    if (!fitsOpenDialogResult(chosen))
        return trap.report(100, tooManyListFilesDescription());
    trap.step(102, [&] { m_context.pointer.set(Pointer::Busy); });
    CommandContext& context = m_context;
    trap.step(104, [&] {
        m_loader.start(
            loadListFilesJob(m_context, m_tags, chosenPaths(chosen), "PushButton4_Click", 104),
            reportsAt(trap, 104), [&context] {
                context.errorTrap("PushButton4_Click").step(106, [&] {
                    context.pointer.set(Pointer::Arrow);
                });
            });
    });
}

void TagListCommands::PushButton8_Click() {
    ErrorTrap trap = m_context.errorTrap("PushButton8_Click");
    trap.step(100, [&] { deleteSelected(); });
}

void TagListCommands::PushButton10_Click() {
    ErrorTrap trap = m_context.errorTrap("PushButton10_Click");
    trap.step(100, [&] { m_tags.clear(); });
}

void TagListCommands::ListView3_KeyDown() {
    if (!m_context.pointer.isBusy())
        deleteSelected();
}

void TagListCommands::deleteSelected() {
    if (const int row = m_view.selectedRow(); row >= 0)
        m_tags.removeEntry(row);
}

} // namespace tagmill
