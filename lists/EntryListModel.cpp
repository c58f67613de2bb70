#include "lists/EntryListModel.h"

namespace tagmill {

void EntryListModel::setHeader(const QString& header) {
    m_header = header;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void EntryListModel::append(const QStringList& entries) {
    if (entries.isEmpty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + int(entries.size()) - 1);
    m_entries.append(entries);
    endInsertRows();
}

void EntryListModel::removeEntry(int row) {
    beginRemoveRows({}, row, row);
    m_entries.removeAt(row);
    endRemoveRows();
}

void EntryListModel::swapEntries(int first, int second) {
    m_entries.swapItemsAt(first, second);
    emit dataChanged(index(first, 0), index(first, 0), {Qt::DisplayRole});
    emit dataChanged(index(second, 0), index(second, 0), {Qt::DisplayRole});
}

void EntryListModel::clear() {
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

int EntryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::DisplayRole)
        return m_entries[index.row()];
    return {};
}

QVariant EntryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return m_header;
    return {};
}

bool ListContainsText(const QStringList& list, const QString& text) {
    return list.contains(text, Qt::CaseSensitive);
}

} // namespace tagmill
