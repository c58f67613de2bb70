#include "engine/ResultsTable.h"

#include "textio/TextEncoding.h"

namespace tagmill {

namespace {

// Not QString::fromUtf8, which would drop a U+FEFF that starts a value.
QString fromUtf8(std::string_view bytes) {
    return decodeUtf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

} // namespace

QString resultsHeader(bool withFilename, int column) {
    return withFilename && column == 0 ? QStringLiteral("Filename") : QStringLiteral("Results");
}

ResultsTable::ResultsTable(QObject* parent) : QAbstractTableModel(parent) {}

void ResultsTable::resetColumns(bool withFilename) {
    beginResetModel();
    m_withFilename = withFilename;
    m_rows.clear();
    endResetModel();
}

void ResultsTable::clearRows() {
    resetColumns(m_withFilename);
}

void ResultsTable::appendValues(const QString& path, const ValueBatch& values) {
    if (values.empty())
        return;
    const QByteArray pathBytes = path.toUtf8();
    m_rows.startFile(std::string_view(pathBytes.constData(), std::size_t(pathBytes.size())));
    const int first = rowCount();
    beginInsertRows({}, first, first + int(values.count()) - 1);
    m_rows.append(values);
    endInsertRows();
}

int ResultsTable::columnWidthTwips(int column) const {
    if (m_withFilename)
        return column < 2 ? 3500 : 0;
    return column == 0 ? 7000 : 0;
}

QString ResultsTable::value(qsizetype row) const {
    return fromUtf8(m_rows.value(row));
}

QString ResultsTable::path(qsizetype row) const {
    return fromUtf8(m_rows.path(row));
}

bool ResultsTable::isChecked(qsizetype row) const {
    return m_rows.isTicked(row);
}

int ResultsTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ResultsTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : (m_withFilename ? 2 : 1);
}

QVariant ResultsTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const bool isPathCell = m_withFilename && index.column() == 0;
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return isPathCell ? path(index.row()) : value(index.row());
    if (role == Qt::CheckStateRole && index.column() == 0)
        return isChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
    return {};
}

QVariant ResultsTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return {};
    return resultsHeader(m_withFilename, section);
}

Qt::ItemFlags ResultsTable::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool ResultsTable::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != 0 || !index.isValid())
        return false;
    m_rows.setTicked(index.row(), value.toInt() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

} // namespace tagmill
