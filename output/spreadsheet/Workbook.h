#pragma once

#include "engine/ResultsSnapshot.h"

#include <QString>

#include <stop_token>

namespace tagmill {

class ReplacingFile;

/// What became of a workbook: written whole, written without what the sheet cannot hold, or not
/// written at all.
struct WorkbookOutcome {
    QString failure;   ///< "PATH: reason" when the file could not be written; empty otherwise
    QString notFitted; ///< names what the sheet could not hold, in one text; empty when all fitted
};

/// Writes the table to an .xlsx workbook at path, replacing any file there only once the new one
/// is complete (see ReplacingFile). Row 1 holds the headers; table row r lands on sheet row r + 1
/// when ticked and leaves it empty when not. Every cell is text; the cells after the first column
/// lose every "=", so no value can become a formula when edited. When stop is requested nothing is
/// left at path (an earlier file stays as it was) and the outcome is empty.
WorkbookOutcome writeWorkbook(const ResultsSnapshot& table, const QString& path,
                              std::stop_token stop = {});
/// Writes the workbook as above to a file opened already, by name, so that a target that
/// cannot be written is refused before the table is made.
WorkbookOutcome writeWorkbook(const ResultsSnapshot& table, ReplacingFile& file,
                              std::stop_token stop = {});

} // namespace tagmill
