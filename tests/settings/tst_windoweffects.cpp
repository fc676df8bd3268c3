#include "gui/ListBox.h"
#include "gui/Pictures.h"
#include "gui/SettingsDialog.h"
#include "gui/WindowEffects.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "gui/LineEditor.h"
#include "support/AppFixture.h"
#include "gui/KeyboardWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

QColor textColour(QWidget* widget) {
    widget->ensurePolished();
    return widget->palette().color(QPalette::WindowText);
}

/// Steps the width slide by hand until it stops; returns how often the width changed.
int runSlide(TForm1& w) {
    w.TimerFade->stop();
    int changes = 0;
    for (int ticks = 0; ticks < 200; ++ticks) {
        const int before = w.width();
        w.TimerFade->start(); // a tick may stop the slide; this tells whether it did
        w.TimerFadeTimer();
        const bool stopped = !w.TimerFade->isActive();
        w.TimerFade->stop();
        if (w.width() != before)
            ++changes;
        if (stopped)
            return changes;
    }
    return -1;
}

} // namespace

class TestWindowEffects : public QObject {
    Q_OBJECT

private slots:
    void startState() {
        AppFixture app;
        TForm1& w = app.main();
        WindowEffects& fx = *w.effects;
        QCOMPARE(fx.BildHALT->geometry(), QRect(-1504, -672, 2560, 1600));
        QVERIFY(fx.BildHALT->isVisible());
        QCOMPARE(fx.BildHALT->pixmap().size(), QSize(2560, 1600));
        // Behind every other control of the window.
        QCOMPARE(w.centralWidget()->children().first(), fx.BildHALT);
        QVERIFY(!fx.Timer2->isActive());
        QCOMPARE(fx.Timer2->interval(), 10);
        QCOMPARE(fx.logoColor(), WindowEffects::kWhite);
        QCOMPARE(textColour(w.Label9), QColor(Qt::white));
        QVERIFY(!w.Scrollfunktion1->isChecked());
        QVERIFY(!fx.seeThrough());
        QVERIFY(w.mask().isEmpty());
        QVERIFY(app.prompts.errors.isEmpty());
    }

    void lineEditorShowsTheBackground() {
        AppFixture app;
        const QPixmap shown = forms().Form2()->Image1->pixmap();
        QCOMPARE(shown.size(), QSize(2560, 1600));
        QCOMPARE(shown.toImage().pixel(0, 0), Pictures::load(Pictures::kBackground).pixel(0, 0));
        QCOMPARE(forms().Form2()->Image1->alignment(), Qt::AlignLeft | Qt::AlignTop);
    }

    void logoCycle_data() {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("start") << 0 << 0x00FFFFFFu << QColor(255, 255, 255);
        QTest::newRow("1: entry 0") << 1 << 0x01000000u << QColor(0, 0, 0);
        QTest::newRow("2: entry 1") << 2 << 0x01000001u << QColor(128, 0, 0);
        QTest::newRow("5: entry 4") << 5 << 0x01000004u << QColor(0, 0, 128);
        QTest::newRow("9: entry 8") << 9 << 0x01000008u << QColor(192, 220, 192);
        QTest::newRow("10: entry 9") << 10 << 0x01000009u << QColor(166, 202, 240);
        QTest::newRow("11: entry 10") << 11 << 0x0100000Au << QColor(255, 251, 240);
        QTest::newRow("12: entry 11") << 12 << 0x0100000Bu << QColor(160, 160, 164);
        QTest::newRow("14: entry 13") << 14 << 0x0100000Du << QColor(255, 0, 0);
        QTest::newRow("19: entry 18") << 19 << 0x01000012u << QColor(0, 255, 255);
        QTest::newRow("20: white again") << 20 << 0x00FFFFFFu << QColor(255, 255, 255);
        QTest::newRow("21: second cycle") << 21 << 0x01000000u << QColor(0, 0, 0);
        QTest::newRow("40: white after two cycles") << 40 << 0x00FFFFFFu << QColor(255, 255, 255);
    }

    void logoCycle() {
        QFETCH(int, ticks);
        QFETCH(quint32, value);
        QFETCH(QColor, colour);
        AppFixture app;
        TForm1& w = app.main();
        for (int i = 0; i < ticks; ++i)
            w.effects->Timer2Timer();
        QCOMPARE(w.effects->logoColor(), value);
        QCOMPARE(textColour(w.Label9), colour);
    }

    void logoCycleRunsOnItsTimerAndStopsInPlace() {
        AppFixture app;
        WindowEffects& fx = *app.main().effects;
        fx.setLogoCycling(true);
        QVERIFY(fx.Timer2->isActive());
        QTRY_VERIFY(fx.logoColor() != WindowEffects::kWhite);
        fx.setLogoCycling(false);
        QVERIFY(!fx.Timer2->isActive());
        const quint32 held = fx.logoColor();
        QTest::qWait(50);
        QCOMPARE(fx.logoColor(), held);
    }

