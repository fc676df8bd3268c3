#include "gui/RowScrollBar.h"

#include "gui/WindowPixels.h"

#include <QCache>
#include <QHash>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStyleOptionSlider>

#include <array>
#include <memory>
#include <utility>

namespace {

/// What a bar looks like apart from where its slider is.
struct BarLook {
    const QStyle* style = nullptr;
    /// The colours of the palette's current group: each list has a palette of its own, but
    /// their bars may well look the same.
    std::array<QRgb, QPalette::NColorRoles> colors{};
    QSize size;
    qreal pixelRatio = 0;
    QImage::Format format = QImage::Format_Invalid;
    int orientation = 0;
    int state = 0;
    int direction = 0;
    int minimum = 0;
    int maximum = 0;
    int pageStep = 0;
    int singleStep = 0;
    bool upsideDown = false;
    bool operator==(const BarLook&) const = default;
};

size_t qHash(const BarLook& look, size_t seed) {
    return qHashMulti(seed, look.style, qHashRange(look.colors.begin(), look.colors.end()),
                      look.size.width(), look.size.height(), look.pixelRatio, int(look.format),
                      look.orientation, look.state, look.direction, look.minimum, look.maximum,
                      look.pageStep, look.singleStep, look.upsideDown);
}

/// The colours a list gives its rows: its bar inherits them, but styles draw bars with others.
constexpr std::array kRowRoles{QPalette::Base, QPalette::AlternateBase, QPalette::Text,
                               QPalette::HighlightedText};

/// Whether @p style draws scroll bars with the rows' colours, found out once by drawing a bar
/// with those colours turned round: the song's lists have rows of their own colours, and bars
/// that do not show them all look alike.
QHash<const QStyle*, bool>& rowColourStyles() {
    static QHash<const QStyle*, bool> known;
    return known;
}

bool drawsWithRowColours(const QStyle* style, const QStyleOptionSlider& option,
                         const QWidget* bar) {
    QHash<const QStyle*, bool>& known = rowColourStyles();
    if (const auto found = known.constFind(style); found != known.cend())
        return *found;
    QStyleOptionSlider turned = option;
    for (const QPalette::ColorRole role : kRowRoles)
        turned.palette.setColor(role, QColor::fromRgb(~option.palette.color(role).rgb()));
    const auto draw = [&](const QStyleOptionSlider& with) {
        QImage image(with.rect.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        style->drawComplexControl(QStyle::CC_ScrollBar, &with, &painter, bar);
        return image;
    };
    const bool uses = draw(option) != draw(turned);
    known.insert(style, uses);
    return uses;
}

/// The picture of a bar of one look with its slider at one place.
struct BarPicture {
    QImage image;
    int position = 0;
};

/// One picture per look, shared by every bar of that look: the song's lists scroll as one, so
/// their bars move alike, and the first to be drawn at a new place brings the picture there.
QCache<BarLook, BarPicture>& pictures() {
    static QCache<BarLook, BarPicture> cache(16);
    return cache;
}

} // namespace

RowScrollBar::RowScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    setAutoFillBackground(true);
}

void RowScrollBar::sliderChange(SliderChange change) {
    const QRect before = std::exchange(m_slider, sliderRect());
    const bool atEnd = value() == minimum() || value() == maximum();
    const bool moved = change == SliderValueChange && before.isValid() && !atEnd &&
                       !std::exchange(m_atEnd, atEnd) &&
                       !style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this);
    m_atEnd = atEnd;
    // Styles draw the slider's edge a pixel or two around its place. In a long song the
    // slider moves less than a pixel a line: then nothing changes.
    if (moved && before == m_slider)
        return;
    if (moved)
        update((before | m_slider).adjusted(-kSliderEdge, -kSliderEdge, kSliderEdge, kSliderEdge));
    else
        QScrollBar::sliderChange(change);
}

void RowScrollBar::resizeEvent(QResizeEvent* event) {
    m_slider = QRect();
    QScrollBar::resizeEvent(event);
}

void RowScrollBar::changeEvent(QEvent* event) {
    m_slider = QRect();
    // A style that goes may leave its address to the next: nothing drawn by it is kept.
    if (event->type() == QEvent::StyleChange) {
        pictures().clear();
        rowColourStyles().clear();
    }
    QScrollBar::changeEvent(event);
}

