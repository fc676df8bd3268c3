#include "gui/HelpMenu.h"

#include "base/Guard.h"
#include "gui/HelpShortcuts.h"
#include "gui/HelpTexts.h"
#include "gui/UiLanguage.h"

#include <QAction>
#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpMenu::HelpMenu(QMainWindow& mainWindow) : QObject(&mainWindow), m_main(mainWindow) {
    setObjectName(QStringLiteral("HelpMenu"));
    Hilfe1 = mainWindow.menuBar()->addMenu(QStringLiteral("Hilfe"));
    Hilfe1->setObjectName(QStringLiteral("Hilfe1"));
    Hilfe1->menuAction()->setObjectName(QStringLiteral("Hilfe1Item"));
    Anleitung1 = Hilfe1->addAction(QStringLiteral("Anleitung"));
    Anleitung1->setObjectName(QStringLiteral("Anleitung1"));
    Anleitung1->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    UeberZ1rpW3rk1 = Hilfe1->addAction(QStringLiteral("Über Z1rpW3rk"));
    UeberZ1rpW3rk1->setObjectName(QStringLiteral("UeberZ1rpW3rk1"));
    connectGuarded(Anleitung1, &QAction::triggered, this, [this] { Anleitung1Click(); });
    connectGuarded(UeberZ1rpW3rk1, &QAction::triggered, this, [this] { UeberZ1rpW3rk1Click(); });
}

void HelpMenu::Anleitung1Click() {
    // Read now: the table shows the keys as they are at this moment.
    const bool english = UiLanguage::isEnglish();
    show(HelpTexts::manualTitle(english), HelpTexts::manual(english, shortcutRows(m_main)));
}

void HelpMenu::UeberZ1rpW3rk1Click() {
    const bool english = UiLanguage::isEnglish();
    show(HelpTexts::aboutTitle(english), HelpTexts::about(english));
}

void HelpMenu::show(const QString& title, const QString& html) {
    if (!m_window) {
        m_window = new QDialog(&m_main, Qt::Dialog | Qt::WindowTitleHint |
                                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        m_window->setObjectName(QStringLiteral("HelpWindow"));
        m_window->setProperty("helpWindow", true);
        m_window->setModal(false);
        m_window->resize(700, 540);
        auto* layout = new QVBoxLayout(m_window);
        layout->setContentsMargins(0, 0, 0, 0);
        m_text = new QTextBrowser(m_window);
        m_text->setObjectName(QStringLiteral("HelpText"));
        m_text->setOpenLinks(false);
        layout->addWidget(m_text);
    }
    m_window->setWindowTitle(title);
    m_text->setHtml(html);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
