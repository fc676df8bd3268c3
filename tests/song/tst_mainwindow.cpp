#include "base/ListBox.h"
#include "song/Forms.h"
#include "song/Unit1.h"
#include "song/Unit2.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

QColor baseOf(const QLineEdit* edit) { return edit->palette().color(QPalette::Base); }
const QColor white(255, 255, 255);
const QColor silver(192, 192, 192);

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void startState() {
        AppFixture app;
        TForm1& w = app.main();
        QCOMPARE(w.windowTitle(), QStringLiteral("Z1rpW3rk 3.3"));
        QCOMPARE(w.centralWidget()->size(), QSize(529, 346));
        for (ListBox* list : {w.Line, w.Memo1, w.Memo2, w.Memo3, w.Memo4})
            QCOMPARE(list->count(), 0);
        QCOMPARE(w.edFreq1->text(), QStringLiteral("500"));
        QCOMPARE(w.edFreq2->text(), QStringLiteral("0"));
        QCOMPARE(w.edLengh->text(), QStringLiteral("100"));
        QCOMPARE(w.edFreq1->maxLength(), 5);
        QCOMPARE(baseOf(w.edFreq1), white);
        QCOMPARE(baseOf(w.edFreq2), silver);
        QVERIFY(w.rgASpurItem0->isChecked());
        QVERIFY(w.Beeper1->isChecked());
        QVERIFY(!w.FMSynthese1->isChecked());
        QVERIFY(!w.MIDIFilemidmidi1->isEnabled());
        QVERIFY(!w.MidiBeep1->isEnabled());
        QVERIFY(w.PlayStopped);
        QVERIFY(!w.MirrorConnected);
        QCOMPARE(w.Memo3->geometry(), QRect(184, 16, 65, 330));
    }

    void menuShortcuts_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QKeySequence>("shortcut");
        QTest::newRow("Neu") << "Neu1" << "Neu" << QKeySequence("Ctrl+N");
        QTest::newRow("Öffnen") << "Oeffnen1" << "Öffnen" << QKeySequence("Ctrl+O");
        QTest::newRow("Play") << "Play1" << "Play" << QKeySequence("F5");
        QTest::newRow("Stop") << "Stop1" << "Stop" << QKeySequence("F8");
        QTest::newRow("Spuren tauschen") << "Spurentauschen1" << "Spuren tauschen" << QKeySequence("Ctrl+T");
        QTest::newRow("Liste") << "ListeNotenFrequenzen1" << "Liste Noten - Frequenzen" << QKeySequence("Ctrl+F");
        QTest::newRow("Scroll") << "Scrollfunktion1" << "Scrollfunktion deaktivieren" << QKeySequence("Ctrl+Alt+S");
        QTest::newRow("MIDI-Out") << "MIDIOut1" << "MIDI-Out" << QKeySequence("Ctrl+Alt+M");
        QTest::newRow("Einstellungen") << "Einstellungen1" << "Einstellungen" << QKeySequence("Ctrl+E");
        QTest::newRow("Beenden") << "Beenden1" << "Beenden" << QKeySequence();
    }

    void menuShortcuts() {
        QFETCH(QString, item);
        QFETCH(QString, caption);
        QFETCH(QKeySequence, shortcut);
        AppFixture app;
        auto* action = app.main().findChild<QAction*>(item);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->shortcut(), shortcut);
    }

    void functionKeysSwitchTrack() {
        AppFixture app;
        TForm1& w = app.main();
        w.edLengh->setFocus();
        QTest::keyClick(w.edLengh, Qt::Key_F2);
        QCOMPARE(baseOf(w.edFreq1), silver);
        QCOMPARE(baseOf(w.edFreq2), white);
        QVERIFY(w.rgASpurItem1->isChecked());
        QCOMPARE(w.activeFrequencyField(), w.edFreq2);
        QTest::keyClick(w.edLengh, Qt::Key_F2);
        QCOMPARE(baseOf(w.edFreq2), white);
        QVERIFY(w.rgASpurItem1->isChecked());
        QTest::keyClick(w.edLengh, Qt::Key_F1);
        QCOMPARE(baseOf(w.edFreq1), white);
        QCOMPARE(baseOf(w.edFreq2), silver);
        QVERIFY(w.rgASpurItem0->isChecked());
        QCOMPARE(w.edLengh->text(), QStringLiteral("100"));
    }

    void radioGroupSwitchesTrack() {
        AppFixture app;
        TForm1& w = app.main();
        QTest::mouseClick(w.rgASpurItem1, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(baseOf(w.edFreq1), silver);
        QCOMPARE(baseOf(w.edFreq2), white);
        QVERIFY(!w.trackOneActive());
        w.rgASpurItem0->setChecked(true);
        QVERIFY(w.trackOneActive());
    }

    void enterAddsFromAnyField() {
        AppFixture app;
        TForm1& w = app.main();
        w.edFreq2->setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(w.edFreq2, Qt::Key_Return);
        QCOMPARE(songRows(w), QStringList({"500 100 0 100", "500 100 0 100", "500 100 0 100"}));
        QCOMPARE(w.Line->items(), QStringList({"0", "1", "2"}));
        w.Memo2->setFocus();
        QTest::keyClick(w.Memo2, Qt::Key_Enter);
        QCOMPARE(w.Memo1->count(), 4);
    }

    void selectionIsSynchronised() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"1 10 2 10", "3 10 4 10", "5 10 6 10", "7 10 8 10"});
        clickItem(w.Memo3, 2);
        QCOMPARE(selections(w), QList<int>({2, 2, 2, 2, 2}));
        clickItem(w.Line, 1);
        QCOMPARE(selections(w), QList<int>({1, 1, 1, 1, 1}));
        w.Memo4->setFocus();
        QTest::keyClick(w.Memo4, Qt::Key_Down);
        QCOMPARE(selections(w), QList<int>({2, 2, 2, 2, 2}));
        // Moving through Line with the keyboard moves only Line.
        w.Line->setFocus();
        QTest::keyClick(w.Line, Qt::Key_Down);
        QCOMPARE(selections(w), QList<int>({3, 2, 2, 2, 2}));
    }

    void renumberAndProgress() {
        AppFixture app;
        TForm1& w = app.main();
        w.laStatus->setText("Bleibt");
        setSong(w, {"1 1 1 1"});
        QCOMPARE(w.Line->items(), QStringList({"0"}));
        QCOMPARE(w.laStatus->text(), QStringLiteral("Bleibt"));
        setSong(w, {"1 1 1 1", "2 2 2 2", "3 3 3 3"});
        QCOMPARE(w.Line->items(), QStringList({"0", "1", "2"}));
        QCOMPARE(w.Line->itemIndex(), -1);
        QCOMPARE(w.probar->value(), 0);
        QCOMPARE(w.laStatus->text(), QString());
    }

    void showProgress_data() {
        QTest::addColumn<QList<int>>("calls"); // current, total pairs
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QString>("status");
        QTest::newRow("first") << QList<int>{1, 3} << QStringList{"A"} << 33 << "A";
        QTest::newRow("status stays") << QList<int>{1, 3, 2, 3} << QStringList{"A", "B"} << 66 << "A";
        QTest::newRow("100 clears") << QList<int>{1, 3, 2, 3, 3, 3} << QStringList{"A", "B", "B"} << 0 << "";
        QTest::newRow("above 100 is kept in range") << QList<int>{5, 3} << QStringList{"A"} << 0 << "";
        QTest::newRow("negative truncates toward zero") << QList<int>{-1, 3} << QStringList{"A"} << 0 << "A";
    }

    void showProgress() {
        QFETCH(QList<int>, calls);
        QFETCH(QStringList, texts);
        QFETCH(int, bar);
        QFETCH(QString, status);
        AppFixture app;
        TForm1& w = app.main();
        for (int i = 0; i < texts.size(); ++i)
            w.ShowProgress(calls[2 * i], calls[2 * i + 1], texts[i]);
        QCOMPARE(w.probar->value(), bar);
        QCOMPARE(w.laStatus->text(), status);
    }

    void neuEmptiesTheSongOnly() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"1 1 1 1", "2 2 2 2"});
        clickItem(w.Memo1, 1);
        w.edFreq1->setText("440");
        QTest::keyClick(w.Memo1, Qt::Key_N, Qt::ControlModifier);
        for (ListBox* list : {w.Line, w.Memo1, w.Memo2, w.Memo3, w.Memo4}) {
            QCOMPARE(list->count(), 0);
            QCOMPARE(list->itemIndex(), -1);
        }
        QCOMPARE(w.edFreq1->text(), QStringLiteral("440"));
    }

    void listsStretchWithTheWindow() {
        AppFixture app;
        TForm1& w = app.main();
        w.resize(w.width(), w.height() + 100);
        QCOMPARE(w.Memo1->height(), 430);
        QCOMPARE(w.Label9->pos(), QPoint(312, 348));
        QCOMPARE(w.width(), 529);
    }

    void sidePanelSlide() {
        AppFixture app;
        TForm1& w = app.main();
        QWidget panel(w.centralWidget());
        panel.hide();
        int steps = 0;
        w.toggleSidePanel(w.Schredder1, &panel);
        QVERIFY(panel.isVisible() && w.Schredder1->isChecked() && w.SidePanelOpen);
        w.TimerFade->stop(); // step by hand: one tick per call
        for (int widths = w.width(); steps < 100; ++steps) {
            w.TimerFadeTimer();
            if (w.width() == widths)
                break;
            widths = w.width();
        }
        QCOMPARE(steps, 22); // 21 steps of 11 pixels and the snap to the wide width
        QCOMPARE(w.width(), 764);
        w.closeSidePanel(w.Schredder1, &panel);
        QVERIFY(!panel.isVisible() && !w.Schredder1->isChecked() && !w.SidePanelOpen);
        QTRY_VERIFY(!w.TimerFade->isActive());
        QCOMPARE(w.width(), 529);
    }

    void beendenClosesTheWindow() {
        AppFixture app;
        TForm1& w = app.main();
        w.Beenden1->trigger();
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
