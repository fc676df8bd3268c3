#include "gui/ListBox.h"

#include "base/Errors.h"
#include "gui/ItemTextDelegate.h"
#include "gui/RowScrollBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyleOptionSlider>

#include <algorithm>
#include <memory>
#include <utility>

ListBox::ListBox(QWidget* parent, Content content) : QListView(parent) {
    showItems(new ListItems(content, this));
}

ListBox::ListBox(QWidget* parent, ListItems& items) : QListView(parent) {
    showItems(&items);
    // Items that go before their view leave it empty rather than pointing at nothing.
    connect(&items, &QObject::destroyed, this, [this] {
        m_items = nullptr;
        setModel(nullptr);
    });
}

void ListBox::showItems(ListItems* items) {
    setVerticalScrollBar(new RowScrollBar(Qt::Vertical, this));
    m_items = items;
    setModel(items->model());
    setSelectionModel(items->selectionModel());
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    // Items can be arbitrarily long (a loaded file, a typed text); only their beginning is drawn.
    auto* delegate = new ItemTextDelegate(this);
    // Line numbers of any length stay whole: a long one is drawn smaller instead of cut short.
    delegate->setShrinkToFit(items->textModel() == nullptr);
    setItemDelegate(delegate);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

int ListBox::count() const {
    return m_items ? m_items->count() : 0;
}

QString ListBox::item(int index) const {
    if (!m_items)
        throw EListError(index);
    return m_items->item(index);
}

void ListBox::setItem(int index, const QString& text) {
    if (!m_items)
        throw EListError(index);
    m_items->setItem(index, text);
}

void ListBox::add(const QString& text) {
    if (m_items)
        m_items->add(text);
}

void ListBox::addAll(const PackedTexts& texts) {
    if (m_items)
        m_items->addAll(texts);
}

void ListBox::insert(int index, const QString& text) {
    if (!m_items)
        throw EListError(index);
    m_items->insert(index, text);
}

void ListBox::remove(int index) {
    if (!m_items)
        throw EListError(index);
    const QSignalBlocker blocker(this);
    m_items->remove(index);
}

QStringList ListBox::items() const {
    return m_items ? m_items->items() : QStringList();
}

PackedTexts ListBox::texts() const {
    return m_items ? m_items->texts() : PackedTexts();
}

void ListBox::setItems(const PackedTexts& texts) {
    if (m_items)
        m_items->setItems(texts);
}

void ListBox::clearItems() {
    setItems({});
}

void ListBox::setLineCount(int count) {
    if (m_items)
        m_items->setLineCount(count);
}

int ListBox::itemIndex() const {
    return m_items ? m_items->itemIndex() : -1;
}

void ListBox::setItemIndex(int index) {
    const QSignalBlocker blocker(this);
    if (m_items)
        m_items->setItemIndex(index);
}

int ListBox::topIndex() const {
    if (count() == 0)
        return 0;
    const_cast<ListBox*>(this)->executeDelayedItemsLayout();
    return std::min(verticalScrollBar()->value(), count() - 1);
}

void ListBox::setTopIndex(int index) {
    if (count() == 0)
        return;
    scrollTo(indexOf(std::clamp(index, 0, count() - 1)), QAbstractItemView::PositionAtTop);
}

QRect ListBox::itemRect(int index) const {
    return visualRect(indexOf(index));
}

void ListBox::scrollTogether(const QList<ListBox*>& lists) {
    struct Shared {
        bool moving = false;
        int top = 0;
    };
    const auto shared = std::make_shared<Shared>();
    // The lists go one after the other when their window closes.
    QList<QPointer<ListBox>> guarded;
    for (ListBox* list : lists)
        guarded.append(list);
    const auto follow = [guarded, shared](int top) {
        if (shared->moving)
            return;
        shared->moving = true;
        shared->top = top;
        for (ListBox* other : guarded) {
            if (other == nullptr)
                continue;
            // A list whose rows changed a moment ago has not measured its new range yet; the
            // first row must not be clamped to the old one.
            other->executeDelayedItemsLayout();
            other->verticalScrollBar()->setValue(top);
        }
        shared->moving = false;
    };
    for (ListBox* list : lists) {
        QScrollBar* bar = list->verticalScrollBar();
        connect(bar, &QScrollBar::valueChanged, list, follow);
        // A list that measures its rows later (a new song, a resized window) takes the shared
        // first row as far as its range lets it.
        connect(bar, &QScrollBar::rangeChanged, list, [bar, shared] {
            if (!shared->moving && bar->value() != shared->top)
                bar->setValue(shared->top);
        });
    }
}

// ---- Geometry: rows of one height, one below the other, as wide as the view. ----

QModelIndex ListBox::indexOf(int row) const {
    return model()->index(row, 0);
}

int ListBox::rowHeight() const {
    if (m_rowSize.isEmpty()) {
        // Measured on a one-character text: an empty first item must not squash every row.
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.features |= QStyleOptionViewItem::HasDisplay;
        option.text = QStringLiteral("0");
        const QSize line = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, {}, this);
        const QSize first = count() > 0 ? itemDelegate()->sizeHint(option, indexOf(0)) : QSize();
        m_rowSize = QSize(std::max(1, first.width()), std::max({1, line.height(), first.height()}));
    }
    return m_rowSize.height();
}

