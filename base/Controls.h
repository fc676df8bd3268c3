#pragma once

#include <QRect>
#include <QString>

/// Gives a new control its design name, by which tests and the language switch find it.
template <typename Widget> Widget* named(Widget* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

/// Names a new control and puts it at its design place (left, top, width × height).
template <typename Widget> Widget* placed(Widget* widget, const QString& name, const QRect& rect) {
    named(widget, name)->setGeometry(rect);
    return widget;
}
