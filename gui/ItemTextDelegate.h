#pragma once

#include <QStyledItemDelegate>

/// Draws list items with at most the first `kShownCharacters` characters of their text. A song
/// file may hold items of megabytes; laying out all of that on every repaint of a 65-pixel
/// column would freeze the window. The item itself keeps its whole text.
///
/// With shrink-to-fit, a text wider than its row is drawn in a smaller font instead of being
/// cut short, so that a number is never shown as its first digits and an ellipsis.
class ItemTextDelegate final : public QStyledItemDelegate {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ItemTextDelegate)

public:
    static constexpr int kShownCharacters = 256;

    using QStyledItemDelegate::QStyledItemDelegate;

    void setShrinkToFit(bool shrink) { m_shrinkToFit = shrink; }
    bool shrinkToFit() const { return m_shrinkToFit; }

    /// `font`, made smaller if needed so that `text` takes at most `width` pixels.
    static QFont fittingFont(const QFont& font, const QString& text, int width);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    bool m_shrinkToFit = false;
};
