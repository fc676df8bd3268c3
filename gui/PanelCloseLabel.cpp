#include "gui/PanelCloseLabel.h"

#include <QMouseEvent>

PanelCloseLabel::PanelCloseLabel(QWidget* parent) : QLabel(QStringLiteral("X"), parent) {
    QFont font = this->font();
    font.setBold(true);
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    adjustSize();
}

void PanelCloseLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    // A click is a press and release on the label, as a button takes it.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
