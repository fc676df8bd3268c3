#include "base/ListTextModel.h"

int ListTextModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant ListTextModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count() ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return text(index.row());
}

Qt::ItemFlags ListTextModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void ListTextModel::setText(int row, const QString& text) {
    emit textsAboutToChange(row, row);
    m_texts.set(row, text);
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

void ListTextModel::append(const QString& text) {
    beginInsertRows(QModelIndex(), count(), count());
    m_texts.append(text);
    endInsertRows();
}

void ListTextModel::append(const PackedTexts& texts) {
    insert(count(), texts);
}

void ListTextModel::insert(int row, const QString& text) {
    insert(row, PackedTexts{text});
}

void ListTextModel::insert(int row, const PackedTexts& texts) {
    if (texts.isEmpty())
        return;
    beginInsertRows(QModelIndex(), row, row + int(texts.size()) - 1);
    m_texts.insert(row, texts);
    endInsertRows();
}

void ListTextModel::remove(int row, int n) {
    if (n <= 0)
        return;
    beginRemoveRows(QModelIndex(), row, row + n - 1);
    m_texts.remove(row, n);
    endRemoveRows();
}

void ListTextModel::replace(int row, const PackedTexts& texts) {
    if (texts.isEmpty())
        return;
    const int last = row + int(texts.size()) - 1;
    emit textsAboutToChange(row, last);
    m_texts.replace(row, texts);
    emit dataChanged(index(row), index(last), {Qt::DisplayRole, Qt::EditRole});
}

void ListTextModel::setTexts(const PackedTexts& texts) {
    beginResetModel();
    m_texts = texts;
    endResetModel();
}
