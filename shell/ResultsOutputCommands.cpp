#include "shell/ResultsOutputCommands.h"

#include "engine/ResultsTable.h"
#include "output/ClipboardText.h"
#include "output/DelimitedText.h"
#include "output/ReplacingFile.h"
#include "output/spreadsheet/Workbook.h"
#include "output/TextReport.h"
#include "shell/CommandContext.h"
#include "shell/WorkQueue.h"
#include "textio/FileReaders.h"

namespace tagmill {

using platform::Pointer;

namespace {

const QString TextFilesFilter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");

const QString CopiedMessage =
    QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where you "
                   "normally type and press Ctrl+V to paste the clipboard.");

const QString NoSpreadsheetProgram =
    QStringLiteral("No spreadsheet program is installed on this computer. You need to have one "
                   "installed to use this software without error.");
const QString NoSpreadsheetForFeature =
    QStringLiteral("No spreadsheet program is installed on this computer. You need to have one "
                   "installed to use this feature.");

// A job on the work queue must not throw: a failure no writer foresees (memory, a thread that
// cannot start) becomes a description, reported like any other.
template <typename Work> QString unforeseenFailureOf(Work&& work) {
    try {
        work();
        return {};
    } catch (const std::exception& failure) {
        return QString::fromUtf8(failure.what());
    }
}

} // namespace

ResultsOutputCommands::ResultsOutputCommands(CommandContext& context, ResultsTable& results,
                                             WorkQueue& queue)
    : m_context(context), m_results(results), m_queue(queue) {}

// A program that has ended has read its workbook; the workbooks of programs still running, or
// opened by the desktop's opener, whose process is not known, wait for the next start.
ResultsOutputCommands::~ResultsOutputCommands() {
    for (const auto& [path, process] : m_opened)
        if (m_context.desktop.spreadsheet.hasEnded(process))
            WorkbookFolder::remove(path);
}

void ResultsOutputCommands::PushButton6_Click() {
    ErrorTrap trap = m_context.errorTrap("PushButton6_Click");
    const QString path = askSavePath(trap);
    if (path.isEmpty())
        return;
    trap.step(104, [&] {
        saveInBackground(path, SaveListviewProperlySpaced,
                         QStringLiteral("Extract1.SaveListviewProperlySpaced"), 102);
    });
}

void ResultsOutputCommands::PushButton12_Click() {
    ErrorTrap trap = m_context.errorTrap("PushButton12_Click");
    const QString path = askSavePath(trap);
    if (path.isEmpty())
        return;
    trap.step(104, [&] { SaveListviewAsCommaDelimToFile(path); });
}

// The routine asks once more before it replaces a file, so an existing file takes two Yeses.
void ResultsOutputCommands::SaveListviewAsCommaDelimToFile(const QString& path) {
    ErrorTrap trap(m_context.desktop.messages,
                   QStringLiteral("Extract1.SaveListviewAsCommaDelimToFile"));
    bool agreed = false;
    trap.step(100, [&] { agreed = agreesToOverwrite(path); });
    if (!agreed)
        return;
    trap.step(102, [&] {
        saveInBackground(path, tagmill::SaveListviewAsCommaDelimToFile,
                         QStringLiteral("Extract1.SaveListviewAsCommaDelimToFile"), 102);
    });
}

void ResultsOutputCommands::PushButton17_Click() {
    ErrorTrap trap = m_context.errorTrap("PushButton17_Click");
    const QString path = askSavePath(trap);
    if (path.isEmpty())
        return;
    trap.step(104, [&] {
        saveInBackground(path, writeTabDelimited, QStringLiteral("Form1.PushButton17_Click"), 104);
    });
}

QString ResultsOutputCommands::askSavePath(ErrorTrap& trap) {
    QString path;
    trap.step(100, [&] {
        path = m_context.desktop.files.saveFile(QStringLiteral("Save"), {}, TextFilesFilter);
    });
    if (path.isEmpty())
        return {};
    bool agreed = false;
    trap.step(102, [&] { agreed = agreesToOverwrite(path); });
    return agreed ? path : QString();
}

bool ResultsOutputCommands::agreesToOverwrite(const QString& path) const {
    if (!FileExists(path))
        return true;
    return m_context.confirm("Are you sure you wish to overwrite " + path + " ?");
}

