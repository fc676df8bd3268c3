#include "audio/SystemBeep.h"
#include "gui/SettingsDialog.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "gui/KeyboardWindow.h"
#include "support/SongHelpers.h"

#include <QCheckBox>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

using Beep = QPair<int, int>; // frequency, duration

/// Records the system beep instead of sounding it, for one test.
struct BeepRecorder {
    BeepRecorder() {
        setSystemBeepHook([this](int hz, int ms) { beeps.append({hz, ms}); });
    }
    ~BeepRecorder() { setSystemBeepHook({}); }
    QList<Beep> beeps;
};

TForm8& keyboard() {
    return *forms().Form8();
}

/// The key at a point of the window, whichever of its parts lies there.
QWidget* keyAt(TForm8& k, QPoint at) {
    QWidget* w = k.childAt(at);
    while (w && w->parentWidget() != &k)
        w = w->parentWidget();
    return w;
}

QColor baseOf(const QWidget* w) {
    return w->palette().color(QPalette::Base);
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private slots:
    void layout() {
        AppFixture app;
        TForm8& k = keyboard();
        QCOMPARE(k.windowTitle(), QStringLiteral("Klavier"));
        QCOMPARE(k.size(), QSize(496, 258));
        QVERIFY(!k.isVisible());
        QCOMPARE(k.Octave, 1);
        QCOMPARE(k.Label2->text(), QStringLiteral("1"));
        QCOMPARE(k.Label1->text(), QStringLiteral("Oktave = "));
        QCOMPARE(k.Edit1->text(), QString());
        QCOMPARE(k.keys[0]->geometry(), QRect(0, 0, 65, 193));
        QCOMPARE(k.keys[6]->geometry(), QRect(432, 0, 65, 193));
        QCOMPARE(k.keys[7]->geometry(), QRect(40, 0, 49, 97));
        QCOMPARE(k.keys[11]->geometry(), QRect(408, 0, 49, 97));
        QCOMPARE(k.keys[11]->objectName(), QStringLiteral("Memo12"));
        QCOMPARE(k.Button1->geometry(), QRect(136, 208, 25, 25));
        QCOMPARE(k.Edit1->geometry(), QRect(208, 208, 121, 21));
        // A black key lies over the white keys it touches.
        QCOMPARE(keyAt(k, QPoint(80, 50)), k.keys[7]);
        QCOMPARE(keyAt(k, QPoint(80, 150)), k.keys[1]);
        // Tab order: the keys, "+", "-", the duration.
        QWidget* w = k.keys[0];
        QStringList order;
        for (int i = 0; i < 15; ++i, w = w->nextInFocusChain()) {
            while (!(w->focusPolicy() & Qt::TabFocus))
                w = w->nextInFocusChain();
            order.append(w->objectName());
        }
        QCOMPARE(order, QStringList({"Memo1", "Memo2", "Memo3", "Memo4", "Memo5", "Memo6", "Memo7",
                                     "Memo8", "Memo9", "Memo10", "Memo11", "Memo12", "Button1",
                                     "Button2", "Edit1"}));
    }

    void lettersPlayNotes_data() {
        QTest::addColumn<int>("octave");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("focus"); // index into the keys, 12 "+", 13 "-"
        QTest::addColumn<QList<int>>("hertz");
        QTest::newRow("h at start") << 1 << "h" << 0 << QList<int>{55};
        QTest::newRow("whole row in octave 1")
            << 1 << "awsedftgzhuj" << 5
            << QList<int>{33, 35, 37, 39, 41, 44, 46, 49, 52, 55, 58, 62};
        QTest::newRow("octave 2 D# is the keyboard's own 78") << 2 << "e" << 8 << QList<int>{78};
        QTest::newRow("octave 2 F# is 93") << 2 << "t" << 11 << QList<int>{93};
        QTest::newRow("octave 4 F is 349") << 4 << "f" << 12 << QList<int>{349};
        QTest::newRow("octave 4 a and h") << 4 << "ah" << 13 << QList<int>{262, 440};
        QTest::newRow("octave 7 j") << 7 << "j" << 3 << QList<int>{3951};
        QTest::newRow("octave 7 a") << 7 << "a" << 3 << QList<int>{2093};
        QTest::newRow("capitals play nothing") << 4 << "HAJ" << 0 << QList<int>{};
        QTest::newRow("other letters and digits") << 4 << "kqy1 ." << 0 << QList<int>{};
    }

    void lettersPlayNotes() {
        QFETCH(int, octave);
        QFETCH(QString, typed);
        QFETCH(int, focus);
        QFETCH(QList<int>, hertz);
        AppFixture app;
        BeepRecorder recorder;
        TForm8& k = keyboard();
        app.main().Klaviatur1->trigger();
        QTest::keyClicks(k.Edit1, "200");
        for (int i = 1; i < octave; ++i)
            QTest::mouseClick(k.Button1, Qt::LeftButton);
        QCOMPARE(k.Label2->text(), QString::number(octave));
        QWidget* target = focus < 12 ? static_cast<QWidget*>(k.keys[focus])
                                     : (focus == 12 ? k.Button1 : k.Button2);
        QTest::keyClicks(target, typed);
        QList<Beep> expected;
        for (const int hz : hertz)
            expected.append({hz, 200});
        QCOMPARE(recorder.beeps, expected);
        QCOMPARE(app.prompts.texts(), QStringList());
        QCOMPARE(k.Label2->text(), QString::number(octave)); // typing did not press a button
    }

    void duration_data() {
        QTest::addColumn<QString>("duration");
        QTest::addColumn<QList<Beep>>("beeps");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("empty: the main window's duration")
            << "" << QList<Beep>{{55, 100}, {62, 100}} << QStringList{};
        QTest::newRow("not a number")
            << "2o0" << QList<Beep>{} << QStringList(3, "'2o0' ist kein gültiger Integerwert");
        QTest::newRow("zero is silent, no error")
            << "0" << QList<Beep>{{55, 0}, {62, 0}} << QStringList{};
        QTest::newRow("hexadecimal") << "$64" << QList<Beep>{{55, 100}, {62, 100}} << QStringList{};
    }

    void duration() {
        QFETCH(QString, duration);
        QFETCH(QList<Beep>, beeps);
        QFETCH(QStringList, errors);
        AppFixture app;
        BeepRecorder recorder;
        TForm8& k = keyboard();
        k.Edit1->setText(duration);
        QTest::keyClicks(k.keys[2], "hxj"); // x is no key but is still checked
        QCOMPARE(recorder.beeps, beeps);
        QCOMPARE(app.prompts.errors, errors);
    }

    // "Ins Lied": a key adds its note on the active track, before the current line if any.
    void intoSong() {
        AppFixture app;
        BeepRecorder recorder;
        TForm1& w = app.main();
        TForm8& k = keyboard();
        setSong(w, {"1 10 2 10", "3 10 4 10"});
        k.cbInsLied->setChecked(true);
        w.FormKeyDown(Qt::Key_F2);
        QTest::keyClicks(k.keys[2], "h");
        clickItem(w.Memo1, 1);
        QTest::keyClicks(k.keys[2], "j");
        QCOMPARE(songRows(w),
                 QStringList({"1 10 2 10", "500 100 62 100", "3 10 4 10", "500 100 55 100"}));
        QCOMPARE(recorder.beeps, QList<Beep>({{55, 100}, {62, 100}}));
    }

    void durationFieldKeepsItsCharacters() {
        AppFixture app;
        BeepRecorder recorder;
        TForm8& k = keyboard();
        QTest::keyClicks(k.Edit1, "15h");
        QCOMPARE(k.Edit1->text(), QStringLiteral("15h"));
        QVERIFY(recorder.beeps.isEmpty());
        QCOMPARE(app.prompts.errors, QStringList());
    }

    void mouseOnAKeyPlaysNothing() {
        AppFixture app;
        BeepRecorder recorder;
        TForm8& k = keyboard();
        k.Edit1->setText("100");
        QTest::mouseClick(k.keys[9]->viewport(), Qt::LeftButton);
        QTest::mouseClick(k.keys[0]->viewport(), Qt::LeftButton);
        QVERIFY(recorder.beeps.isEmpty());
    }

    void octaveLimits_data() {
        QTest::addColumn<int>("plus");
        QTest::addColumn<int>("minus");
        QTest::addColumn<int>("octave");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("six up reach 7") << 6 << 0 << 7 << QStringList{};
        QTest::newRow("seventh up") << 7 << 0 << 7 << QStringList{"höher ist nicht möglich"};
        QTest::newRow("far up") << 9 << 0 << 7 << QStringList(3, "höher ist nicht möglich");
        QTest::newRow("down at 1") << 0 << 1 << 1 << QStringList{"tiefer ist nicht möglich"};
        QTest::newRow("up and down") << 3 << 2 << 2 << QStringList{};
        QTest::newRow("top then to the bottom")
            << 8 << 7 << 1
            << QStringList{"höher ist nicht möglich", "höher ist nicht möglich",
                           "tiefer ist nicht möglich"};
    }

    void octaveLimits() {
        QFETCH(int, plus);
        QFETCH(int, minus);
        QFETCH(int, octave);
        QFETCH(QStringList, messages);
        AppFixture app;
        BeepRecorder recorder;
        TForm8& k = keyboard();
        for (int i = 0; i < plus; ++i)
            QTest::mouseClick(k.Button1, Qt::LeftButton);
        for (int i = 0; i < minus; ++i)
            QTest::mouseClick(k.Button2, Qt::LeftButton);
        QCOMPARE(app.prompts.texts(), messages);
        QCOMPARE(k.Octave, octave);
        QCOMPARE(k.Label2->text(), QString::number(octave));
        k.Edit1->setText("10");
        QTest::keyClicks(k.keys[0], "a");
        const QList<int> c{33, 65, 131, 262, 523, 1047, 2093};
        QCOMPARE(recorder.beeps, QList<Beep>({{c[octave - 1], 10}}));
    }

    void settingsShowTheKeyLetters_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<int>("hertz"); // what the letter plays in octave 4
        QTest::newRow("C") << "edC"
                           << "a" << 262;
        QTest::newRow("C#") << "edCr"
                            << "w" << 277;
        QTest::newRow("D") << "edD"
                           << "s" << 294;
        QTest::newRow("D#") << "edDr"
                            << "e" << 311;
        QTest::newRow("E") << "edE"
                           << "d" << 330;
        QTest::newRow("F") << "edF"
                           << "f" << 349;
        QTest::newRow("F#") << "edFr"
                            << "t" << 370;
        QTest::newRow("G") << "edG"
                           << "g" << 392;
        QTest::newRow("G#") << "edGr"
                            << "z" << 415;
        QTest::newRow("A") << "edA"
                           << "h" << 440;
        QTest::newRow("A#") << "edAr"
                            << "u" << 466;
        QTest::newRow("H") << "edB"
                           << "j" << 494;
    }

    void settingsShowTheKeyLetters() {
        QFETCH(QString, edit);
        QFETCH(QString, letter);
        QFETCH(int, hertz);
        AppFixture app;
        BeepRecorder recorder;
        auto* field = forms().Form6->findChild<QLineEdit*>(edit);
        QVERIFY(field);
        QCOMPARE(field->text(), letter);
        TForm8& k = keyboard();
        k.Edit1->setText("5");
        for (int i = 1; i < 4; ++i)
            k.Button1Click();
        QTest::keyClicks(k.keys[0], field->text());
        QCOMPARE(recorder.beeps, QList<Beep>({{hertz, 5}}));
    }

    void defaultSkinIsKlavierNormal() {
        AppFixture app;
        QCOMPARE(forms().Form6->ComboBox2->currentIndex(), 2);
        app.main().Klaviatur1->trigger();
        for (int i = 0; i < 12; ++i)
            QCOMPARE(baseOf(keyboard().keys[i]), i < 7 ? QColor(Qt::white) : QColor(Qt::black));
    }

    void skins_data() {
        QTest::addColumn<int>("skin");
        QTest::addColumn<QColor>("white");
        QTest::addColumn<QColor>("black");
        QTest::newRow("Smooth") << 0 << QColor(0xA6, 0xCA, 0xF0) << QColor(0xC0, 0xDC, 0xC0);
        QTest::newRow("Hard") << 1 << QColor(0, 0, 0xFF) << QColor(0, 0x80, 0);
        QTest::newRow("Klavier normal") << 2 << QColor(0xFF, 0xFF, 0xFF) << QColor(0, 0, 0);
    }

    void skins() {
        QFETCH(int, skin);
        QFETCH(QColor, white);
        QFETCH(QColor, black);
        AppFixture app;
        TForm8& k = keyboard();
        forms().Form6->ComboBox2->setCurrentIndex(skin);
        app.main().Klaviatur1->trigger();
        QVERIFY(k.isVisible());
        for (int i = 0; i < 12; ++i)
            QCOMPARE(baseOf(k.keys[i]), i < 7 ? white : black);
        // A new choice shows only at the next opening from the menu.
        forms().Form6->ComboBox2->setCurrentIndex((skin + 1) % 3);
        QCOMPARE(baseOf(k.keys[0]), white);
        k.close();
        QVERIFY(!k.isVisible());
        app.main().Klaviatur1->trigger();
        QVERIFY(baseOf(k.keys[0]) != white);
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
