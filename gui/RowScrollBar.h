#pragma once

#include <QScrollBar>

/// The scroll bar of a song's list. When only its value moves, it redraws where its slider was
/// and is rather than all of itself: a playing song moves the bar at every line, and the rest
/// of the bar looks the same before and after. At either end (where the arrows change their
/// look), on scroll bars that show themselves when moved, and for any other change it redraws
/// whole.
///
/// It covers its place with the window's colour before the style draws on it, so nothing
/// beneath it (the list's frame, the window's picture) is drawn again when it moves. And the
/// song's parallel lists show bars of the same look at the same place: the first of them drawn
/// at a new place updates a picture that the others copy, rather than each drawing its own.
class RowScrollBar final : public QScrollBar {
public:
    explicit RowScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void sliderChange(SliderChange change) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect sliderRect() const;

    static constexpr int kSliderEdge = 3;

    QRect m_slider;      ///< where the slider was last drawn; invalid when not known
    bool m_atEnd = true; ///< the value was at an end
};
