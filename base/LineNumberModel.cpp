#include "base/LineNumberModel.h"

#include <algorithm>

int LineNumberModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_count;
}

QVariant LineNumberModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_count ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return QString::number(index.row());
}

Qt::ItemFlags LineNumberModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void LineNumberModel::setCount(int count) {
    beginResetModel();
    m_count = std::max(0, count);
    endResetModel();
}

void LineNumberModel::insertRow(int row) {
    beginInsertRows(QModelIndex(), row, row);
    ++m_count;
    endInsertRows();
    // Every number from the new row on moved by one.
    if (row + 1 < m_count)
        emit dataChanged(index(row + 1), index(m_count - 1), {Qt::DisplayRole});
}

void LineNumberModel::removeRow(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    --m_count;
    endRemoveRows();
    if (row < m_count)
        emit dataChanged(index(row), index(m_count - 1), {Qt::DisplayRole});
}

void LineNumberModel::addRows(int row, int n) {
    if (n <= 0)
        return;
    beginInsertRows(QModelIndex(), row, row + n - 1);
    m_count += n;
    endInsertRows();
    if (row + n < m_count)
        emit dataChanged(index(row + n), index(m_count - 1), {Qt::DisplayRole});
}

void LineNumberModel::dropRows(int row, int n) {
    if (n <= 0)
        return;
    beginRemoveRows(QModelIndex(), row, row + n - 1);
    m_count -= n;
    endRemoveRows();
    if (row < m_count)
        emit dataChanged(index(row), index(m_count - 1), {Qt::DisplayRole});
}
