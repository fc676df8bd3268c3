#pragma once

#include <QObject>

class QAction;
class QDialog;
class QMainWindow;
class QMenu;
class QTextBrowser;

/// The menu "Hilfe" at the end of the main window's menu bar: "Anleitung" (Shift+F1; F1 makes
/// track 1 active) shows the manual with the table of every key the program has at that
/// moment, "Über Z1rpW3rk" the version, licence, sound font and installed commands. Both
/// open one window beside the main window, which stays usable.
class HelpMenu final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpMenu)

public:
    explicit HelpMenu(QMainWindow& mainWindow);

    QMenu* Hilfe1 = nullptr;
    QAction* Anleitung1 = nullptr;
    QAction* UeberZ1rpW3rk1 = nullptr;

    void Anleitung1Click();
    void UeberZ1rpW3rk1Click();

private:
    void show(const QString& title, const QString& html);

    QMainWindow& m_main;
    QDialog* m_window = nullptr;
    QTextBrowser* m_text = nullptr;
};
