#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

#include "base/LineRange.h"
#include "base/PackedTexts.h"

class LineNumberModel;
class ListTextModel;
class QAbstractItemModel;
class QItemSelectionModel;

/// The items and the selection of one list, without a view: the semantics the song relies on.
/// `itemIndex` is −1 without a selection; selecting an index outside the list clears the
/// selection; reading or writing an item out of range raises "Listenindex überschreitet das
/// Maximum (%d)". A list of `Content::Numbers` shows "0" … "n − 1" and holds nothing but n.
///
/// Views (`ListBox`) show the model and share the selection model, so a selection set here is
/// the one every view of the list shows, and a user's click in a view is the selection here.
class ListItems final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListItems)

public:
    enum class Content { Texts, Numbers };
    explicit ListItems(Content content = Content::Texts, QObject* parent = nullptr);
    ~ListItems() override;

    QAbstractItemModel* model() const;
    QItemSelectionModel* selectionModel() const { return m_selection; }
    /// The texts of a list of texts; null for a list of numbers.
    ListTextModel* textModel() const { return m_texts; }

    int count() const;
    QString item(int index) const;
    void setItem(int index, const QString& text);
    void add(const QString& text);
    void addAll(const PackedTexts& texts);
    void insert(int index, const QString& text);
    /// Removing the selected item leaves no selection; a later selected item keeps its
    /// selection, shifted up by one.
    void remove(int index);
    /// Inserts the texts before `index` (at the end for `index` = count()), all at once.
    void insertItems(int index, const PackedTexts& texts);
    /// Inserts n empty items before `index` (for a list of numbers: n numbers), all at once.
    void insertEmptyItems(int index, int n);
    /// Removes items index … index + n − 1, all at once.
    void removeItems(int index, int n);
    /// Replaces items index … index + texts.size() − 1, all at once.
    void replaceItems(int index, const PackedTexts& texts);
    /// Items index … index + n − 1, each a string of its own.
    QStringList items(int index, int n) const;
    /// All items, each a string of its own: for short lists. Long ones are read with texts().
    QStringList items() const;
    /// Items index … index + n − 1, packed; shares the list's storage where it can.
    PackedTexts texts(int index, int n) const;
    /// All items, packed; shares the list's storage.
    PackedTexts texts() const;
    /// Replaces all items at once; like emptying the list, this drops the selection.
    void setItems(const PackedTexts& texts);
    void clearItems();
    /// A list of numbers: renumbers it to "0" … "count − 1" (no selection afterwards).
    void setLineCount(int count);

    /// The selected item: the current one (where the focus is) when it is selected, else the
    /// first selected one; −1 without a selection.
    int itemIndex() const;
    /// Selects only `index` and makes it current.
    void setItemIndex(int index);

    /// The selected items as sorted, disjoint, merged ranges; empty without a selection.
    QList<LineRange> selectedRanges() const;
    /// The current item (the focus), selected or not; −1 for none.
    int currentIndex() const;
    /// Selects the ranges (parts outside the list are left out) and makes `current` the
    /// current item (none for an index outside the list).
    void select(const QList<LineRange>& ranges, int current);

private:
    ListTextModel* m_texts = nullptr;     ///< the items of a list of texts
    LineNumberModel* m_numbers = nullptr; ///< the count of a list of numbers
    QItemSelectionModel* m_selection = nullptr;
};
