#include "gui/ControlLookup.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

class TestHelp : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString shownAfter(TForm1& main, const char* item) {
        auto* action = qobject_cast<QAction*>(findControl(&main, QString::fromLatin1(item)));
        if (!action)
            return QStringLiteral("no menu item %1").arg(QString::fromLatin1(item));
        action->trigger();
        auto* text = main.findChild<QTextBrowser*>(QStringLiteral("HelpText"));
        return text && text->isVisible() ? text->toPlainText() : QString();
    }

private slots:
    void manualListsEveryKey_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("trackOne");
        QTest::addColumn<QString>("manual");
        QTest::newRow("Deutsch") << 0 << "Spur 1 aktiv" << "Hilfe → Anleitung";
        QTest::newRow("English") << 1 << "Channel 1 active" << "Help → Manual";
    }

    void manualListsEveryKey() {
        QFETCH(int, language);
        QFETCH(QString, trackOne);
        QFETCH(QString, manual);
        QFile config(m_dir.filePath("Config.ini"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("[Sprache]\r\nSprache=" + QByteArray::number(language) + "\r\n");
        config.close();
        AppFixture app(config.fileName());
        TForm1& main = app.main();
        // Commands that arrive after the start: in a menu of their own, and on the window only.
        QAction* later = main.menuBar()->addMenu(QStringLiteral("Probe"))
                             ->addAction(QStringLiteral("&Versuch..."));
        later->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_Q));
        auto* windowOnly = new QAction(QStringLiteral("Nur eine Taste"), &main);
        windowOnly->setShortcut(QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_W));
        main.addAction(windowOnly);

        const QString shown = shownAfter(main, "Anleitung1");
        QVERIFY2(!shown.isEmpty(), "the manual is not shown");
        const QStringList lines = shown.split(QLatin1Char('\n'));
        const auto listed = [&](const QKeySequence& key, const QString& what) {
            for (qsizetype at = 0; at + 1 < lines.size(); ++at)
                if (lines[at].split(QStringLiteral(", ")).contains(
                        key.toString(QKeySequence::NativeText)) &&
                    lines[at + 1].endsWith(what))
                    return true;
            return false;
        };
        for (const QAction* action : main.menuBar()->findChildren<QAction*>()) {
            if (action->shortcut().isEmpty())
                continue;
            QString text = action->text().remove(QLatin1Char('&'));
            while (text.endsWith(QLatin1Char('.')))
                text.chop(1);
            QVERIFY2(listed(action->shortcut(), text), qPrintable(action->objectName()));
        }
        QVERIFY(listed(later->shortcut(), QStringLiteral("Probe → Versuch")));
        QVERIFY(listed(windowOnly->shortcut(), QStringLiteral("Nur eine Taste")));
        QVERIFY(listed(QKeySequence(Qt::Key_F1), trackOne));
        QVERIFY(listed(QKeySequence(Qt::SHIFT | Qt::Key_F1), manual));
    }

    void aboutNamesVersionAndLicence() {
        AppFixture app;
        const QString shown = shownAfter(app.main(), "UeberZ1rpW3rk1");
        QVERIFY(shown.contains(QStringLiteral("Z1rpW3rk 3.3")));
        QVERIFY(shown.contains(QStringLiteral("MIT")));
        QVERIFY(shown.contains(QStringLiteral("z1rpw3rk-peer")));
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
