#include "audio/MidiBeep.h"
#include "audio/MidiInput.h"
#include "audio/MidiLoopback.h"
#include "audio/SystemBeep.h"
#include "gui/ListBox.h"
#include "gui/MidiBeepPanel.h"
#include "gui/ControlLookup.h"
#include "gui/SettingsDialog.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>
#include <utility>
#include <vector>

namespace {

using Beep = std::pair<int, int>; // frequency, duration

/// The program with one loopback MIDI input, and every system beep recorded instead of sounded.
struct MidiApp {
    MidiLoopback devices{{"Loop Out"}, {"Loop In"}};
    std::vector<Beep> beeps;
    std::unique_ptr<AppFixture> app;

    MidiApp() {
        setMidiPlatform(&devices);
        setSystemBeepHook([this](int f, int d) { beeps.emplace_back(f, d); });
        app = std::make_unique<AppFixture>();
        // Where the settings are built without their "MIDI" page, the two switches the input
        // reads by name are supplied here, so that recording is tested all the same.
        for (const char* name : {"cbMidiwait", "cbBPMMidi"})
            if (!findControl(forms().Form6, QString::fromUtf8(name)))
                (new QCheckBox(forms().Form6))->setObjectName(QString::fromUtf8(name));
    }
    ~MidiApp() {
        app.reset();
        setSystemBeepHook({});
        setMidiPlatform(nullptr);
    }
    TForm1& main() const { return app->main(); }
    MidiBeep& midi() const { return *main().midiBeep; }
    MidiBeepPanel& panel() const { return *main().midiBeepPanel; }
    /// Input live, as applying the settings makes it.
    void startInput() const { midi().restartInput(0); }
    void press(int note) { devices.inject(0, {0x90, std::uint8_t(note), 100}); }
    void release(int note) { devices.inject(0, {0x80, std::uint8_t(note), 64}); }
    void setWait(bool on) const { waitBox()->setChecked(on); }
    QCheckBox* waitBox() const {
        return findControlAs<QCheckBox>(forms().Form6, QStringLiteral("cbMidiwait"));
    }
    QCheckBox* bpmBox() const {
        return findControlAs<QCheckBox>(forms().Form6, QStringLiteral("cbBPMMidi"));
    }
    QStringList track(ListBox* list) const {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts.append(list->item(i));
        return texts;
    }
};

} // namespace

class TestMidiBeep : public QObject {
    Q_OBJECT

private slots:
    void beepsOnPressAndRelease_data() {
        QTest::addColumn<int>("note");
        QTest::addColumn<QString>("length");
        QTest::addColumn<int>("frequency");
        QTest::newRow("A4") << 69 << "10" << 440;
        QTest::newRow("C4, 25 ms") << 60 << "25" << 262;
        QTest::newRow("note without a row") << 5 << "10" << -2;
    }
    void beepsOnPressAndRelease() {
        QFETCH(int, note);
        QFETCH(QString, length);
        QFETCH(int, frequency);
        MidiApp app;
        app.startInput();
        app.panel().edLang->setText(length);
        app.press(note);
        app.release(note);
        const Beep expected{frequency, length.toInt()};
        QTRY_COMPARE(app.beeps.size(), std::size_t(2));
        QCOMPARE(app.beeps[0], expected);
        QCOMPARE(app.beeps[1], expected);
        QCOMPARE(app.main().Memo1->count(), 0);
    }

    void nothingBeforeTheFirstApply() {
        MidiApp app;
        QVERIFY(app.midi().MidiInput);
        app.press(69);
        app.release(69);
        QTest::qWait(100);
        QVERIFY(app.beeps.empty());
        QCOMPARE(app.main().Memo1->count(), 0);
    }

    void applyingTheSettingsStartsInput() {
        MidiApp app;
        if (!forms().Form6->findChild<TMidiInput*>())
            QSKIP("the settings dialog lists the input devices with its MIDI page");
        forms().Form6->btUe->click();
        QVERIFY(app.app->prompts.errors.isEmpty());
        app.press(69);
        QTRY_COMPARE(app.beeps.size(), std::size_t(1));
        QCOMPARE(app.beeps[0], Beep(440, 10));
    }

    void noInputDevice() {
        MidiLoopback none{{}, {}};
        setMidiPlatform(&none);
        {
            AppFixture app;
            QVERIFY(!app.main().midiBeep->MidiInput);
            // Applying the settings leaves input off without a message.
            forms().Form6->btUe->click();
            QCOMPARE(app.prompts.errors, QStringList());
        }
        setMidiPlatform(nullptr);
    }

    void recordsHeldKey() {
        MidiApp app;
        app.setWait(true);
        app.startInput();
        QElapsedTimer held;
        app.press(60);
        QTRY_COMPARE(app.main().Memo1->count(), 1);
        held.start();
        QTest::qWait(500);
        app.release(60);
        QTRY_COMPARE(app.main().Memo2->count(), 1);
        QCOMPARE(app.track(app.main().Memo1), QStringList{"262"});
        QCOMPARE(app.track(app.main().Memo3), QStringList{"0"});
        const int length = app.main().Memo2->item(0).toInt();
        QVERIFY2(length >= 500 && length <= held.elapsed() + 50,
                 qPrintable(QString::number(length)));
        QCOMPARE(app.main().Memo4->item(0), app.main().Memo2->item(0));
        QVERIFY(app.beeps.empty());
    }

