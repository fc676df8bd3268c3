#include "gui/RowScrollBar.h"

#include <QStyleOptionSlider>

#include <utility>

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
    // Styles draw the slider's edge a pixel or two around its place.
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
    QScrollBar::changeEvent(event);
}

QRect RowScrollBar::sliderRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
}
