#include "base/ListItems.h"

#include "base/Errors.h"
#include "base/LineNumberModel.h"
#include "base/ListTextModel.h"

#include <QItemSelectionModel>

#include <algorithm>
#include <utility>

namespace {

PackedTexts numbers(int first, int n) {
    PackedTexts numbers;
    for (int i = first; i < first + n; ++i)
        numbers.appendUtf8(QByteArray::number(i));
    return numbers;
}

} // namespace

ListItems::ListItems(Content content, QObject* parent) : QObject(parent) {
    QAbstractItemModel* model = nullptr;
    if (content == Content::Numbers)
        model = m_numbers = new LineNumberModel(this);
    else
        model = m_texts = new ListTextModel(this);
    m_selection = new QItemSelectionModel(model, this);
}

ListItems::~ListItems() = default;

QAbstractItemModel* ListItems::model() const {
    if (m_texts)
        return m_texts;
    return m_numbers;
}

int ListItems::count() const {
    return m_texts ? m_texts->count() : m_numbers->count();
}

QString ListItems::item(int index) const {
    if (index < 0 || index >= count())
        throw EListError(index);
    return m_texts ? m_texts->text(index) : QString::number(index);
}

void ListItems::setItem(int index, const QString& text) {
    if (index < 0 || index >= count())
        throw EListError(index);
    // The items of a list of numbers are its numbers; there is no other text to keep.
    if (m_texts)
        m_texts->setText(index, text);
}

void ListItems::add(const QString& text) {
    if (m_texts)
        m_texts->append(text);
    else
        m_numbers->insertRow(count());
}

void ListItems::addAll(const PackedTexts& texts) {
    if (m_texts) {
        m_texts->append(texts);
        return;
    }
    for (qsizetype i = 0; i < texts.size(); ++i)
        m_numbers->insertRow(count());
}

void ListItems::insert(int index, const QString& text) {
    if (index < 0 || index > count())
        throw EListError(index);
    if (m_texts)
        m_texts->insert(index, text);
    else
        m_numbers->insertRow(index);
}

void ListItems::remove(int index) {
    if (index < 0 || index >= count())
        throw EListError(index);
    const int selected = itemIndex();
    if (m_texts)
        m_texts->remove(index);
    else
        m_numbers->removeRow(index);
    if (selected == index)
        setItemIndex(-1);
    else if (selected > index)
        setItemIndex(selected - 1);
    else
        setItemIndex(selected);
}

void ListItems::insertItems(int index, const PackedTexts& texts) {
    if (index < 0 || index > count())
        throw EListError(index);
    if (m_texts)
        m_texts->insert(index, texts);
    else
        m_numbers->addRows(index, int(texts.size()));
}

void ListItems::insertEmptyItems(int index, int n) {
    if (n <= 0)
        return;
    if (m_numbers) {
        if (index < 0 || index > count())
            throw EListError(index);
        m_numbers->addRows(index, n);
        return;
    }
    PackedTexts empty;
    for (int i = 0; i < n; ++i)
        empty.appendUtf8({});
    insertItems(index, empty);
}

void ListItems::removeItems(int index, int n) {
    if (n <= 0)
        return;
    if (index < 0 || index + n > count())
        throw EListError(index < 0 ? index : index + n - 1);
    if (m_texts)
        m_texts->remove(index, n);
    else
        m_numbers->dropRows(index, n);
}

void ListItems::replaceItems(int index, const PackedTexts& texts) {
    if (texts.isEmpty())
        return;
    if (index < 0 || index + texts.size() > count())
        throw EListError(index < 0 ? index : int(index + texts.size() - 1));
    if (m_texts)
        m_texts->replace(index, texts);
}

QStringList ListItems::items(int index, int n) const {
    return texts(index, n).toList();
}

QStringList ListItems::items() const {
    return texts().toList();
}

PackedTexts ListItems::texts(int index, int n) const {
    if (n <= 0)
        return {};
    if (index < 0 || index + n > count())
        throw EListError(index < 0 ? index : index + n - 1);
    return m_texts ? m_texts->texts(index, n) : numbers(index, n);
}

PackedTexts ListItems::texts() const {
    return m_texts ? m_texts->texts() : numbers(0, count());
}

void ListItems::setItems(const PackedTexts& texts) {
    if (m_texts)
        m_texts->setTexts(texts);
    else
        m_numbers->setCount(int(texts.size()));
}

void ListItems::clearItems() {
    setItems({});
}

void ListItems::setLineCount(int count) {
    if (m_numbers)
        m_numbers->setCount(count);
    else
        m_texts->setTexts(numbers(0, count));
}

int ListItems::itemIndex() const {
    // Asked of ranges, never row by row: a million selected rows cost nothing here.
    const QModelIndex current = m_selection->currentIndex();
    if (current.isValid() && m_selection->isSelected(current))
        return current.row();
    const QList<LineRange> ranges = selectedRanges();
    return ranges.isEmpty() ? -1 : ranges.first().first;
}

QList<LineRange> ListItems::selectedRanges() const {
    QList<LineRange> ranges;
    const QItemSelection selection = m_selection->selection();
    for (const QItemSelectionRange& range : selection) {
        if (range.isValid())
            ranges.append({range.top(), range.bottom()});
    }
    return mergedRanges(ranges);
}

int ListItems::currentIndex() const {
    const QModelIndex current = m_selection->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ListItems::select(const QList<LineRange>& ranges, int current) {
    const int n = count();
    QItemSelection selection;
    for (const LineRange& range : ranges) {
        const int first = std::max(0, range.first);
        const int last = std::min(n - 1, range.last);
        if (first <= last)
            selection.select(model()->index(first, 0), model()->index(last, 0));
    }
    const QModelIndex focus = current >= 0 && current < n ? model()->index(current, 0)
                                                         : QModelIndex();
    m_selection->setCurrentIndex(focus, QItemSelectionModel::NoUpdate);
    m_selection->select(selection, QItemSelectionModel::ClearAndSelect);
}

void ListItems::setItemIndex(int index) {
    if (index < 0 || index >= count()) {
        m_selection->clearSelection();
        m_selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    m_selection->setCurrentIndex(model()->index(index, 0), QItemSelectionModel::ClearAndSelect);
}
