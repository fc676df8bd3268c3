#include "base/ListBox.h"

#include "base/Errors.h"
#include "base/ItemTextDelegate.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

ListBox::ListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Uniform sizes keep repaints of long songs cheap (no per-item layout).
    setUniformItemSizes(true);
    // Items can be arbitrarily long (a loaded file, a typed text); only their beginning is drawn.
    setItemDelegate(new ItemTextDelegate(this));
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

QString ListBox::item(int index) const {
    if (index < 0 || index >= count())
        throw EListError(index);
    return QListWidget::item(index)->text();
}

void ListBox::setItem(int index, const QString& text) {
    if (index < 0 || index >= count())
        throw EListError(index);
    QListWidget::item(index)->setText(text);
}

void ListBox::add(const QString& text) { addItem(text); }

void ListBox::addAll(const QStringList& texts) { addItems(texts); }

void ListBox::insert(int index, const QString& text) {
    if (index < 0 || index > count())
        throw EListError(index);
    insertItem(index, text);
}

void ListBox::remove(int index) {
    if (index < 0 || index >= count())
        throw EListError(index);
    const int selected = itemIndex();
    const QSignalBlocker blocker(this);
    delete takeItem(index);
    // Removing the selected item leaves no selection; later items keep theirs, shifted.
    if (selected == index)
        setItemIndex(-1);
    else if (selected > index)
        setItemIndex(selected - 1);
    else
        setItemIndex(selected);
}

QStringList ListBox::items() const {
    QStringList texts;
    texts.reserve(count());
    for (int i = 0; i < count(); ++i)
        texts.append(QListWidget::item(i)->text());
    return texts;
}

void ListBox::clearItems() { clear(); }

int ListBox::itemIndex() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ListBox::setItemIndex(int index) {
    const QSignalBlocker blocker(this);
    if (index < 0 || index >= count()) {
        clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

int ListBox::topIndex() const {
    if (count() == 0)
        return 0;
    const QModelIndex top = indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : verticalScrollBar()->value();
}

void ListBox::setTopIndex(int index) {
    if (count() == 0)
        return;
    index = std::clamp(index, 0, count() - 1);
    scrollToItem(QListWidget::item(index), QAbstractItemView::PositionAtTop);
}

namespace {

/// The same mouse event without Ctrl or Shift: those never toggle or extend the selection here.
QMouseEvent plain(QEvent::Type type, const QMouseEvent* event) {
    return QMouseEvent(type, event->position(), event->scenePosition(), event->globalPosition(),
                       event->button(), event->buttons(), Qt::NoModifier, event->pointingDevice());
}

} // namespace

void ListBox::mousePressEvent(QMouseEvent* event) {
    // As in the original list boxes: only a left press on an item moves the selection (a press
    // below the items or with another button leaves it), and Ctrl or Shift never deselect.
    m_captured =
        event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid();
    if (m_captured) {
        QMouseEvent press = plain(QEvent::MouseButtonPress, event);
        QListWidget::mousePressEvent(&press);
    }
    emit MouseDown(event->button());
}

void ListBox::mouseMoveEvent(QMouseEvent* event) {
    // Only a drag that began on an item moves the selection with it.
    if ((event->buttons() & Qt::LeftButton) && !m_captured)
        return;
    QMouseEvent move = plain(QEvent::MouseMove, event);
    QListWidget::mouseMoveEvent(&move);
}

void ListBox::mouseReleaseEvent(QMouseEvent* event) {
    const int before = itemIndex();
    QMouseEvent release = plain(QEvent::MouseButtonRelease, event);
    QListWidget::mouseReleaseEvent(&release);
    // Released outside the items, the selection stays where the drag left it.
    if (itemIndex() < 0 && before >= 0)
        setItemIndex(before);
    // The selection may have followed a drag; it is reported wherever the button is released.
    if (event->button() == Qt::LeftButton && m_captured) {
        m_captured = false;
        emit Click();
    }
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click presses like the first; the double click itself counts
    // anywhere in the list.
    mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

void ListBox::keyPressEvent(QKeyEvent* event) {
    const int before = itemIndex();
    QListWidget::keyPressEvent(event);
    if (itemIndex() != before)
        emit Click();
}