int ListBox::rowWidth() const {
    rowHeight();
    return std::max(m_rowSize.width(), viewport()->width());
}

int ListBox::visibleRows() const {
    return std::max(1, viewport()->height() / rowHeight());
}

int ListBox::firstRowAt(int y) const {
    const int content = y + verticalOffset();
    return content < 0 ? -1 : content / rowHeight();
}

QRect ListBox::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != model() || index.row() >= count())
        return {};
    return QRect(-horizontalOffset(), index.row() * rowHeight() - verticalOffset(), rowWidth(),
                 rowHeight());
}

QModelIndex ListBox::indexAt(const QPoint& point) const {
    const int row = firstRowAt(point.y());
    if (row < 0 || row >= count() || point.x() < 0 || point.x() >= viewport()->width())
        return {};
    return indexOf(row);
}

int ListBox::horizontalOffset() const {
    return horizontalScrollBar()->value();
}

int ListBox::verticalOffset() const {
    return verticalScrollBar()->value() * rowHeight();
}

bool ListBox::isIndexHidden(const QModelIndex&) const {
    return false;
}

void ListBox::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.model() != model())
        return;
    executeDelayedItemsLayout();
    const int row = index.row();
    const int top = verticalScrollBar()->value();
    const int rows = visibleRows();
    int target = top;
    switch (hint) {
    case PositionAtTop:
        target = row;
        break;
    case PositionAtBottom:
        target = row - rows + 1;
        break;
    case PositionAtCenter:
        target = row - rows / 2;
        break;
    case EnsureVisible:
        if (row < top)
            target = row;
        else if (row >= top + rows)
            target = row - rows + 1;
        break;
    }
    verticalScrollBar()->setValue(target);
}

QModelIndex ListBox::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers) {
    const int n = count();
    if (n == 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return indexOf(0);
    const int row = current.row();
    const int page = std::max(1, visibleRows() - 1);
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        return indexOf(std::max(0, row - 1));
    case MoveDown:
    case MoveNext:
        return indexOf(std::min(n - 1, row + 1));
    case MovePageUp:
        return indexOf(std::max(0, row - page));
    case MovePageDown:
        return indexOf(std::min(n - 1, row + page));
    case MoveHome:
        return indexOf(0);
    case MoveEnd:
        return indexOf(n - 1);
    case MoveLeft:
    case MoveRight:
        break;
    }
    return current;
}

void ListBox::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    const QRect area = rect.normalized();
    const int first = std::max(0, firstRowAt(area.top()));
    const int last = std::min(count() - 1, firstRowAt(area.bottom()));
    QItemSelection selection;
    if (first <= last && area.right() >= 0 && area.left() < viewport()->width())
        selection.select(indexOf(first), indexOf(last));
    selectionModel()->select(selection, command);
}

