#pragma once

#include "engine/ResultsSnapshot.h"
#include "engine/ValueBatch.h"

#include <QAbstractTableModel>

namespace tagmill {

/// The results of a run: one row per value, with the file name column or without it, and a check
/// state per row that only the user changes.
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

    /// The table as it stands now, for a writer on any thread; later changes do not reach it.
    ResultsSnapshot snapshot() const { return {m_withFilename, m_rows}; }

    /// The value of a row, the path it came from and its check state.
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
    bool m_withFilename = false;
    RowStore m_rows;
};

} // namespace tagmill