    void scrollSwitch_data() {
        QTest::addColumn<int>("presses");
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<bool>("checked");
        QTest::newRow("menu once") << 1 << false << true;
        QTest::newRow("menu twice") << 2 << false << false;
        QTest::newRow("menu three times") << 3 << false << true;
        QTest::newRow("Ctrl+Alt+S once") << 1 << true << true;
        QTest::newRow("Ctrl+Alt+S twice") << 2 << true << false;
    }

    void scrollSwitch() {
        QFETCH(int, presses);
        QFETCH(bool, byKey);
        QFETCH(bool, checked);
        AppFixture app;
        TForm1& w = app.main();
        for (int i = 0; i < presses; ++i) {
            if (byKey)
                QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
            else
                w.Scrollfunktion1->trigger();
        }
        QCOMPARE(w.Scrollfunktion1->isChecked(), checked);
        QCOMPARE(forms().Form6->cbscroll->isChecked(), checked);
    }

    void backgroundSwitchAndTextColour_data() {
        QTest::addColumn<bool>("pictureShown");
        QTest::addColumn<bool>("seeThrough");
        QTest::addColumn<QColor>("text");
        QTest::newRow("picture: white text") << true << false << QColor(Qt::white);
        QTest::newRow("plain white window: dark text") << false << false << QColor(Qt::black);
        QTest::newRow("black see-through window: white text") << false << true << QColor(Qt::white);
    }

    void backgroundSwitchAndTextColour() {
        QFETCH(bool, pictureShown);
        QFETCH(bool, seeThrough);
        QFETCH(QColor, text);
        AppFixture app;
        TForm1& w = app.main();
        w.effects->setBackgroundVisible(pictureShown);
        w.effects->setSeeThrough(seeThrough);
        QCOMPARE(w.effects->BildHALT->isVisible(), pictureShown);
        for (QWidget* widget : {static_cast<QWidget*>(w.Label1), static_cast<QWidget*>(w.Label4),
                                static_cast<QWidget*>(w.rgASpur),
                                static_cast<QWidget*>(w.rgASpurItem1)})
            QCOMPARE(textColour(widget), text);
        // The song itself stays dark on its white lists.
        QCOMPARE(w.Memo1->palette().color(QPalette::Text), QColor(Qt::black));
    }

    void seeThroughCutsOutBlack_data() {
        QTest::addColumn<bool>("pictureShown");
        QTest::addColumn<bool>("backgroundKept");
        QTest::newRow("picture hidden: black background cut out") << false << false;
        QTest::newRow("picture shown: nothing black to cut") << true << true;
    }

    void seeThroughCutsOutBlack() {
        QFETCH(bool, pictureShown);
        QFETCH(bool, backgroundKept);
        AppFixture app;
        TForm1& w = app.main();
        w.effects->setBackgroundVisible(pictureShown);
        w.effects->setSeeThrough(true);
        QVERIFY(w.effects->seeThrough());
        QCOMPARE(w.centralWidget()->palette().color(QPalette::Window), QColor(Qt::black));
        QVERIFY(!w.mask().isEmpty());
        // The menu bar is not black and stays (a point clear of the menu titles' letters).
        const QRect bar = w.menuBar()->geometry();
        QVERIFY(w.mask().contains(QPoint(bar.right() - 4, bar.center().y())));
        const QPoint background = w.centralWidget()->mapTo(&w, QPoint(420, 225));
        const QPoint song = w.centralWidget()->mapTo(&w, QPoint(80, 100));
        QCOMPARE(w.mask().contains(background), backgroundKept);
        QVERIFY(w.mask().contains(song));

        w.effects->setSeeThrough(false);
        QVERIFY(w.mask().isEmpty());
        // Switching it off leaves the background black.
        QCOMPARE(w.centralWidget()->palette().color(QPalette::Window), QColor(Qt::black));
        QVERIFY(w.centralWidget()->autoFillBackground());
    }

    void seeThroughFollowsTheContents() {
        AppFixture app;
        TForm1& w = app.main();
        w.effects->setBackgroundVisible(false);
        w.effects->setSeeThrough(true);
        const QPoint background = w.centralWidget()->mapTo(&w, QPoint(420, 225));
        QVERIFY(!w.mask().contains(background));
        // The picture comes back (its check box unticked): the window is whole again.
        w.effects->setBackgroundVisible(true);
        QTRY_VERIFY(w.mask().contains(background));
    }

    void onlineListStaysBelowOnResize_data() {
        QTest::addColumn<bool>("listShown");
        QTest::addColumn<int>("grow");
        QTest::newRow("hidden list, taller window") << false << 120;
        QTest::newRow("hidden list, window back") << false << 0;
        QTest::newRow("shown list stays") << true << 120;
    }

