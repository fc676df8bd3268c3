#include "support/AppFixture.h"

#include "settings/ConfigLocation.h"
#include "song/MainWindow.h"

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
}

AppFixture::~AppFixture() {
    destroyForms();
    setConfigFilePath(QString());
}

TForm1& AppFixture::main() const {
    return *forms().Form1;
}
