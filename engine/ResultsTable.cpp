#include "engine/ResultsTable.h"

#include <algorithm>

namespace tagmill {

namespace {

constexpr std::size_t BlockBytes = 1 << 20;
// A row's place: the block index in the high bits, the value's end in the block in the low ones.
constexpr int EndBits = 40;
constexpr std::uint64_t EndMask = (std::uint64_t(1) << EndBits) - 1;

std::uint64_t place(std::size_t block, std::size_t end) {
    return std::uint64_t(block) << EndBits | end;
}

std::size_t blockOf(std::uint64_t place) {
    return std::size_t(place >> EndBits);
}

std::size_t endOf(std::uint64_t place) {
    return std::size_t(place & EndMask);
}

} // namespace

ResultsTable::ResultsTable(QObject* parent) : QAbstractTableModel(parent) {}

void ResultsTable::resetColumns(bool withFilename) {
    beginResetModel();
    m_withFilename = withFilename;
    m_paths.clear();
    m_blocks.clear();
    m_rows.clear();
    endResetModel();
}

void ResultsTable::clearRows() {
    resetColumns(m_withFilename);
}

void ResultsTable::appendValues(const QString& path, const ValueBatch& values) {
    if (values.empty())
        return;
    if (m_paths.isEmpty() || m_paths.last() != path)
        m_paths.append(path);
    const auto pathIndex = quint32(m_paths.size() - 1);
    const int first = rowCount();
    beginInsertRows({}, first, first + int(values.count()) - 1);
    for (std::size_t i = 0; i < values.count(); ++i) {
        m_rows.push_back({appendText(values.value(i)), pathIndex, false});
    }
    endInsertRows();
}

int ResultsTable::columnWidthTwips(int column) const {
    if (m_withFilename)
        return column < 2 ? 3500 : 0;
    return column == 0 ? 7000 : 0;
}

std::uint64_t ResultsTable::appendText(std::string_view utf8) {
    if (m_blocks.empty() || m_blocks.back().size() + utf8.size() > m_blocks.back().capacity()) {
        m_blocks.emplace_back();
        m_blocks.back().reserve(std::max(BlockBytes, utf8.size()));
    }
    m_blocks.back().append(utf8);
    return place(m_blocks.size() - 1, m_blocks.back().size());
}

std::string_view ResultsTable::valueBytes(qsizetype row) const {
    const std::uint64_t here = m_rows[std::size_t(row)].place;
    const std::uint64_t previous = row > 0 ? m_rows[std::size_t(row - 1)].place : 0;
    const bool sameBlockAsPrevious = row > 0 && blockOf(previous) == blockOf(here);
    const std::size_t begin = sameBlockAsPrevious ? endOf(previous) : 0;
    return std::string_view(m_blocks[blockOf(here)]).substr(begin, endOf(here) - begin);
}

QString ResultsTable::value(qsizetype row) const {
    const std::string_view bytes = valueBytes(row);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

QString ResultsTable::path(qsizetype row) const {
    return m_paths[m_rows[std::size_t(row)].path];
}

bool ResultsTable::isChecked(qsizetype row) const {
    return m_rows[std::size_t(row)].checked;
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
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (m_withFilename && section == 0)
        return QStringLiteral("Filename");
    if (section == columnCount() - 1)
        return QStringLiteral("Results");
    return {};
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
    m_rows[std::size_t(index.row())].checked = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

} // namespace tagmill
