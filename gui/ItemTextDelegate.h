#pragma once

#include <QCache>
#include <QFont>
#include <QImage>
#include <QStyledItemDelegate>

#include <optional>

/// Draws list items with at most the first `kShownCharacters` characters of their text. A song
/// file may hold items of megabytes; laying out all of that on every repaint of a 65-pixel
/// column would freeze the window. The item itself keeps its whole text.
///
/// With shrink-to-fit, a text wider than its row is drawn in a smaller font instead of being
/// cut short, so that a number is never shown as its first digits and an ellipsis.
///
/// Rows are drawn once per look and kept as pictures: a playing song moves the selection and
/// scrolls every list at each line, and laying out the same few texts again and again was most
/// of what playing cost. A row's picture is copied from the window where the style drew it,
/// so it is the very pixels the style draws there.
class ItemTextDelegate final : public QStyledItemDelegate {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ItemTextDelegate)

public:
    static constexpr int kShownCharacters = 256;

    using QStyledItemDelegate::QStyledItemDelegate;

    void setShrinkToFit(bool shrink);
    /// Drops the kept rows (the view's style changed: a new one may take the old one's place).
    void forgetRows() { m_rows.clear(); }
    bool shrinkToFit() const { return m_shrinkToFit; }

    /// `font`, made smaller if needed so that `text` takes at most `width` pixels.
    static QFont fittingFont(const QFont& font, const QString& text, int width);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    /// What a row's picture depends on besides the list's look (font, palette, style,
    /// background, pixel ratio), which empties the cache when it changes.
    struct RowKey {
        QString text;
        int state = 0;
        int colorGroup = 0;
        int features = 0;
        QSize size;
        bool operator==(const RowKey&) const = default;
    };
    friend size_t qHash(const RowKey& key, size_t seed) {
        return qHashMulti(seed, key.text, key.state, key.colorGroup, key.features, key.size.width(),
                          key.size.height());
    }
    struct Look {
        const QStyle* style = nullptr;
        QFont font;
        qint64 palette = 0;
        QRgb background = 0;
        qreal pixelRatio = 0;
        QImage::Format format = QImage::Format_Invalid;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        bool operator==(const Look&) const = default;
    };

    /// The look of rows drawn by `painter`: the background under them is one opaque colour and
    /// the painter draws whole pixels into the window. Nothing when rows must be drawn in place.
    static std::optional<Look> lookOf(const QPainter* painter, const QStyleOptionViewItem& option);

    bool m_shrinkToFit = false;
    /// The font whose widest digit is known, and that digit's advance.
    mutable QFont m_digitFont;
    mutable qreal m_widestDigit = 0;
    mutable Look m_look;
    /// Each picture costs its bytes; a few hundred rows of a column fit.
    mutable QCache<RowKey, QImage> m_rows{1 << 20};
};
