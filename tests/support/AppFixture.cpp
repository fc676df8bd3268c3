#include "support/AppFixture.h"

#include "gui/WindowEffects.h"
#include "settings/ConfigLocation.h"
#include "gui/SettingsDialog.h"
#include "gui/MainWindow.h"
#include "song/SongHistory.h"

#include <QApplication>
#include <QTest>

AppFixture::AppFixture(const QString& configFile) {
    setConfigFilePath(configFile.isEmpty() ? configDir.filePath(QStringLiteral("Config.ini"))
                                           : configFile);
    createForms();
    TForm1& window = main();
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window))
        qWarning("main window did not become active");
    // What the window does once it has been drawn belongs to its start.
    if (!QTest::qWaitFor([&] { return window.effects->backgroundComplete(); }))
        qWarning("main window did not finish its start");
    if (!QTest::qWaitFor([] { return !forms().Form6->libraryConnectionPending(); }))
        qWarning("the library connection at start was not attempted");
}

AppFixture::~AppFixture() {
    destroyForms();
    setConfigFilePath(QString());
}

TForm1& AppFixture::main() const {
    return *forms().Form1;
}

void AppFixture::giveUpChanges() {
    if (main().history->isModified())
        prompts.boxAnswers.prepend(Prompts::Answer::No);
}
