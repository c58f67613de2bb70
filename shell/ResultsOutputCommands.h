#pragma once

#include "engine/ResultsSnapshot.h"
#include "output/WorkbookFolder.h"

#include <QIODevice>
#include <QString>

#include <functional>
#include <stop_token>
#include <utility>
#include <vector>

namespace tagmill {

class CommandContext;
class ErrorTrap;
class ResultsTable;
class WorkQueue;
struct WorkbookOutcome;

/// The commands that take the results elsewhere: the text report, the comma and tab files, the
/// clipboard and the spreadsheet. Each takes the table as it stands when the command starts and
/// does the long part off the window's thread, so the window stays usable, and a run or a
/// "Clear List" meanwhile never reaches what is written. The queue must end before the commands
/// go: the spreadsheet's job hands its workbook back to them.
class ResultsOutputCommands {
public:
    ResultsOutputCommands(CommandContext& context, ResultsTable& results, WorkQueue& queue);
    /// Removes the workbooks whose spreadsheet program has ended.
    ~ResultsOutputCommands();
    ResultsOutputCommands(const ResultsOutputCommands&) = delete;
    ResultsOutputCommands& operator=(const ResultsOutputCommands&) = delete;

    void PushButton6_Click();  ///< Save Results As Text File
    void PushButton12_Click(); ///< Save As Comma Delimited
    void PushButton17_Click(); ///< Save As Tab Delimited
    void PushButton11_Click(); ///< Copy Results To Clipboard
    void PushButton22_Click(); ///< Save Results As Excel File

private:
    using Writer = std::function<bool(const ResultsSnapshot&, QIODevice&, std::stop_token)>;

    /// The path the user chose and agreed to overwrite; empty when they cancelled or said no.
    QString askSavePath(ErrorTrap& trap);
    bool agreesToOverwrite(const QString& path) const;
    /// Writes the table to path off the window's thread, under the busy pointer; a failure is
    /// reported with the location and line given.
    void saveInBackground(const QString& path, Writer writer, const QString& location, int line);
    void SaveListviewAsCommaDelimToFile(const QString& path);
    /// True when a spreadsheet program is found; says so when none is.
    bool IsExcelInstalled() const;
    /// Writes the table to a workbook in a private folder off the window's thread, then opens
    /// it in the spreadsheet program.
    void openInSpreadsheet();
    /// Reports how the workbook went and hands a written one to the spreadsheet program.
    void handOver(const QString& path, const WorkbookOutcome& outcome, bool written);

    CommandContext& m_context;
    ResultsTable& m_results;
    WorkQueue& m_queue;
    WorkbookFolder m_workbooks;
    std::vector<std::pair<QString, qint64>> m_opened; // workbooks, with their program's process
};

} // namespace tagmill
