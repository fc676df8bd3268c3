#include "gui/ListBox.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QAction>
#include <QTest>

class TestTrackOperations : public QObject {
    Q_OBJECT

private slots:
    void commands_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("exchange one line")
            << "Spurentauschen1" << QStringList{"440 250 0 100"} << QStringList{"0 100 440 250"};
        QTest::newRow("exchange writes track 1 as plain numbers")
            << "Spurentauschen1" << QStringList{"0440 $FA 0 100", "+5 x10 07 008"}
            << QStringList{"0 100 440 250", "07 008 5 16"};
        QTest::newRow("exchange keeps track 2 texts as they are")
            << "Spurentauschen1" << QStringList{"1 2 abc xyz"} << QStringList{"abc xyz 1 2"};
        QTest::newRow("dual track 1") << "Spur11" << QStringList{"440 100 0 200", "494 150 0 250"}
                                      << QStringList{"440 100 440 200", "494 150 494 250"};
        QTest::newRow("dual track 2 copies texts unchanged")
            << "Spur21" << QStringList{"440 100 0 200", "494 150 0330 250"}
            << QStringList{"0 100 0 200", "0330 150 0330 250"};
        QTest::newRow("silence track 1")
            << "Spur12" << QStringList{"440 100 330 200", "abc 150 262 250"}
            << QStringList{"0 100 330 200", "0 150 262 250"};
        QTest::newRow("silence track 2")
            << "Spur22" << QStringList{"440 100 330 200", "494 150 abc 250"}
            << QStringList{"440 100 0 200", "494 150 0 250"};
        for (const char* item : {"Spurentauschen1", "Spur11", "Spur21", "Spur12", "Spur22"})
            QTest::newRow(qPrintable(QStringLiteral("%1 on an empty song").arg(item)))
                << item << QStringList{} << QStringList{};
    }

    void commands() {
        QFETCH(QString, item);
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, before);
        w.findChild<QAction*>(item)->trigger();
        QCOMPARE(songRows(w), after);
        QCOMPARE(w.Line->count(), after.size());
        QVERIFY(app.prompts.errors.isEmpty());
    }

    void exchangeTwiceRestores() {
        AppFixture app;
        TForm1& w = app.main();
        const QStringList song{"440 250 0 100", "-3 1 2147483647 -2147483648", "0 0 0 0"};
        setSong(w, song);
        w.Spurentauschen1->trigger();
        QCOMPARE(songRows(w),
                 (QStringList{"0 100 440 250", "2147483647 -2147483648 -3 1", "0 0 0 0"}));
        w.Spurentauschen1->trigger();
        QCOMPARE(songRows(w), song);
    }

    void exchangeWithBlanks() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"1 2 3 4"});
        w.Memo1->setItem(0, QStringLiteral(" 5"));
        w.Memo3->setItem(0, QStringLiteral(" 7"));
        w.Spurentauschen1->trigger();
        QCOMPARE(w.Memo1->item(0), QStringLiteral(" 7"));
        QCOMPARE(w.Memo3->item(0), QStringLiteral("5"));
    }

    void exchangeByShortcut() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 250 0 100"});
        QTest::keyClick(&w, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(songRows(w), QStringList{"0 100 440 250"});
    }

    // A value that is no whole number stops the exchange: earlier lines are exchanged, later
    // ones not; an error among the durations comes after all frequencies are exchanged.
    void exchangeStopsAtBadValue_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("error");
        QTest::newRow("bad frequency")
            << QStringList{"440 100 330 200", "abc 150 262 250", "494 160 0 300"}
            << QStringList{"330 100 440 200", "abc 150 262 250", "494 160 0 300"}
            << "'abc' ist kein gültiger Integerwert";
        QTest::newRow("bad duration")
            << QStringList{"440 100 330 200", "523 1.5 262 250", "494 160 0 300"}
            << QStringList{"330 200 440 100", "262 1.5 523 250", "0 160 494 300"}
            << "'1.5' ist kein gültiger Integerwert";
        QTest::newRow("too large")
            << QStringList{"2147483648 100 1 200"} << QStringList{"2147483648 100 1 200"}
            << "'2147483648' ist kein gültiger Integerwert";
    }

    void exchangeStopsAtBadValue() {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(QString, error);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, before);
        w.Spurentauschen1->trigger();
        QCOMPARE(app.prompts.errors, QStringList{error});
        QCOMPARE(songRows(w), after);
    }

    void emptyFrequencyText() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 330 200"});
        w.Memo1->setItem(0, QString());
        w.Spurentauschen1->trigger();
        QCOMPARE(app.prompts.errors, QStringList{"'' ist kein gültiger Integerwert"});
        QCOMPARE(w.Memo1->item(0), QString());
        QCOMPARE(w.Memo3->item(0), QStringLiteral("330"));
    }

    void selectionAfterCommand_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QList<int>>("selected");
        QTest::newRow("exchange keeps it") << "Spurentauschen1" << QList<int>{1, 1, 1, 1, 1};
        QTest::newRow("silence keeps it") << "Spur22" << QList<int>{1, 1, 1, 1, 1};
        QTest::newRow("dual track 1 clears track 2") << "Spur11" << QList<int>{1, 1, 1, -1, 1};
        QTest::newRow("dual track 2 clears track 1") << "Spur21" << QList<int>{1, -1, 1, 1, 1};
    }

    void selectionAfterCommand() {
        QFETCH(QString, item);
        QFETCH(QList<int>, selected);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 330 200", "494 150 262 250", "523 160 0 300"});
        clickItem(w.Memo1, 1);
        QCOMPARE(selections(w), (QList<int>{1, 1, 1, 1, 1}));
        w.findChild<QAction*>(item)->trigger();
        QCOMPARE(selections(w), selected);
    }
};

QTEST_MAIN(TestTrackOperations)
#include "tst_trackops.moc"
