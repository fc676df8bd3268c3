#include "audio/MidiEngine.h"
#include "audio/MidiLoopback.h"
#include "audio/MidiOutput.h"
#include "audio/PlaybackEngine.h"
#include "gui/ListBox.h"
#include "gui/SettingsDialog.h"
#include "gui/SettingsMidiPage.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

constexpr int kEnd = 20000; // generous wait for a song to end (ms), never a measurement

/// MIDI devices of the loopback in place of the system's, for the whole program.
struct Devices {
    MidiLoopback loop;
    explicit Devices(QStringList outputs = {QStringLiteral("Loop Out")},
                     QStringList inputs = {QStringLiteral("Loop In")})
        : loop(std::move(outputs), std::move(inputs)) {
        setMidiPlatform(&loop);
    }
    ~Devices() { setMidiPlatform(nullptr); }
};

SettingsMidiPage& page() {
    return *forms().Form6->midiPage;
}

/// One song line: track 1 frequency, duration, track 2 frequency.
struct Line {
    int f1;
    int d;
    int f2;
};

void setSong(TForm1& w, const QList<Line>& lines) {
    for (ListBox* list : {w.Memo1, w.Memo2, w.Memo3, w.Memo4, w.Line})
        list->clearItems();
    for (const Line& l : lines) {
        w.Memo1->add(QString::number(l.f1));
        w.Memo2->add(QString::number(l.d));
        w.Memo3->add(QString::number(l.f2));
        w.Memo4->add(QString::number(l.d));
    }
    w.RenumberLines();
}

void playToEnd(TForm1& w) {
    w.btplay->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.playback->PlayStopped, kEnd);
}

} // namespace

class TestMidiOutput : public QObject {
    Q_OBJECT

private slots:
    void songMessages_data();
    void songMessages();
    void instrumentTests_data();
    void instrumentTests();
    void toneTestOfTheMainWindow_data();
    void toneTestOfTheMainWindow();
    void everyStartedNoteEnds_data();
    void everyStartedNoteEnds();
    void notesSentAheadEndAfterTheyBegin();
    void notesPlacedAtSumOfDurations_data();
    void notesPlacedAtSumOfDurations();
    void deviceErrorStopsOnce();
    void noDeviceFailsAtPlay();
    void menuItemKeepsChoiceInStep_data();
    void menuItemKeepsChoiceInStep();
    void pageListsDevicesAndToggles();
    void pageWithoutInput();
    void playbackLocksTheTests();
    void linesKeepTheirLength();
};

void TestMidiOutput::songMessages_data() {
    QTest::addColumn<QList<Line>>("song");
    QTest::addColumn<int>("mode");      // 0 melody, 1 track 1 drum, 2 track 2 drum
    QTest::addColumn<int>("velocity1"); // TrackBar1
    QTest::addColumn<QStringList>("expected");
    const QStringList programs = {"C0 00 00", "C1 00 00"};
    QTest::newRow("440 and rest, melody")
        << QList<Line>{{440, 30, 0}} << 0 << 100
        << programs + QStringList{"90 45 64", "80 45 64", "89 23 64"};
    QTest::newRow("track 1 drum, snare")
        << QList<Line>{{440, 30, 0}} << 1 << 100
        << programs + QStringList{"99 26 64", "80 45 64", "89 26 64"};
    QTest::newRow("both rests") << QList<Line>{{0, 30, 0}} << 0 << 100 << programs;
    QTest::newRow("441 has no note") << QList<Line>{{441, 30, 440}} << 0 << 100
                                     << programs + QStringList{"91 45 64", "81 45 64", "89 23 64"};
    QTest::newRow("velocity 1") << QList<Line>{{440, 30, 0}} << 0 << 1
                                << programs + QStringList{"90 45 01", "80 45 01", "89 23 01"};
    QTest::newRow("two tracks, note-off order")
        << QList<Line>{{440, 30, 262}, {0, 30, 330}} << 0 << 100
        << programs + QStringList{"90 45 64", "91 3C 64", "80 45 64", "81 3C 64", "89 23 64",
                                  "89 23 64", "91 40 64", "81 40 64", "89 23 64"};
    QTest::newRow("track 2 drum, rest between")
        << QList<Line>{{262, 30, 330}, {0, 30, 0}, {0, 30, 262}} << 2 << 100
        << programs + QStringList{"90 3C 64", "99 26 64", "80 3C 64", "81 40 64", "89 23 64",
                                  "89 26 64", "99 26 64", "81 3C 64", "89 26 64"};
}