    void recordedLength_data() {
        QTest::addColumn<bool>("bpm");
        QTest::addColumn<qint64>("heldMs");
        QTest::addColumn<QString>("length");
        QTest::newRow("measured") << false << qint64(500) << "500";
        QTest::newRow("over a minute") << false << qint64(61500) << "61500";
        QTest::newRow("over an hour") << false << qint64(3723004) << "3723004";
        QTest::newRow("BPM table length") << true << qint64(61500) << "333";
    }
    void recordedLength() {
        QFETCH(bool, bpm);
        QFETCH(qint64, heldMs);
        QFETCH(QString, length);
        MidiApp app;
        auto now = MidiBeep::Clock::now();
        app.midi().setClock([&now] { return now; });
        app.setWait(true);
        app.bpmBox()->setChecked(bpm);
        app.main().edLengh->setText("333");
        app.startInput();
        app.press(69);
        QTRY_COMPARE(app.main().Memo1->count(), 1);
        QCOMPARE(app.main().Memo2->count(), 0); // the line waits for its length
        now += std::chrono::milliseconds(heldMs);
        app.release(69);
        QTRY_COMPARE(app.main().Memo2->count(), 1);
        QCOMPARE(app.track(app.main().Memo1), QStringList{"440"});
        QCOMPARE(app.track(app.main().Memo2), QStringList{length});
        QCOMPARE(app.track(app.main().Memo3), QStringList{"0"});
        QCOMPARE(app.track(app.main().Memo4), QStringList{length});
        // The next press starts a new line.
        app.press(72);
        QTRY_COMPARE(app.main().Memo1->count(), 2);
        QCOMPARE(app.main().Memo2->count(), 1);
    }

    void aktivierenSwitchesToBeep() {
        MidiApp app;
        app.setWait(true);
        app.panel().cbmidibeepact->click();
        QVERIFY(!app.waitBox()->isChecked());
        app.startInput();
        app.press(69);
        QTRY_COMPARE(app.beeps.size(), std::size_t(1));
        QCOMPARE(app.main().Memo1->count(), 0);
    }

    void repetitionEnds_data() {
        QTest::addColumn<QString>("end");
        QTest::newRow("next message") << "message";
        QTest::newRow("box unchecked") << "uncheck";
    }
    void repetitionEnds() {
        QFETCH(QString, end);
        MidiApp app;
        app.panel().cbwiederhol->setChecked(true);
        app.startInput();
        app.press(69);
        // It repeats from the event loop, so timers and input keep running meanwhile.
        bool timerRan = false;
        QTimer::singleShot(20, [&timerRan] { timerRan = true; });
        QTRY_VERIFY(app.beeps.size() >= 5 && timerRan);
        QVERIFY(app.midi().repeating());
        if (end == "message")
            app.release(69);
        else
            app.panel().cbwiederhol->setChecked(false);
        QTRY_VERIFY(!app.midi().repeating());
        const std::size_t after = app.beeps.size();
        QTest::qWait(100);
        QCOMPARE(app.beeps.size(), after);
        for (const Beep& beep : app.beeps)
            QCOMPARE(beep, Beep(440, 10));
        QVERIFY(!app.midi().MidiNotePending);
        // The message that ended it sounded once and started no new repetition; the next
        // one starts again.
        app.press(60);
        QTRY_VERIFY(app.beeps.size() > after);
        QCOMPARE(app.beeps[after], Beep(262, 10));
        QCOMPARE(app.midi().repeating(), end == "message");
    }

    void panelToggles() {
        MidiApp app;
        TForm1& main = app.main();
        QVERIFY(!main.MidiBeep1->isEnabled());
        QVERIFY(main.midiBeepPanel->gbMidibeep->isHidden());
        QCOMPARE(main.midiBeepPanel->gbMidibeep->title(), QString("MIDI-Beep"));
        QCOMPARE(main.midiBeepPanel->edLang->text(), QString("10"));
        QCOMPARE(main.midiBeepPanel->laLang->text(), QString("Länge pro Ton"));
        QCOMPARE(main.midiBeepPanel->cbwiederhol->text(), QString("wiederholend?"));
        QVERIFY(!main.midiBeepPanel->cbwiederhol->isChecked());
        main.midiBeepPanel->MidiBeep1Click();
        QVERIFY(!main.midiBeepPanel->gbMidibeep->isHidden());
        QVERIFY(main.MidiBeep1->isChecked());
        QVERIFY(main.SidePanelOpen);
        main.midiBeepPanel->laXClick();
        QVERIFY(main.midiBeepPanel->gbMidibeep->isHidden());
        QVERIFY(!main.MidiBeep1->isChecked());
        QVERIFY(!main.SidePanelOpen);
    }
};

QTEST_MAIN(TestMidiBeep)
#include "tst_midibeep.moc"