    void onlineListStaysBelowOnResize() {
        QFETCH(bool, listShown);
        QFETCH(int, grow);
        AppFixture app;
        TForm1& w = app.main();
        // The window's own online list.
        auto* list = w.centralWidget()->findChild<QListView*>(QStringLiteral("Memo6"));
        QVERIFY(list);
        list->setGeometry(0, 200, 313, 100);
        w.ListderonlineDateien1->setChecked(listShown);
        w.resize(w.width(), w.height() + grow + 1);
        w.resize(w.width(), w.height() - 1);
        QCOMPARE(list->x(), 0);
        QCOMPARE(list->y(), listShown ? 200 : w.centralWidget()->height());
    }

    void resizingLeavesOtherWindowsAlone() {
        // The keyboard window has a key of the same name as the online list; it stays put
        // when the main window is shown and resized.
        AppFixture app;
        TForm1& w = app.main();
        QWidget* key = forms().Form8()->findChild<QWidget*>(QStringLiteral("Memo6"));
        QVERIFY(key);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(w.width(), w.height() + 120);
        w.resize(w.width(), w.height() - 60);
        QCOMPARE(key->geometry(), QRect(360, 0, 65, 193));
    }

    void slideStepCounts_data() {
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("changes");
        QTest::addColumn<int>("width");
        // 21 steps of 11 pixels, then the snap to the wide width.
        QTest::newRow("widen") << true << 22 << 764;
        // 21 steps of 11 pixels, the 22nd held at the narrow width.
        QTest::newRow("narrow") << false << 22 << 529;
    }

    void slideStepCounts() {
        QFETCH(bool, open);
        QFETCH(int, changes);
        QFETCH(int, width);
        AppFixture app;
        TForm1& w = app.main();
        QWidget panel(w.centralWidget());
        panel.hide();
        if (!open) {
            w.toggleSidePanel(w.Welle1, &panel);
            QCOMPARE(runSlide(w), 22);
            w.closeSidePanel(w.Welle1, &panel);
        } else {
            w.toggleSidePanel(w.Welle1, &panel);
        }
        QCOMPARE(runSlide(w), changes);
        QCOMPARE(w.width(), width);
        QCOMPARE(w.minimumWidth(), width);
        QCOMPARE(w.maximumWidth(), width);
        // The held width does not give way to a resize.
        w.resize(width + 40, w.height());
        QCOMPARE(w.width(), width);
    }

    void secondPanelClosesTheFirst() {
        AppFixture app;
        TForm1& w = app.main();
        QWidget shredder(w.centralWidget());
        QWidget wave(w.centralWidget());
        shredder.hide();
        wave.hide();
        w.toggleSidePanel(w.Schredder1, &shredder);
        w.toggleSidePanel(w.Welle1, &wave);
        QVERIFY(!shredder.isVisibleTo(w.centralWidget()));
        QVERIFY(!w.Schredder1->isChecked());
        QVERIFY(wave.isVisibleTo(w.centralWidget()));
        QVERIFY(w.Welle1->isChecked());
        QTRY_COMPARE(w.width(), 764);
        QTRY_VERIFY(!w.TimerFade->isActive());

        // Closing the open one by its "X" narrows the window with nothing left marked.
        w.closeSidePanel(w.Welle1, &wave);
        QTRY_COMPARE(w.width(), 529);
        QTRY_VERIFY(!w.TimerFade->isActive());
        QVERIFY(!w.Schredder1->isChecked() && !w.Welle1->isChecked());

        // The first panel's item opens it again.
        w.toggleSidePanel(w.Schredder1, &shredder);
        QVERIFY(shredder.isVisibleTo(w.centralWidget()));
        QVERIFY(w.Schredder1->isChecked() && w.SidePanelOpen);
        QTRY_COMPARE(w.width(), 764);
    }

    void settlingWithNoPanelStopsAtOnce() {
        AppFixture app;
        TForm1& w = app.main();
        w.effects->settleWidth();
        QVERIFY(w.TimerFade->isActive());
        QCOMPARE(runSlide(w), 0);
        QCOMPARE(w.width(), 529);
        QCOMPARE(w.maximumWidth(), 529);
    }

    void settingsPicturesAndCredits() {
        AppFixture app;
        TForm6& settings = *forms().Form6;
        QCOMPARE(settings.imgKlaviatur->pixmap().size(), QSize(320, 170));
        QCOMPARE(settings.imgKlaviatur->size(), QSize(320, 170));
        QCOMPARE(settings.Image1->size(), QSize(350, 88));
        QCOMPARE(settings.Image1->pixmap().size(), QSize(350, 88));
        QCOMPARE(settings.Image1->parentWidget(), settings.pageCredits);
        QCOMPARE(settings.Label2->text(), QStringLiteral("Coder:"));
        QCOMPARE(settings.Label15->text(), QStringLiteral("Z1rpW3rk 3.3"));
        // The credit lines lie between the "Coder:" label and the version.
        for (int i = 1; i <= 3; ++i) {
            auto* line = settings.pageCredits->findChild<QLabel*>(QStringLiteral("laCredit%1").arg(i));
            QVERIFY(line);
            QVERIFY(line->y() > settings.Label2->y() && line->y() < settings.Label15->y());
        }
    }
};

QTEST_MAIN(TestWindowEffects)
#include "tst_windoweffects.moc"