void TestMidiOutput::songMessages() {
    QFETCH(QList<Line>, song);
    QFETCH(int, mode);
    QFETCH(int, velocity1);
    QFETCH(QStringList, expected);
    Devices devices;
    AppFixture app;
    TForm1& w = app.main();
    setSong(w, song);
    if (mode == 1) {
        page().BitBtn3->click();
        page().cbDrum1->setCurrentIndex(3); // "Snare Drum 1"
    } else if (mode == 2) {
        page().BitBtn4->click();
        page().cbDrum2->setCurrentIndex(3);
    }
    page().TrackBar1->setValue(velocity1);
    page().cbMIDI->setChecked(true);
    playToEnd(w);
    QCOMPARE(devices.loop.sentTexts(), expected);
    QCOMPARE(devices.loop.openOutputs(), 0);
    QCOMPARE(w.btplay->text(), QStringLiteral("Play"));
    QCOMPARE(w.playback->PlayPosition, 0);
    QVERIFY(app.prompts.errors.isEmpty());
}

void TestMidiOutput::instrumentTests_data() {
    QTest::addColumn<int>("track");
    QTest::addColumn<bool>("drumMode");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("track 2 melody sounds on channel 1")
        << 2 << false << QStringList{"C0 73 00", "90 48 5A", "80 48 40"};
    QTest::newRow("track 1 drum") << 1 << true << QStringList{"C0 50 00", "99 26 40", "89 26 40"};
}

void TestMidiOutput::instrumentTests() {
    QFETCH(int, track);
    QFETCH(bool, drumMode);
    QFETCH(QStringList, expected);
    Devices devices;
    AppFixture app;
    SettingsMidiPage& p = page();
    p.cbMidiNote1->setCurrentIndex(80);  // "Lead 1 (square)"
    p.cbMidiNote2->setCurrentIndex(115); // "Woodblock"
    p.TrackBar1->setValue(90);
    p.TrackBar2->setValue(90);
    p.cbDrum1->setCurrentIndex(3);
    p.cbDrum2->setCurrentIndex(3);
    if (drumMode)
        (track == 1 ? p.BitBtn3 : p.BitBtn4)->click();
    QElapsedTimer clock;
    clock.start();
    (track == 1 ? p.BitBtn1 : p.BitBtn2)->click();
    QVERIFY(clock.elapsed() >= 990); // the note lasts one second
    QCOMPARE(devices.loop.sentTexts(), expected);
    QCOMPARE(devices.loop.openOutputs(), 0);
}

void TestMidiOutput::toneTestOfTheMainWindow_data() {
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("440 is note 69") << "440" << QStringList{"90 45 64", "80 45 40"};
    QTest::newRow("441 keeps its value, low byte") << "441" << QStringList{"90 B9 64", "80 B9 40"};
}