void ResultsOutputCommands::saveInBackground(const QString& path, Writer writer,
                                             const QString& location, int line) {
    m_context.pointer.set(Pointer::Busy);
    CommandContext& context = m_context;
    m_queue.start(
        [&context, path, writer, location, line,
         table = m_results.snapshot()](WorkQueue::Output& output) {
            std::optional<QString> failure;
            const QString unforeseen = unforeseenFailureOf([&] {
                failure = replaceFile(
                    path, [&](QIODevice& file) { return writer(table, file, output.stopToken()); },
                    output.stopToken());
            });
            if (!unforeseen.isEmpty())
                failure = path + ": " + unforeseen;
            output.post([&context, failure, location, line] {
                if (failure)
                    ErrorTrap(context.desktop.messages, location).report(line, *failure);
                context.pointer.set(Pointer::Arrow);
            });
        },
        reportsAt(ErrorTrap(m_context.desktop.messages, location), line));
}

// The text is built off the window's thread; the clipboard, which belongs to the window's
// thread, takes it there. The message follows in every case, even when nothing was copied.
void ResultsOutputCommands::PushButton11_Click() {
    ErrorTrap trap = m_context.errorTrap("PushButton11_Click");
    trap.step(100, [&] {
        m_context.pointer.set(Pointer::Busy);
        CommandContext& context = m_context;
        m_queue.start(
            [&context, table = m_results.snapshot()](WorkQueue::Output& output) {
                std::optional<QString> text;
                const QString unforeseen =
                    unforeseenFailureOf([&] { text = clipboardText(table, output.stopToken()); });
                output.post([&context, text, unforeseen] {
                    ErrorTrap trap = context.errorTrap("PushButton11_Click");
                    if (!unforeseen.isEmpty())
                        trap.report(100, unforeseen);
                    if (text)
                        trap.step(100, [&] { context.desktop.clipboard.setText(*text); });
                    trap.step(102, [&] { context.pointer.set(Pointer::Arrow); });
                    trap.step(104, [&] { context.say(CopiedMessage); });
                });
            },
            reportsAt(trap, 100));
    });
}

void ResultsOutputCommands::PushButton22_Click() {
    ErrorTrap trap = m_context.errorTrap("PushButton22_Click");
    if (!IsExcelInstalled())
        return trap.step(100, [&] { m_context.say(NoSpreadsheetForFeature); });
    if (m_results.rowCount() == 0)
        return;
    trap.step(102, [&] { m_context.pointer.set(Pointer::Busy); });
    trap.step(104, [&] { openInSpreadsheet(); });
}

bool ResultsOutputCommands::IsExcelInstalled() const {
    const bool installed = m_context.desktop.spreadsheet.isInstalled();
    if (!installed)
        m_context.say(NoSpreadsheetProgram);
    return installed;
}

// The job itself uses nothing of this object: a write that does not stop in time at the close
// is left to end after it. What the job posts runs only while the queue, and so this, is there.
void ResultsOutputCommands::openInSpreadsheet() {
    const WorkbookFolder::NewWorkbook workbook = m_workbooks.newWorkbook();
    m_queue.start(
        [this, workbook, table = m_results.snapshot()](WorkQueue::Output& output) {
            const QString& path = workbook.path;
            WorkbookOutcome outcome{workbook.failure, {}};
            if (!path.isEmpty()) {
                const QString unforeseen = unforeseenFailureOf(
                    [&] { outcome = writeWorkbook(table, path, output.stopToken()); });
                if (!unforeseen.isEmpty())
                    outcome.failure = path + ": " + unforeseen;
            }
            const bool written = outcome.failure.isEmpty() && !output.stopToken().stop_requested();
            if (!path.isEmpty() && !written)
                WorkbookFolder::remove(path);
            output.post([this, path, outcome, written] { handOver(path, outcome, written); });
        },
        reportsAt(m_context.errorTrap("PushButton22_Click"), 106));
}

// A workbook no program took is not needed by anyone.
void ResultsOutputCommands::handOver(const QString& path, const WorkbookOutcome& outcome,
                                     bool written) {
    ErrorTrap trap = m_context.errorTrap("PushButton22_Click");
    if (!outcome.failure.isEmpty())
        trap.report(106, outcome.failure);
    if (!outcome.notFitted.isEmpty())
        trap.report(106, outcome.notFitted);
    if (written) {
        const platform::OpenedWorkbook opened = m_context.desktop.spreadsheet.openAsNew(path);
        if (!opened.started) {
            trap.report(108, "The spreadsheet program could not be started for " + path);
            WorkbookFolder::remove(path);
        } else if (opened.process) {
            m_opened.emplace_back(path, *opened.process);
        }
    }
    trap.step(110, [&] { m_context.pointer.set(Pointer::Arrow); });
}

} // namespace tagmill
