#pragma once

#include "engine/ValueBatch.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace tagmill {

/// The results of a run: one row per value, with the file name column or without it, and a check
/// state per row that only the user changes. Rows live in shared UTF-8 blocks with offsets and
/// each file's path is kept once, so ten million rows stay small.
class ResultsTable : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultsTable(QObject* parent = nullptr);

    /// Empties the table and sets its columns: "Filename" and "Results", or "Results" alone.
    void resetColumns(bool withFilename);
    /// Removes every row, keeping the columns.
    void clearRows();
    /// Appends one row per value of the batch, all from the file with this path.
    void appendValues(const QString& path, const ValueBatch& values);

    bool withFilename() const { return m_withFilename; }
    /// Column widths in twips: 3500 each with the file name, 7000 for "Results" alone.
    int columnWidthTwips(int column) const;

    /// The value of a row, the path it came from and its check state, for the writers.
    QString value(qsizetype row) const;
    QString path(qsizetype row) const;
    bool isChecked(qsizetype row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    std::string_view valueBytes(qsizetype row) const;
    std::uint64_t appendText(std::string_view utf8); // gives the value's place

    bool m_withFilename = false;
    QStringList m_paths; // each file once
    // Every value, UTF-8, back to back in blocks that are never moved once filled, so a growing
    // table never copies all its text at once while the window waits.
    std::vector<std::string> m_blocks;
    struct Row {
        std::uint64_t place; // its block, and the end of its value there
        quint32 path;        // index into m_paths
        bool checked;
    };
    // A deque grows in small pieces: a table of millions of rows never copies them all at once.
    std::deque<Row> m_rows;
};

} // namespace tagmill
