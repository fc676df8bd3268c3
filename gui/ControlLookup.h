#pragma once

#include <QObject>
#include <QString>
#include <QWidget>

/// The control of @p window with the design name @p name, or nullptr. Only the window's own
/// controls count: windows it owns (the main window owns every other window, which have
/// controls of the same names) are not searched, its menus are.
QObject* findControl(QWidget* window, const QString& name);

template <typename T> T* findControlAs(QWidget* window, const QString& name) {
    return qobject_cast<T*>(findControl(window, name));
}

/// Says once on stderr that a window lacks a control it should have.
void reportMissingControl(const QString& windowName, const QString& name);

/// As findControlAs, but a control that is missing or of another kind is reported, naming it,
/// so that a window built without it is noticed rather than silently losing a setting.
template <typename T> T* requiredControl(QWidget* window, const QString& name) {
    T* control = findControlAs<T>(window, name);
    if (!control)
        reportMissingControl(window ? window->objectName() : QString(), name);
    return control;
}
