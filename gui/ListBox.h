#pragma once

#include <QListView>
#include <QStringList>

#include "base/ListItems.h"

/// A list box with the semantics the song relies on: ItemIndex is -1 without a selection,
/// selecting an index outside the list clears the selection, reading or writing an item out of
/// range raises "Listenindex überschreitet das Maximum (%d)". Selection set by code emits no
/// user signal; a user's click or keyboard move emits Click, a mouse press MouseDown, a double
/// click anywhere in the list (below the items or in an empty list too) DblClick. Only a left
/// press on an item moves the selection.
///
/// All rows have the height of one line of text, so the view places them by arithmetic: a song
/// of millions of lines costs no layout, and adding or removing a row costs the same at any
/// length. A list of `Content::Numbers` shows "0" … "n − 1" and holds nothing but n.
class ListBox final : public QListView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListBox)

public:
    using Content = ListItems::Content;
    /// A list box with items of its own.
    explicit ListBox(QWidget* parent = nullptr, Content content = Content::Texts);
    /// A view of items held elsewhere (a list of the song): it shows their rows and their
    /// selection, and its item methods change them.
    ListBox(QWidget* parent, ListItems& items);

    /// The items this view shows.
    ListItems& listItems() const { return *m_items; }

    /// Several items at once, as in desktop file lists: Shift with a click or the arrow keys
    /// extends the selection from its anchor, Ctrl with a click adds or removes one item,
    /// Ctrl+A selects all. The anchor is the far end of the selected run that holds the
    /// current item, so it is the same in every view of the items.
    void setExtendedSelection(bool on);

    int count() const;
    QString item(int index) const;
    void setItem(int index, const QString& text);
    void add(const QString& text);
    void addAll(const PackedTexts& texts);
    void insert(int index, const QString& text);
    void remove(int index);
    /// All items, each a string of its own.
    QStringList items() const;
    /// All items packed: shares the list's storage, no copy is made until one side changes.
    PackedTexts texts() const;
    /// Replaces all items at once; like emptying the list, this drops the selection.
    void setItems(const PackedTexts& texts);
    void clearItems();
    /// A list of numbers: renumbers it to "0" … "count − 1" (no selection afterwards).
    void setLineCount(int count);

    int itemIndex() const;
    void setItemIndex(int index);
    int topIndex() const;
    void setTopIndex(int index);
    /// Where item `index` is drawn, in viewport coordinates.
    QRect itemRect(int index) const;

    /// Parallel lists that scroll as one: whatever moves the first row of one of them (the
    /// wheel, its scroll bar, the Page keys, a selection set by code) moves the others to the
    /// same first row, so their rows stay side by side.
    static void scrollTogether(const QList<ListBox*>& lists);

    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;

signals:
    void Click();
    void MouseDown(Qt::MouseButton button);
    void DblClick();

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QModelIndex indexOf(int row) const;
    int rowHeight() const;
    int rowWidth() const;
    /// Rows that fit wholly into the viewport (at least one).
    int visibleRows() const;
    int firstRowAt(int y) const;

    void showItems(ListItems* items);
    int anchorRow() const;
    /// Selects anchor … row (beside `base`) with `row` current.
    void selectSpan(int anchor, int row, const QList<LineRange>& base = {});
    void toggleRow(int row);
    bool extendedKey(QKeyEvent* event);

    ListItems* m_items = nullptr; ///< the items shown; null once items held elsewhere are gone
    mutable QSize m_rowSize;              ///< every row's size; empty until measured
    bool m_captured = false; ///< a left press on an item: its release reports the selection
    bool m_extended = false;
    int m_dragAnchor = -1;             ///< where a drag began that selects a run
    QList<LineRange> m_dragBase;       ///< what a drag with Ctrl adds its run to
};
