#pragma once

#include "engine/ResultsSnapshot.h"

#include <QIODevice>
#include <QString>

#include <functional>
#include <stop_token>

namespace tagmill {

class CommandContext;
class ErrorTrap;
class ResultsTable;
class WorkQueue;

/// The commands that take the results elsewhere: the text report, the comma and tab files, the
/// clipboard and the spreadsheet. Each takes the table as it stands when the command starts and
/// does the long part off the window's thread, so the window stays usable, and a run or a
/// "Clear List" meanwhile never reaches what is written.
class ResultsOutputCommands {
public:
    ResultsOutputCommands(CommandContext& context, ResultsTable& results, WorkQueue& queue);

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

    CommandContext& m_context;
    ResultsTable& m_results;
    WorkQueue& m_queue;
};

} // namespace tagmill
