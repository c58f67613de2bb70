#include "output/spreadsheet/Workbook.h"

#include "output/ReplacingFile.h"
#include "output/spreadsheet/CellText.h"
#include "output/spreadsheet/NotFitted.h"
#include "output/spreadsheet/SheetLimits.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace tagmill {

namespace {

// The widest a column may be, in characters. libxlsxwriter adds the cell padding to it as
// Excel does, so this is the widest Excel itself makes a column.
constexpr double kWidestColumn = 255;

QString libraryReason(lxw_error error) {
    return QString::fromUtf8(lxw_strerror(error));
}

bool isFileError(lxw_error error) {
    switch (error) {
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return true;
    default:
        return false;
    }
}

// libxlsxwriter's text names the step that failed; when that was a file operation, the
// system's reason (a full disk, say) is what tells the user what to do about it.
QString closingReason(lxw_error error, int systemError) {
    QString reason = libraryReason(error);
    if (isFileError(error) && systemError != 0)
        reason += " System error: " + QString::fromLocal8Bit(std::strerror(systemError)) + '.';
    return reason;
}

// A libxlsxwriter workbook with its one sheet, in constant memory mode: each row goes to a
// temporary file once the next one starts, so a million rows take little memory, and rows must
// come in order. ZIP64 lets the sheet pass 4 GB; it is asked for only then, as Excel 2010
// complains of it.
class Sheet {
public:
    Sheet(const QByteArray& fileName, bool zip64) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = zip64 ? LXW_TRUE : LXW_FALSE;
        m_book = workbook_new_opt(fileName.constData(), &options);
        if (m_book)
            m_sheet = workbook_add_worksheet(m_book, nullptr);
    }
    // Closing, even a workbook given up on, is the only way libxlsxwriter lets go of its
    // temporary files; the workbook's own file is then removed by its owner.
    ~Sheet() {
        int systemError = 0;
        close(systemError); // still open only when given up on: how closing went no longer counts
    }
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;

    bool isOpen() const { return m_sheet != nullptr; }
    lxw_error write(qsizetype row, int column, const std::string& text) {
        return worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(column), text.c_str(),
                                      nullptr);
    }
    lxw_error setWidth(int column, double width) {
        return worksheet_set_column(m_sheet, lxw_col_t(column), lxw_col_t(column), width, nullptr);
    }
    /// Writes the file; on failure systemError is errno as the failure left it, 0 when unset.
    lxw_error close(int& systemError) {
        lxw_workbook* book = std::exchange(m_book, nullptr);
        errno = 0;
        const lxw_error error = book ? workbook_close(book) : LXW_NO_ERROR;
        systemError = errno;
        return error;
    }

private:
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
};

// Puts the table's texts on the sheet, keeping account of the columns' widths and of what
// does not fit.
class SheetFiller {
public:
    SheetFiller(const ResultsSnapshot& table, Sheet& sheet)
        : m_table(table), m_sheet(sheet), m_longest(std::size_t(table.columnCount()), 0) {}

    lxw_error writeHeader() {
        for (int column = 0; column < m_table.columnCount(); ++column) {
            const QByteArray header = m_table.header(column).toUtf8();
            const std::string_view text(header.constData(), std::size_t(header.size()));
            if (const lxw_error error = writeCell(0, column, text, false))
                return error;
        }
        return LXW_NO_ERROR;
    }

    /// Writes a 0-based table row on the sheet row below its number, if ticked.
    lxw_error writeRow(qsizetype row) {
        if (!m_table.isTicked(row))
            return LXW_NO_ERROR;
        const qsizetype sheetRow = row + 1;
        if (sheetRow >= kSheetRows) {
            m_notFitted.addLeftOutRow();
            return LXW_NO_ERROR;
        }
        for (int column = 0; column < m_table.columnCount(); ++column) {
            // Without "=" no value can turn into a formula when the cell is edited; the first
            // column is the file's path when there are two, and is kept whole.
            const bool dropEquals = column > 0;
            if (const lxw_error error =
                    writeCell(sheetRow, column, m_table.cell(row, column), dropEquals))
                return error;
        }
        return LXW_NO_ERROR;
    }

    lxw_error setWidths() {
        for (int column = 0; column < m_table.columnCount(); ++column) {
            const double width =
                std::min(double(m_longest[std::size_t(column)] + 1), kWidestColumn);
            if (const lxw_error error = m_sheet.setWidth(column, width))
                return error;
        }
        return LXW_NO_ERROR;
    }

    const NotFitted& notFitted() const { return m_notFitted; }

private:
    lxw_error writeCell(qsizetype sheetRow, int column, std::string_view text, bool dropEquals) {
        const CellText cell = cellText(text, dropEquals);
        if (cell.cut)
            m_notFitted.addCut(cellName(sheetRow, column));
        qsizetype& longest = m_longest[std::size_t(column)];
        longest = std::max(longest, cell.length);
        return m_sheet.write(sheetRow, column, cell.utf8);
    }

    const ResultsSnapshot& m_table;
    Sheet& m_sheet;
    std::vector<qsizetype> m_longest; // per column, in UTF-16 units
    NotFitted m_notFitted;
};

WorkbookOutcome failure(const QString& path, const QString& reason) {
    return {path + ": " + reason, {}};
}

} // namespace

WorkbookOutcome writeWorkbook(const ResultsSnapshot& table, const QString& path,
                              std::stop_token stop) {
    ReplacingFile file(path);
    if (const QString reason = file.open(ReplacingFile::Writing::ByName); !reason.isEmpty())
        return failure(path, reason);
    return writeWorkbook(table, file, stop);
}

WorkbookOutcome writeWorkbook(const ResultsSnapshot& table, ReplacingFile& file,
                              std::stop_token stop) {
    const QString& path = file.path();
    Sheet sheet(file.fileName(), sheetXmlBound(table) > kZip32Limit);
    if (!sheet.isOpen())
        return failure(path, libraryReason(LXW_ERROR_MEMORY_MALLOC_FAILED));

    SheetFiller filler(table, sheet);
    lxw_error error = filler.writeHeader();
    for (qsizetype row = 0; error == LXW_NO_ERROR && row < table.rowCount(); ++row) {
        if (stop.stop_requested())
            return {};
        error = filler.writeRow(row);
    }
    if (error == LXW_NO_ERROR)
        error = filler.setWidths();
    if (error != LXW_NO_ERROR)
        return failure(path, libraryReason(error));
    int systemError = 0;
    if (const lxw_error closing = sheet.close(systemError))
        return failure(path, closingReason(closing, systemError));
    if (stop.stop_requested())
        return {};
    if (const QString reason = file.commit(); !reason.isEmpty())
        return failure(path, reason);
    return {{}, filler.notFitted().text()};
}

} // namespace tagmill
