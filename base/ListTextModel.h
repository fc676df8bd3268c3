#pragma once

#include <QAbstractListModel>
#include <QStringList>

#include <utility>
#include <vector>

/// The texts of one list box. A row costs its string and nothing else, and the view asks only
/// for the rows it shows.
///
/// The rows are kept in blocks of a few thousand, so inserting or removing a row in the middle
/// of a million moves the texts of one block and the start rows of the blocks after it, not
/// half the list. A list handed in whole is not copied: its blocks are windows onto it, and a
/// block takes a copy of its own rows only when one of them changes. Reading the whole list
/// back returns that list as long as nothing changed; after changes one pass gathers the rows
/// into a new list, which the blocks then look into, so the next whole read is free again.
class ListTextModel final : public QAbstractListModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListTextModel)

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int count() const { return int(m_count); }
    const QString& text(int row) const;
    /// All rows as one list (shared, see above).
    QStringList texts() const;
    /// Rows first … first + n − 1; all rows are read as a whole (shared, as above).
    QStringList texts(int first, int n) const;

    void setText(int row, const QString& text);
    void append(const QString& text);
    void append(const QStringList& texts);
    void insert(int row, const QString& text);
    /// Inserts the texts before `row` (at the end for `row` = count()): one notification.
    void insert(int row, const QStringList& texts);
    void remove(int row);
    /// Removes rows row … row + n − 1: one notification.
    void remove(int row, int n);
    /// Replaces rows row … row + texts.size() − 1 by the texts: one notification.
    void replace(int row, const QStringList& texts);
    /// Replaces all rows at once (views drop their selection, as for any new contents). A long
    /// list's old texts are released off the window's thread.
    void setTexts(const QStringList& texts);

signals:
    /// Sent by setText() and replace() while rows first … last still hold their old texts;
    /// dataChanged() follows for the same rows.
    void textsAboutToChange(int first, int last);

private:
    /// `size` consecutive rows: a window onto the shared list from row `from` on, or, once one
    /// of them changed, a list of the block's own.
    struct Block {
        QStringList own;
        qsizetype from = 0;
        qsizetype size = 0;
        bool owned = false;
    };

    /// The block holding `row` and the row's place in it.
    std::pair<std::size_t, qsizetype> locate(qsizetype row) const;
    /// The block's texts as a list of its own, to be changed in place.
    QStringList& own(std::size_t block);
    /// Splits the block holding `row` so that `row` begins a block; the index of that block
    /// (the count of blocks for `row` = count()).
    std::size_t splitAt(qsizetype row);
    /// The start rows of the blocks from `block` on follow the sizes before them again.
    void renumberFrom(std::size_t block);
    /// Puts every row at its place in the shared list, which nothing else holds.
    void gatherInPlace() const;
    /// Makes `texts` the shared list and the blocks windows onto all of it.
    void lookInto(const QStringList& texts) const;

    // A whole read may gather the rows into a new shared list: the blocks change then, the
    // rows do not.
    mutable QStringList m_shared;
    mutable std::vector<Block> m_blocks;
    /// The first row of each block.
    mutable std::vector<qsizetype> m_starts;
    /// The block of the last row looked up: rows are mostly read in order.
    mutable std::size_t m_lastBlock = 0;
    qsizetype m_count = 0;
};