void TestMidiOutput::toneTestOfTheMainWindow() {
    QFETCH(QString, frequency);
    QFETCH(QStringList, expected);
    Devices devices;
    AppFixture app;
    TForm1& w = app.main();
    QTest::keyClick(&w, Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(w.MIDIOut1->isChecked());
    w.edFreq1->setText(frequency);
    w.BitBtn1->click();
    QCOMPARE(devices.loop.sentTexts(), expected);
    QCOMPARE(devices.loop.openOutputs(), 0);
}

void TestMidiOutput::everyStartedNoteEnds_data() {
    QTest::addColumn<int>("how"); // 0 Stop, 1 Pause, 2 window closed, 3 MIDI turned off, then Pause
    QTest::newRow("Stop") << 0;
    QTest::newRow("Pause") << 1;
    QTest::newRow("window closed") << 2;
    QTest::newRow("output changed while playing, then Pause") << 3;
}

void TestMidiOutput::everyStartedNoteEnds() {
    QFETCH(int, how);
    Devices devices;
    AppFixture app;
    TForm1& w = app.main();
    setSong(w, {{440, 20000, 262}, {330, 20000, 0}});
    page().cbMIDI->setChecked(true);
    w.btplay->click();
    QTRY_VERIFY(devices.loop.sentTexts().contains(QStringLiteral("91 3C 64")));
    if (how == 0)
        w.btstop->click();
    else if (how == 1)
        w.btplay->click();
    else if (how == 2)
        destroyForms();
    else {
        QTest::keyClick(&w, Qt::Key_B, Qt::ControlModifier | Qt::AltModifier); // "Beeper"
        QVERIFY(!page().cbMIDI->isChecked());
        w.btplay->click();
    }
    const QStringList sent = devices.loop.sentTexts();
    const qsizetype on = sent.indexOf(QStringLiteral("91 3C 64"));
    QCOMPARE(sent.mid(on + 1, 4), QStringList({"80 45 64", "81 3C 64", "89 23 64", "89 23 64"}));
    QVERIFY(!sent.contains(QStringLiteral("90 40 64"))); // the next line never started
    if (how == 0 || how == 2)                            // a pause keeps the device until Stop
        QCOMPARE(devices.loop.openOutputs(), 0);
}

void TestMidiOutput::notesSentAheadEndAfterTheyBegin() {
    // A device that places messages gets each line early; Stop right after must not place the
    // note-off before its note-on, or the note would never end.
    Devices devices;
    devices.loop.schedules = true;
    AppFixture app;
    TForm1& w = app.main();
    setSong(w, {{440, 20000, 0}});
    page().cbMIDI->setChecked(true);
    w.btplay->click();
    QTRY_VERIFY(devices.loop.sentTexts().contains(QStringLiteral("90 45 64")));
    w.btstop->click();
    std::optional<std::uint64_t> on, off;
    std::uint64_t sentAt = 0;
    for (const auto& s : devices.loop.sent()) {
        if (s.status() == 0x90)
            on = s.dueSample, sentAt = s.sentAtSample;
        if (s.status() == 0x80)
            off = s.dueSample;
    }
    QVERIFY(on && off);
    QVERIFY(*on > sentAt); // placed ahead of its sending
    QVERIFY(*off >= *on);
    QVERIFY(*off < *on + 44100); // taken back from the line's end and placed at the Stop
}

void TestMidiOutput::notesPlacedAtSumOfDurations_data() {
    QTest::addColumn<QList<Line>>("song");
    QTest::newRow("equal lines") << QList<Line>{{440, 50, 0}, {330, 50, 0}, {262, 50, 0}};
    QTest::newRow("two tracks, a rest") << QList<Line>{{440, 30, 262}, {0, 70, 0}, {330, 21, 262}};
    QTest::newRow("lengths off the ms grid")
        << QList<Line>{{440, 1, 0}, {330, 333, 330}, {0, 7, 262}, {262, 0, 0}, {440, 9, 0}};
}

void TestMidiOutput::notesPlacedAtSumOfDurations() {
    // On a device that places messages, every note-on lies at the sum of the durations before
    // its line and every note-off at the sum through it, on the sound device's sample clock.
    QFETCH(QList<Line>, song);
    Devices devices;
    devices.loop.schedules = true;
    AppFixture app;
    TForm1& w = app.main();
    setSong(w, song);
    page().cbMIDI->setChecked(true);
    playToEnd(w);
    const QMap<int, QString> notes{{440, "45"}, {330, "40"}, {262, "3C"}};
    const auto at = [](qint64 ms) { return ms * 44100 / 1000; };
    QStringList expected;
    qint64 sum = 0;
    for (const Line& l : song) {
        const qint64 start = at(sum);
        sum += l.d;
        const qint64 end = at(sum);
        if (l.f1)
            expected << QStringLiteral("90 %1 64 @%2").arg(notes[l.f1]).arg(start);
        if (l.f2)
            expected << QStringLiteral("91 %1 64 @%2").arg(notes[l.f2]).arg(start);
        if (l.f1)
            expected << QStringLiteral("80 %1 64 @%2").arg(notes[l.f1]).arg(end);
        if (l.f2)
            expected << QStringLiteral("81 %1 64 @%2").arg(notes[l.f2]).arg(end);
        if (l.f1)
            expected << QStringLiteral("89 23 64 @%1").arg(end);
        if (l.f2)
            expected << QStringLiteral("89 23 64 @%1").arg(end);
    }
    QStringList placed;
    std::optional<std::uint64_t> origin;
    for (const auto& s : devices.loop.sent()) {
        if (!s.dueSample)
            continue;
        if (!origin)
            origin = *s.dueSample; // the first line sounds from its start
        placed << QStringLiteral("%1 %2 %3 @%4")
                      .arg(s.status(), 2, 16, QLatin1Char('0'))
                      .arg(s.data1(), 2, 16, QLatin1Char('0'))
                      .arg(s.data2(), 2, 16, QLatin1Char('0'))
                      .arg(qint64(*s.dueSample - *origin))
                      .toUpper();
    }
    QCOMPARE(placed, expected);
}

void TestMidiOutput::deviceErrorStopsOnce() {
    Devices devices;
    AppFixture app;
    TForm1& w = app.main();
    setSong(w, {{440, 50, 262}, {330, 50, 0}});
    page().cbMIDI->setChecked(true);
    devices.loop.failStatus = 0x91; // track 2's note-on fails after track 1's has sounded
    playToEnd(w);
    QCOMPARE(app.prompts.errors, QStringList{"The device is busy; try again later."});
    QCOMPARE(devices.loop.sentTexts(), QStringList({"C0 00 00", "C1 00 00", "90 45 64", "80 45 64",
                                                    "81 3C 64", "89 23 64", "89 23 64"}));
    QCOMPARE(w.btplay->text(), QStringLiteral("Play"));
    QCOMPARE(devices.loop.openOutputs(), 0);
    QVERIFY(page().BitBtn1->isEnabled());
}

void TestMidiOutput::noDeviceFailsAtPlay() {
    Devices devices({}, {});
    AppFixture app;
    TForm1& w = app.main();
    setSong(w, {{440, 50, 0}});
    QCOMPARE(page().combMidiG->count(), 0);
    page().cbMIDI->setChecked(true);
    w.btplay->click();
    QCOMPARE(app.prompts.errors, QStringList{"Invalid device ID"});
    // After the failure nothing plays and Play is idle again.
    QCOMPARE(w.btplay->text(), QStringLiteral("Play"));
    QVERIFY(!w.midi->tiMIDI->isActive());
    QVERIFY(w.playback->PlayStopped);
}

void TestMidiOutput::menuItemKeepsChoiceInStep_data() {
    QTest::addColumn<bool>("fmFirst");
    QTest::addColumn<int>("presses");
    QTest::addColumn<bool>("midi");
    QTest::addColumn<bool>("beeper");
    QTest::newRow("once from Beeper") << false << 1 << true << false;
    QTest::newRow("twice from Beeper") << false << 2 << false << true;
    QTest::newRow("once from FM-Synthese") << true << 1 << true << false;
    QTest::newRow("twice from FM-Synthese") << true << 2 << false << true;
}

void TestMidiOutput::menuItemKeepsChoiceInStep() {
    QFETCH(bool, fmFirst);
    QFETCH(int, presses);
    QFETCH(bool, midi);
    QFETCH(bool, beeper);
    Devices devices;
    AppFixture app;
    TForm1& w = app.main();
    if (fmFirst)
        QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier | Qt::AltModifier);
    for (int i = 0; i < presses; ++i)
        QTest::keyClick(&w, Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(w.MIDIOut1->isChecked(), midi);
    QCOMPARE(page().cbMIDI->isChecked(), midi);
    QCOMPARE(w.Beeper1->isChecked(), beeper);
    QVERIFY(!w.FMSynthese1->isChecked());
}

void TestMidiOutput::pageListsDevicesAndToggles() {
    Devices devices({"First Out", "Second Out"}, {"First In", "Second In"});
    AppFixture app;
    SettingsMidiPage& p = page();
    TForm6& dialog = *forms().Form6;
    // Found by their names, as the rest of the dialog finds them.
    QCOMPARE(dialog.findChild<QComboBox*>("combMidiG"), p.combMidiG);
    QCOMPARE(dialog.findChild<QComboBox*>("cbMidiIn"), p.cbMidiIn);
    QCOMPARE(p.combMidiG->count(), 2);
    QCOMPARE(p.combMidiG->itemText(0), QStringLiteral("First Out"));
    QCOMPARE(p.combMidiG->currentIndex(), 0);
    QCOMPARE(p.cbMidiIn->itemText(1), QStringLiteral("Second In"));
    QCOMPARE(p.cbMidiNote1->count(), 128);
    QCOMPARE(p.cbMidiNote2->itemText(127), QStringLiteral("Gunshot"));
    QCOMPARE(p.cbDrum1->count(), 45);
    QCOMPARE(p.cbDrum2->itemText(44), QStringLiteral("Open Triangle"));
    QCOMPARE(p.TrackBar1->minimum(), 1);
    QCOMPARE(p.TrackBar2->maximum(), 127);
    QCOMPARE(p.TrackBar2->value(), 100);

    dialog.show();
    dialog.TabbedNotebook1->setCurrentIndex(5);
    QVERIFY(p.cbMidiNote1->isVisible());
    QVERIFY(!p.cbDrum1->isVisible());
    p.BitBtn3->click();
    QCOMPARE(p.BitBtn3->toolTip(), QStringLiteral("Drum"));
    QCOMPARE(p.BitBtn3->icon().cacheKey(), p.drum->icon().cacheKey());
    QVERIFY(!p.cbMidiNote1->isVisible());
    QVERIFY(p.cbDrum1->isVisible());
    QVERIFY(p.cbMidiNote2->isVisible()); // track 2 untouched
    p.BitBtn3->click();
    QCOMPARE(p.BitBtn3->toolTip(), QStringLiteral("Melody"));
    QCOMPARE(p.BitBtn3->icon().cacheKey(), p.melody->icon().cacheKey());
    QVERIFY(p.cbMidiNote1->isVisible());

    // Applying takes the chosen device and the output check marks.
    p.combMidiG->setCurrentIndex(1);
    p.cbMIDI->setChecked(true);
    p.ApplyMidiSettings();
    QCOMPARE(p.MidiOutput->DeviceID(), 1);
    QVERIFY(app.main().MIDIOut1->isChecked());
    QVERIFY(!app.main().Beeper1->isChecked());
    p.cbMIDI->setChecked(false);
    p.ApplyMidiSettings();
    QVERIFY(!app.main().MIDIOut1->isChecked());
    QVERIFY(app.main().Beeper1->isChecked());
}

void TestMidiOutput::pageWithoutInput() {
    Devices devices({"Out"}, {});
    AppFixture app;
    QVERIFY(!page().MidiInput);
    QCOMPARE(page().cbMidiIn->count(), 0);
    QCOMPARE(forms().Form6->toolTip(), QStringLiteral("NOMIDIIN"));
}

void TestMidiOutput::playbackLocksTheTests() {
    Devices devices;
    AppFixture app;
    TForm1& w = app.main();
    setSong(w, {{440, 20000, 0}});
    page().cbMIDI->setChecked(true);
    w.btplay->click();
    for (QWidget* button : std::initializer_list<QWidget*>{
             page().BitBtn1, page().BitBtn2, forms().Form6->btUe, forms().Form6->btOk})
        QVERIFY(!button->isEnabled());
    w.btstop->click();
    for (QWidget* button : std::initializer_list<QWidget*>{
             page().BitBtn1, page().BitBtn2, forms().Form6->btUe, forms().Form6->btOk})
        QVERIFY(button->isEnabled());
}

void TestMidiOutput::linesKeepTheirLength() {
    // Ten lines of 60 ms: each line is due 60 ms after the one before, whatever the timer did.
    Devices devices;
    AppFixture app;
    TForm1& w = app.main();
    QList<Line> song;
    for (int i = 0; i < 10; ++i)
        song.append({440, 60, 0});
    setSong(w, song);
    page().cbMIDI->setChecked(true);
    playToEnd(w);
    QList<std::chrono::steady_clock::time_point> onsets;
    for (const auto& s : devices.loop.sent())
        if (s.status() == 0x90 && s.due)
            onsets.append(*s.due);
    QCOMPARE(onsets.size(), 10);
    for (int i = 1; i < onsets.size(); ++i) {
        const auto gap =
            std::chrono::duration_cast<std::chrono::microseconds>(onsets[i] - onsets[i - 1]);
        // Exact unless a tick came so late that the schedule started afresh.
        QVERIFY2(gap.count() == 60000 || gap.count() > 160000,
                 qPrintable(QString::number(gap.count())));
    }
}

QTEST_MAIN(TestMidiOutput)
#include "tst_midioutput.moc"
