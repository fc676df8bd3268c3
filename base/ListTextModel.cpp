#include "base/ListTextModel.h"

#include <QThreadPool>

#include <utility>

namespace {

/// Lists longer than this are let go of on a worker thread.
constexpr qsizetype kReleaseAside = 1 << 16;

/// Lets go of a list's texts. Releasing a million texts costs tens of milliseconds of
/// reference counting; on the window's thread that would be felt on every "Neu" or load of a
/// long song. The counts are atomic, so texts still shared with other lists stay valid.
void release(QStringList&& texts) {
    if (texts.size() < kReleaseAside || !texts.isDetached()) {
        texts = QStringList();
        return;
    }
    QThreadPool::globalInstance()->start(
        [old = std::move(texts)]() mutable { old = QStringList(); });
}

} // namespace

int ListTextModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant ListTextModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count() ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_texts.at(index.row());
}

Qt::ItemFlags ListTextModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void ListTextModel::setText(int row, const QString& text) {
    emit textAboutToChange(row);
    m_texts[row] = text;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

void ListTextModel::append(const QString& text) {
    beginInsertRows(QModelIndex(), count(), count());
    m_texts.append(text);
    endInsertRows();
}

void ListTextModel::append(const QStringList& texts) {
    if (texts.isEmpty())
        return;
    beginInsertRows(QModelIndex(), count(), count() + int(texts.size()) - 1);
    // Into an empty list the texts are taken over as they are: no copy.
    if (m_texts.isEmpty())
        m_texts = texts;
    else
        m_texts.append(texts);
    endInsertRows();
}

void ListTextModel::insert(int row, const QString& text) {
    beginInsertRows(QModelIndex(), row, row);
    m_texts.insert(row, text);
    endInsertRows();
}

void ListTextModel::remove(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    m_texts.removeAt(row);
    endRemoveRows();
}

void ListTextModel::setTexts(const QStringList& texts) {
    beginResetModel();
    QStringList old = std::exchange(m_texts, texts);
    endResetModel();
    release(std::move(old));
}
