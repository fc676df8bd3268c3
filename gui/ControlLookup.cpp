#include "gui/ControlLookup.h"

#include <QMenu>
#include <QSet>
#include <QWidget>

#include <cstdio>

namespace {

bool ownedWindow(const QObject* object) {
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget && widget->isWindow() && !qobject_cast<const QMenu*>(widget);
}

} // namespace

QObject* findControl(QWidget* window, const QString& name) {
    if (!window)
        return nullptr;
    // Breadth first, so that a window's own control wins over a deeper one of the same name.
    QList<QObject*> level{window};
    while (!level.isEmpty()) {
        QList<QObject*> next;
        for (QObject* parent : std::as_const(level)) {
            for (QObject* child : parent->children()) {
                if (ownedWindow(child))
                    continue;
                if (child->objectName() == name)
                    return child;
                next.append(child);
            }
        }
        level = next;
    }
    return nullptr;
}

void reportMissingControl(const QString& windowName, const QString& name) {
    static QSet<QString> reported;
    const QString id = windowName + QLatin1Char('.') + name;
    if (reported.contains(id))
        return;
    reported.insert(id);
    std::fprintf(stderr, "z1rpw3rk: control %s is missing; its setting or text is left out\n",
                 qPrintable(id));
}
