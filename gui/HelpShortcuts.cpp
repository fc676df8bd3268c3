#include "gui/HelpShortcuts.h"

#include "gui/UiLanguage.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QShortcut>

#include <algorithm>

namespace {

const QString kArrow = QStringLiteral(" → ");

/// A menu text as read: without its mnemonic marks, its key hint and a trailing ellipsis.
QString plain(const QString& text) {
    QString result = UiLanguage::text(text);
    result = result.section(QLatin1Char('\t'), 0, 0);
    result.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    result.remove(QLatin1Char('&'));
    result.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    result = result.trimmed();
    while (result.endsWith(QLatin1Char('.')) || result.endsWith(QChar(0x2026)))
        result.chop(1);
    return result.trimmed();
}

QString keysOf(const QList<QKeySequence>& sequences) {
    QStringList texts;
    for (const QKeySequence& sequence : sequences)
        if (!sequence.isEmpty())
            texts.append(sequence.toString(QKeySequence::NativeText));
    return texts.join(QStringLiteral(", "));
}

/// The window a command belongs to: the window of the widget that owns it, past any menu.
const QWidget* ownerWindow(const QObject* object) {
    for (const QObject* o = object->parent(); o; o = o->parent())
        if (o->isWidgetType() && !qobject_cast<const QMenu*>(o))
            return static_cast<const QWidget*>(o)->window();
    return nullptr;
}

class Collector {
public:
    QList<ShortcutRow> rows;

    void menu(const QList<QAction*>& actions, const QString& path) {
        for (QAction* action : actions) {
            if (action->isSeparator() || !action->isVisible())
                continue;
            const QString here = path.isEmpty() ? plain(action->text())
                                                : path + kArrow + plain(action->text());
            if (QMenu* sub = action->menu()) {
                m_seen.insert(action);
                menu(sub->actions(), here);
            } else {
                add(action, here);
            }
        }
    }

    /// The keys of a window that its menus do not show.
    void window(QWidget& window) {
        const QString title = plain(window.windowTitle());
        const auto where = [&](const QString& text) {
            return title.isEmpty() || &window == m_main ? text : title + kArrow + text;
        };
        for (QMenuBar* bar : window.findChildren<QMenuBar*>())
            if (bar != m_mainBar && bar->window() == &window)
                menu(bar->actions(), title);
        QList<QAction*> actions = window.actions();
        for (QAction* action : window.findChildren<QAction*>())
            if (!actions.contains(action) && ownerWindow(action) == &window)
                actions.append(action);
        for (QAction* action : std::as_const(actions))
            if (!action->isSeparator() && action->isVisible() && !action->menu())
                add(action, where(plain(action->text())));
        for (QShortcut* shortcut : window.findChildren<QShortcut*>()) {
            if (ownerWindow(shortcut) != &window)
                continue;
            const QString what = plain(shortcut->whatsThis());
            const QString keys = keysOf(shortcut->keys());
            if (!what.isEmpty() && !keys.isEmpty())
                rows.append({keys, where(what)});
        }
    }

    QWidget* m_main = nullptr;
    QMenuBar* m_mainBar = nullptr;

private:
    void add(QAction* action, const QString& what) {
        if (m_seen.contains(action))
            return;
        m_seen.insert(action);
        const QString keys = keysOf(action->shortcuts());
        if (!keys.isEmpty() && !what.isEmpty())
            rows.append({keys, what});
    }

    QSet<const QAction*> m_seen;
};

} // namespace

QList<ShortcutRow> shortcutRows(QMainWindow& mainWindow) {
    Collector collect;
    collect.m_main = &mainWindow;
    collect.m_mainBar = mainWindow.menuBar();
    collect.menu(mainWindow.menuBar()->actions(), QString());
    collect.window(mainWindow);
    // The other windows in a fixed order: by their names.
    QList<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget != &mainWindow && !qobject_cast<QMenu*>(widget) &&
            widget->windowType() != Qt::ToolTip && !widget->property("helpWindow").toBool())
            windows.append(widget);
    std::sort(windows.begin(), windows.end(), [](const QWidget* a, const QWidget* b) {
        return a->objectName() < b->objectName();
    });
    for (QWidget* window : std::as_const(windows))
        collect.window(*window);
    return collect.rows;
}
