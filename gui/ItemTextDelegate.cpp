#include "gui/ItemTextDelegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QStyle>

#include <cmath>

QFont ItemTextDelegate::fittingFont(const QFont& font, const QString& text, int width) {
    QFont fitting = font;
    for (;;) {
        const qreal needed = QFontMetricsF(fitting).horizontalAdvance(text);
        if (needed <= width || width <= 0)
            return fitting;
        // Scaled by the ratio first; glyph widths do not scale exactly, so check again.
        const qreal scale = std::min(0.95, width / needed);
        if (fitting.pixelSize() > 0) {
            if (fitting.pixelSize() <= 1)
                return fitting;
            fitting.setPixelSize(std::max(1, int(std::floor(fitting.pixelSize() * scale))));
        } else {
            if (fitting.pointSizeF() <= 1)
                return fitting;
            fitting.setPointSizeF(std::max(1.0, std::floor(fitting.pointSizeF() * scale * 4) / 4));
        }
    }
}

void ItemTextDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->text.size() > kShownCharacters)
        option->text.truncate(kShownCharacters);
    if (!m_shrinkToFit || option->rect.width() <= 0 || option->text.isEmpty())
        return;

    // The style keeps a focus margin on both sides of the text.
    const QWidget* widget = option->widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const int room = option->rect.width() - 2 * margin;
    const QFont font = fittingFont(option->font, option->text, room);
    if (font == option->font)
        return;
    option->font = font;
    option->fontMetrics = QFontMetrics(font);
    option->textElideMode = Qt::ElideNone;
}