QRegion ListBox::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.model() != model())
            continue;
        const QRect top = visualRect(indexOf(range.top()));
        const QRect bottom = visualRect(indexOf(range.bottom()));
        region += (top | bottom) & viewport()->rect();
    }
    return region;
}

void ListBox::doItemsLayout() {
    // Nothing to place one by one: rows follow from their number. Only the row size may have
    // changed with the contents (the first item's width) or the font.
    m_rowSize = QSize();
    QAbstractItemView::doItemsLayout();
}

void ListBox::updateGeometries() {
    const int rows = visibleRows();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(rows);
    verticalScrollBar()->setRange(0, std::max(0, count() - rows));
    const int width = count() > 0 ? (rowHeight(), m_rowSize.width()) : 0;
    horizontalScrollBar()->setSingleStep(std::max(1, fontMetrics().averageCharWidth()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    QAbstractItemView::updateGeometries();
}

void ListBox::scrollContentsBy(int dx, int dy) {
    // The rows that stay in view keep their pixels and move; only the rows that come into view
    // are drawn. A song that plays moves every list by a row at each line.
    viewport()->scroll(isRightToLeft() ? -dx : dx, dy * rowHeight());
    // The row under the mouse is drawn as hovered: that look stays at the mouse, not with the
    // row that moved away from it.
    if (underMouse()) {
        const int y = viewport()->mapFromGlobal(QCursor::pos()).y();
        const int row = firstRowAt(y) - verticalScrollBar()->value();
        for (const int shown : {row, row + dy})
            viewport()->update(0, shown * rowHeight(), viewport()->width(), rowHeight());
    }
}

void ListBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_rowSize = QSize();
    if (event->type() == QEvent::StyleChange) {
        if (auto* delegate = qobject_cast<ItemTextDelegate*>(itemDelegate()))
            delegate->forgetRows();
    }
    QListView::changeEvent(event);
}

void ListBox::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    const bool enabled = state & QStyle::State_Enabled;
    const QPalette::ColorGroup group = !enabled           ? QPalette::Disabled
                                       : isActiveWindow() ? QPalette::Active
                                                          : QPalette::Inactive;
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QModelIndex hover =
        underMouse() ? indexAt(viewport()->mapFromGlobal(QCursor::pos())) : QModelIndex();
    const QRect area = event->rect();
    const int first = std::max(0, firstRowAt(area.top()));
    const int last = std::min(count() - 1, firstRowAt(area.bottom()));
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = indexOf(row);
        option.rect = visualRect(index);
        option.state = state;
        option.palette.setCurrentColorGroup(group);
        if (selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (focus && index == current)
            option.state |= QStyle::State_HasFocus;
        if (index == hover)
            option.state |= QStyle::State_MouseOver;
        itemDelegate()->paint(&painter, option, index);
    }
}

// ---- The user's mouse and keys. ----

namespace {

/// The same mouse event without Ctrl or Shift: those never toggle or extend the selection here.
QMouseEvent plain(QEvent::Type type, const QMouseEvent* event) {
    return QMouseEvent(type, event->position(), event->scenePosition(), event->globalPosition(),
                       event->button(), event->buttons(), Qt::NoModifier, event->pointingDevice());
}

} // namespace

void ListBox::setExtendedSelection(bool on) {
    m_extended = on;
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                        : QAbstractItemView::SingleSelection);
}

int ListBox::anchorRow() const {
    const int current = m_items->currentIndex();
    for (const LineRange& range : m_items->selectedRanges()) {
        if (current == range.first)
            return range.last;
        if (current == range.last)
            return range.first;
    }
    return std::max(0, current);
}

void ListBox::selectSpan(int anchor, int row, const QList<LineRange>& base) {
    QList<LineRange> ranges = base;
    ranges.append({std::min(anchor, row), std::max(anchor, row)});
    m_items->select(mergedRanges(ranges), row);
}

void ListBox::toggleRow(int row) {
    m_items->select(toggledLine(m_items->selectedRanges(), row), row);
}

