#pragma once

#include <QStyledItemDelegate>

/// Draws list items with at most the first `kShownCharacters` characters of their text. A song
/// file may hold items of megabytes; laying out all of that on every repaint of a 65-pixel
/// column would freeze the window. The item itself keeps its whole text.
class ItemTextDelegate final : public QStyledItemDelegate {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ItemTextDelegate)

public:
    static constexpr int kShownCharacters = 256;

    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
