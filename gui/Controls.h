#pragma once

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
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

/// Places a window in the middle of the primary screen's free area.
inline void centerOnScreen(QWidget* window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}