QRect RowScrollBar::sliderRect() const {
    // The song's five bars move alike: the place worked out for the first serves the others.
    struct Place {
        const QStyle* style = nullptr;
        QSize size;
        int orientation = 0, direction = 0, minimum = 0, maximum = 0, pageStep = 0, position = 0;
        bool upsideDown = false;
        bool operator==(const Place&) const = default;
    };
    static Place last;
    static QRect lastRect;
    const Place place{style(),          size(),    int(orientation()), int(layoutDirection()),
                      minimum(),        maximum(), pageStep(),         sliderPosition(),
                      invertedAppearance()};
    if (place == last && place.style != nullptr)
        return lastRect;
    QStyleOptionSlider option;
    initStyleOption(&option);
    last = place;
    lastRect = style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    return lastRect;
}

void RowScrollBar::paintEvent(QPaintEvent* event) {
    // Under the mouse or with a button down the bar's parts light up or look pressed, and a bar
    // that fades in and out changes by itself: those are drawn as they are.
    const QBrush& background = palette().brush(backgroundRole());
    if (underMouse() || QGuiApplication::mouseButtons() != Qt::NoButton ||
        background.style() != Qt::SolidPattern || !background.isOpaque() ||
        style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this)) {
        QScrollBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    // Pictures are of the window's own pixels; a bar drawn anywhere else (a picture of the
    // window) is drawn afresh.
    const QImage* window = windowPixels(painter, *this);
    if (!window) {
        painter.end();
        QScrollBar::paintEvent(event);
        return;
    }
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    option.activeSubControls = QStyle::SC_None;
    BarLook look{style(),
                 {},
                 size(),
                 painter.deviceTransform().m11(),
                 window->format(),
                 int(option.orientation),
                 int(option.state),
                 int(option.direction),
                 option.minimum,
                 option.maximum,
                 option.pageStep,
                 option.singleStep,
                 option.upsideDown};
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const QBrush& brush = option.palette.brush(QPalette::ColorRole(role));
        if (brush.style() != Qt::SolidPattern && brush.style() != Qt::NoBrush) {
            painter.end();
            QScrollBar::paintEvent(event);
            return;
        }
        look.colors[std::size_t(role)] = brush.color().rgba();
    }
    if (!drawsWithRowColours(style(), option, this)) {
        for (const QPalette::ColorRole role : kRowRoles)
            look.colors[std::size_t(role)] = 0;
    }

    // What changed since the picture was drawn: all of it when new; else, as on the screen,
    // only where the slider was and is, unless it comes to or leaves an end, where the arrows
    // change their look.
    BarPicture* picture = pictures().object(look);
    QRect changed;
    if (picture == nullptr) {
        picture = new BarPicture{QImage(size() * look.pixelRatio, look.format), 0};
        picture->image.setDevicePixelRatio(look.pixelRatio);
        pictures().insert(look, picture);
        changed = rect();
    } else if (picture->position != option.sliderPosition) {
        const auto atEnd = [&option](int position) {
            return position == option.minimum || position == option.maximum;
        };
        changed = rect();
        if (!atEnd(picture->position) && !atEnd(option.sliderPosition)) {
            QStyleOptionSlider before = option;
            before.sliderPosition = before.sliderValue = picture->position;
            const QRect was =
                style()->subControlRect(QStyle::CC_ScrollBar, &before, QStyle::SC_ScrollBarSlider, this);
            const QRect is =
                style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
            changed = (was | is).adjusted(-kSliderEdge, -kSliderEdge, kSliderEdge, kSliderEdge) & rect();
        }
    }
    if (!changed.isEmpty()) {
        // Drawn on a piece of its own: styles set clips of their own while they draw, which
        // would let them draw over the rest of the picture a second time.
        QImage piece(changed.size() * look.pixelRatio, look.format);
        piece.setDevicePixelRatio(look.pixelRatio);
        piece.fill(background.color());
        QPainter on(&piece);
        on.translate(-changed.topLeft());
        style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &on, this);
        on.end();
        QPainter into(&picture->image);
        into.setCompositionMode(QPainter::CompositionMode_Source);
        into.drawImage(changed.topLeft(), piece);
        into.end();
        picture->position = option.sliderPosition;
    }
    painter.drawImage(0, 0, picture->image);
}