bool ListBox::extendedKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->matches(QKeySequence::SelectAll)) {
        if (count() > 0)
            m_items->select({{0, count() - 1}}, m_items->currentIndex());
        return true;
    }
    CursorAction action = MoveDown;
    switch (event->key()) {
    case Qt::Key_Up: action = MoveUp; break;
    case Qt::Key_Down: action = MoveDown; break;
    case Qt::Key_PageUp: action = MovePageUp; break;
    case Qt::Key_PageDown: action = MovePageDown; break;
    case Qt::Key_Home: action = MoveHome; break;
    case Qt::Key_End: action = MoveEnd; break;
    default: return false;
    }
    // With Ctrl or Alt the keys are commands of the window, not moves.
    if ((modifiers & ~Qt::ShiftModifier) != 0)
        return false;
    const QModelIndex next = moveCursor(action, modifiers);
    if (!next.isValid())
        return true;
    if (modifiers & Qt::ShiftModifier)
        selectSpan(anchorRow(), next.row());
    else
        m_items->select({{next.row(), next.row()}}, next.row());
    scrollTo(next);
    return true;
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    if (m_extended && m_items) {
        const QModelIndex pressed = indexAt(event->position().toPoint());
        m_captured = event->button() == Qt::LeftButton && pressed.isValid();
        if (m_captured) {
            const int row = pressed.row();
            const Qt::KeyboardModifiers modifiers = event->modifiers();
            m_dragBase = modifiers & Qt::ControlModifier ? m_items->selectedRanges()
                                                         : QList<LineRange>();
            if (modifiers & Qt::ShiftModifier) {
                m_dragAnchor = anchorRow();
                selectSpan(m_dragAnchor, row, m_dragBase);
            } else if (modifiers & Qt::ControlModifier) {
                m_dragAnchor = row;
                toggleRow(row);
                m_dragBase = m_items->selectedRanges();
            } else {
                m_dragAnchor = row;
                m_items->select({{row, row}}, row);
            }
        }
        emit MouseDown(event->button());
        return;
    }
    // As in classic desktop list boxes: only a left press on an item moves the selection (a press
    // below the items or with another button leaves it), and Ctrl or Shift never deselect.
    m_captured =
        event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid();
    if (m_captured) {
        QMouseEvent press = plain(QEvent::MouseButtonPress, event);
        QListView::mousePressEvent(&press);
    }
    emit MouseDown(event->button());
}

void ListBox::mouseMoveEvent(QMouseEvent* event) {
    if (m_extended && m_items) {
        if (!m_captured || !(event->buttons() & Qt::LeftButton) || count() == 0)
            return;
        const int row = std::clamp(firstRowAt(event->position().toPoint().y()), 0, count() - 1);
        if (row != m_items->currentIndex()) {
            selectSpan(m_dragAnchor, row, m_dragBase);
            scrollTo(indexOf(row));
        }
        return;
    }
    // Only a drag that began on an item moves the selection with it.
    if ((event->buttons() & Qt::LeftButton) && !m_captured)
        return;
    QMouseEvent move = plain(QEvent::MouseMove, event);
    QListView::mouseMoveEvent(&move);
}

void ListBox::mouseReleaseEvent(QMouseEvent* event) {
    if (m_extended) {
        if (event->button() == Qt::LeftButton && m_captured) {
            m_captured = false;
            emit Click();
        }
        return;
    }
    const int before = itemIndex();
    QMouseEvent release = plain(QEvent::MouseButtonRelease, event);
    QListView::mouseReleaseEvent(&release);
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
    if (m_extended && m_items) {
        const QList<LineRange> ranges = m_items->selectedRanges();
        const int current = m_items->currentIndex();
        if (!extendedKey(event)) {
            QListView::keyPressEvent(event);
        }
        if (m_items && (m_items->selectedRanges() != ranges || m_items->currentIndex() != current))
            emit Click();
        return;
    }
    const int before = itemIndex();
    QListView::keyPressEvent(event);
    if (itemIndex() != before)
        emit Click();
}
