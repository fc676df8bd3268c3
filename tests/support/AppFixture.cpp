#include "support/AppFixture.h"

#include "song/MainWindow.h"

#include <QApplication>
#include <QTest>

AppFixture::AppFixture() {
    createForms();
    TForm1& window = main();
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window))
        qWarning("main window did not become active");
}

AppFixture::~AppFixture() { destroyForms(); }

TForm1& AppFixture::main() const { return *forms().Form1; }
