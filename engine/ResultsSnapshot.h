#pragma once

#include "engine/RowStore.h"

#include <QString>

namespace tagmill {

/// The header of a results table's column: "Filename" and "Results", or "Results" alone.
QString resultsHeader(bool withFilename, int column);

/// A results table as it stood at one moment, for the writers: its columns, and per row its
/// cells in UTF-8 and its tick. It never changes, so it may be read on any thread.
class ResultsSnapshot {
public:
    ResultsSnapshot(bool withFilename, RowStore rows)
        : m_withFilename(withFilename), m_rows(std::move(rows)) {}

    int columnCount() const { return m_withFilename ? 2 : 1; }
    QString header(int column) const { return resultsHeader(m_withFilename, column); }
    qsizetype rowCount() const { return m_rows.size(); }
    /// Column 0 is the file's path when the table has the file name column, else the value.
    std::string_view cell(qsizetype row, int column) const {
        return m_withFilename && column == 0 ? m_rows.path(row) : m_rows.value(row);
    }
    bool isTicked(qsizetype row) const { return m_rows.isTicked(row); }

    struct Row {
        std::string_view cells[2]; ///< UTF-8; the first columnCount() count
        bool ticked;
    };
    /// Calls visit with every row in order from the first given, until it returns false; false
    /// then. Faster than reading the rows one by one by number.
    template <typename Visit> bool forEachRow(qsizetype first, Visit&& visit) const {
        return m_rows.forEach(first, [&](const RowStore::RowView& row) {
            return visit(m_withFilename ? Row{{row.path, row.value}, row.ticked}
                                        : Row{{row.value, {}}, row.ticked});
        });
    }
    /// The longest cell of the column over every row, ticked or not, in UTF-16 units.
    qsizetype longestCell(int column) const {
        return m_withFilename && column == 0 ? m_rows.longestPath() : m_rows.longestValue();
    }

private:
    bool m_withFilename;
    RowStore m_rows;
};

} // namespace tagmill
