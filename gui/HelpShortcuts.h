#pragma once

#include <QList>
#include <QString>

class QMainWindow;

/// One key of the program and what it does, as the manual's table shows it.
struct ShortcutRow {
    QString keys; ///< the key sequences, in the toolkit's language ("Strg+S" / "Ctrl+S")
    QString what; ///< where the command lies ("Datei → Speichern") or what the key does
};

/// The table of keys, read from the program's own actions when it is asked for, so that it
/// lists every command that has a key, also those added later: the main window's menus in
/// their order, then actions and window keys of the main window and the other windows that no
/// menu shows. A window key (QShortcut) is listed when it says what it does (its What's-This
/// text). Texts are in the interface language.
QList<ShortcutRow> shortcutRows(QMainWindow& mainWindow);
