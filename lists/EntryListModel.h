#pragma once

#include <QAbstractTableModel>
#include <QStringList>

namespace tagmill {

/// A list of texts under one headed column: the file list and the tag list. Entries are
/// appended, removed or exchanged; the list is never sorted and never checked for duplicates.
class EntryListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setHeader(const QString& header);
    const QStringList& entries() const { return m_entries; }
    void append(const QStringList& entries);
    void removeEntry(int row);
    /// Exchanges the texts of two entries.
    void swapEntries(int first, int second);
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString m_header;
    QStringList m_entries;
};

/// True when at least one entry has exactly this text (case counts).
bool ListContainsText(const QStringList& list, const QString& text);

} // namespace tagmill
