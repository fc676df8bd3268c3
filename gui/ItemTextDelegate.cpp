#include "gui/ItemTextDelegate.h"

#include "gui/WindowPixels.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QStyle>

#include <algorithm>
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

void ItemTextDelegate::setShrinkToFit(bool shrink) {
    m_shrinkToFit = shrink;
    m_rows.clear();
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
    // A number of a few digits fits with room to spare; laying it out to measure it would cost
    // more than drawing it. One digit of slack covers any kerning between digits.
    if (option->font != m_digitFont) {
        m_digitFont = option->font;
        const QFontMetricsF metrics(m_digitFont);
        m_widestDigit = 0;
        for (char16_t digit = u'0'; digit <= u'9'; ++digit)
            m_widestDigit = std::max(m_widestDigit, metrics.horizontalAdvance(QChar(digit)));
        m_widestDigit = std::max(m_widestDigit, metrics.horizontalAdvance(QLatin1Char('-')));
    }
    const auto isDigit = [](QChar c) { return (c >= u'0' && c <= u'9') || c == u'-'; };
    if ((option->text.size() + 1) * m_widestDigit <= room &&
        std::all_of(option->text.begin(), option->text.end(), isDigit))
        return;
    const QFont font = fittingFont(option->font, option->text, room);
    if (font == option->font)
        return;
    option->font = font;
    option->fontMetrics = QFontMetrics(font);
    option->textElideMode = Qt::ElideNone;
}

std::optional<ItemTextDelegate::Look> ItemTextDelegate::lookOf(const QPainter* painter,
                                                              const QStyleOptionViewItem& option) {
    // Rows sit on the view's own background; anything else under them (a picture, a colour
    // that lets the window through) would make the same row look different elsewhere.
    const auto* view = qobject_cast<const QAbstractScrollArea*>(option.widget);
    const QWidget* viewport = view ? view->viewport() : nullptr;
    if (!viewport || !viewport->autoFillBackground() || option.backgroundBrush.style() != Qt::NoBrush)
        return std::nullopt;
    const QBrush& background = viewport->palette().brush(viewport->backgroundRole());
    if (background.style() != Qt::SolidPattern || !background.isOpaque())
        return std::nullopt;
    // Kept rows are copied from the window's own pixels, where the style drew them.
    const QImage* window = windowPixels(*painter, *option.widget);
    if (!window)
        return std::nullopt;
    return Look{option.widget->style(),
                option.font,
                option.palette.cacheKey(),
                background.color().rgba(),
                painter->deviceTransform().m11(),
                window->format(),
                option.direction};
}

void ItemTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    // The lists' items are texts and nothing else (no font, colour or icon of their own):
    // a row looks as the view's option and its text say.
    const std::optional<Look> look = lookOf(painter, option);
    if (!look || option.rect.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    if (!(*look == m_look)) {
        m_rows.clear();
        m_look = *look;
    }
    QString text = index.data(Qt::DisplayRole).toString();
    text.truncate(kShownCharacters);
    RowKey key{std::move(text), int(option.state), int(option.palette.currentColorGroup()),
               int(option.features), option.rect.size()};
    if (const QImage* picture = m_rows.object(key)) {
        painter->drawImage(option.rect.topLeft(), *picture);
        return;
    }
    QStyledItemDelegate::paint(painter, option, index);
    // Kept only when the whole row was drawn: the part of the window being drawn may cut it.
    const QRect onDevice = painter->deviceTransform().mapRect(option.rect);
    // The window's pixels, as lookOf found them.
    const auto* target = static_cast<const QImage*>(painter->paintEngine()->paintDevice());
    QRegion drawn = painter->paintEngine()->systemClip();
    if (drawn.isEmpty())
        drawn = target->rect();
    if (painter->hasClipping())
        drawn &= painter->deviceTransform().map(painter->clipRegion());
    if (!(QRegion(onDevice) - drawn).isEmpty() || !target->rect().contains(onDevice))
        return;
    auto picture = std::make_unique<QImage>(target->copy(onDevice));
    picture->setDevicePixelRatio(look->pixelRatio);
    const auto bytes = picture->sizeInBytes();
    m_rows.insert(std::move(key), picture.release(), bytes);
}
