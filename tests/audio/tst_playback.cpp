#include "DiskCapture.h"
#include "Spectrum.h"

#include "audio/PlaybackEngine.h"
#include "audio/SoundDevice.h"
#include "audio/SystemBeep.h"
#include "gui/ListBox.h"
#include "gui/MainWindow.h"
#include "gui/PlaybackControls.h"
#include "song/Song.h"
#include "gui/SettingsDialog.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <optional>

namespace {

constexpr int kRate = 44100;
constexpr int kEnd = 20000; // generous wait for a song to end (ms), never a measurement

std::size_t samplesOf(int ms) {
    return std::size_t(ms) * kRate / 1000;
}

/// The frequency of a segment is the expected one within the accuracy of counting zero
/// crossings over its length.
bool near(const ToneSegment& s, int frequency) {
    return std::abs(s.frequency() - frequency) <= frequency * 0.03 + 2000.0 / s.milliseconds();
}

QString describe(const std::vector<ToneSegment>& segments) {
    QStringList parts;
    for (const auto& s : segments)
        parts << QStringLiteral("%1Hz/%2ms@%3")
                     .arg(s.frequency(), 0, 'f', 0)
                     .arg(s.milliseconds())
                     .arg(s.startMs(), 0, 'f', 1);
    return parts.join(QStringLiteral(", "));
}

PlaybackEngine& engine(TForm1& w) {
    return *w.playback;
}

void playToEnd(TForm1& w) {
    w.btplay->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.playback->PlayStopped, kEnd);
}

/// Beeps recorded instead of sounded, for the engine's logic.
struct BeepRecorder {
    QList<QPair<int, int>> calls;
    std::function<void(int, int)> extra;
    BeepRecorder() {
        setSystemBeepHook([this](int f, int d) {
            calls.append({f, d});
            if (extra)
                extra(f, d);
        });
    }
    ~BeepRecorder() { setSystemBeepHook({}); }
};

} // namespace

class TestPlayback : public QObject {
    Q_OBJECT

private slots:
    void speakerPlaysSong_data();
    void speakerPlaysSong();
    void enterFiveTimesAndF5();
    void waveformHalfLengthTones();
    void pauseResumesAtNextLine();
    void stopThenPlayStartsAtLineZero();
    void stopResetsState();
    void stopOrPauseWithSoundQueuedAhead_data();
    void stopOrPauseWithSoundQueuedAhead();
    void playFollowsLines();
    void tickUpdatesView_data();
    void tickUpdatesView();
    void emptySongStops();
    void zeroAndNegativeDurationsMoveOn();
    void unplayableLineStops_data();
    void unplayableLineStops();
    void loopFromCurrentLineHasNoGap_data();
    void loopFromCurrentLineHasNoGap();
    void previewSoundsSelectedLine();
    void songEmptiedWhilePaused();
    void songEmptiedWhilePlaying();
    void synthRefusesHighFrequency();
    void messageBoxDoesNotOverlapTicks();
    void stopWhileMessageOpen();
    void toneTest_data();
    void toneTest();
    void outputChoice_data();
    void outputChoice();
    void volumeFollowsTrackBar_data();
    void volumeFollowsTrackBar();
    void mutedWaveformIsSilent();
    void noDeviceIsShownOnceAtFirstTone();
    void outputSwitchedWhilePlaying_data();
    void outputSwitchedWhilePlaying();
};

void TestPlayback::speakerPlaysSong_data() {
    QTest::addColumn<QStringList>("song");
    QTest::addColumn<QList<int>>("frequencies");
    QTest::addColumn<QList<int>>("lengths");
    QTest::addColumn<QList<int>>("onsets"); // earliest start of each tone after the first (ms)
    QTest::newRow("tones and rests")
        << QStringList{"500 40 0 40", "0 30 0 30", "1000 40 0 40", "0 20 0 20", "700 30 0 30"}
        << QList<int>{500, 1000, 700} << QList<int>{40, 40, 30} << QList<int>{0, 70, 130};
    QTest::newRow("track 2 sounds where track 1 rests")
        << QStringList{"0 40 800 40", "0 30 0 30", "600 40 2000 40"} << QList<int>{800, 600}
        << QList<int>{40, 40} << QList<int>{0, 70};
    QTest::newRow("track 2 duration is not used")
        << QStringList{"0 40 440 500", "0 30 0 1", "300 30 0 0"} << QList<int>{440, 300}
        << QList<int>{40, 30} << QList<int>{0, 70};
    QTest::newRow("out-of-range frequencies are silent")
        << QStringList{"36 40 0 40", "900 30 0 30", "30000 30 0 30", "37 100 0 100"}
        << QList<int>{900, 37} << QList<int>{30, 100} << QList<int>{0, 60};
}

// The song as heard: each tone at its frequency and length, rests as silence of their length.
void TestPlayback::speakerPlaysSong() {
    QFETCH(QStringList, song);
    QFETCH(QList<int>, frequencies);
    QFETCH(QList<int>, lengths);
    QFETCH(QList<int>, onsets);
    AppFixture app;
    TForm1& w = app.main();
    DiskCapture capture;
    setSong(w, song);
    playToEnd(w);
    const auto segments = toneSegments(capture.samples());
    QVERIFY2(segments.size() == std::size_t(frequencies.size()), qPrintable(describe(segments)));
    for (int i = 0; i < frequencies.size(); ++i) {
        QVERIFY2(near(segments[i], frequencies[i]), qPrintable(describe(segments)));
        QCOMPARE(segments[i].length, samplesOf(lengths[i]));
        QVERIFY2(segments[i].start - segments[0].start >= samplesOf(onsets[i]),
                 qPrintable(describe(segments)));
    }
    QCOMPARE(w.btplay->text(), QStringLiteral("Play"));
}

// Enter five times adds five lines of 500 Hz / 100 ms; F5 plays them as five tones in a row.
void TestPlayback::enterFiveTimesAndF5() {
    AppFixture app;
    TForm1& w = app.main();
    DiskCapture capture;
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(&w, Qt::Key_Return);
    QCOMPARE(w.Memo1->count(), 5);
    QTest::keyClick(&w, Qt::Key_F5);
    QCOMPARE(w.btplay->text(), QStringLiteral("Pause"));
    QTRY_VERIFY_WITH_TIMEOUT(w.playback->PlayStopped, kEnd);
    QCOMPARE(w.btplay->text(), QStringLiteral("Play"));
    const auto segments = toneSegments(capture.samples());
    QVERIFY(!segments.empty());
    std::size_t sounding = 0;
    for (const auto& s : segments) {
        QVERIFY2(near(s, 500), qPrintable(describe(segments)));
        sounding += s.length;
    }
    QCOMPARE(sounding, 5 * samplesOf(100));
}

// The waveform output sounds the first half of each line; the second half is silence.
void TestPlayback::waveformHalfLengthTones() {
    AppFixture app;
    TForm1& w = app.main();
    DiskCapture capture;
    w.FMSynthese1->trigger();
    QVERIFY(w.FMSynthese1->isChecked());
    setSong(w, {"600 60 0 60", "0 40 0 40", "1200 61 0 61", "0 20 1500 20"});
    playToEnd(w);
    const auto segments = toneSegments(capture.samples());
    QVERIFY2(segments.size() == 3, qPrintable(describe(segments)));
    QVERIFY(near(segments[0], 600));
    QVERIFY(near(segments[1], 1200));
    QVERIFY(near(segments[2], 1500));
    // a tone's first sample is the silent 127, so up to one sample less is heard
    QVERIFY(segments[0].length + 1 >= samplesOf(30) && segments[0].length <= samplesOf(30));
    QVERIFY(segments[1].length + 1 >= samplesOf(30) && segments[1].length <= samplesOf(30));
    QVERIFY(segments[2].length + 1 >= samplesOf(10) && segments[2].length <= samplesOf(10));
    QVERIFY(segments[1].start - segments[0].start >= samplesOf(100));
    QVERIFY(segments[2].start - segments[1].start >= samplesOf(61));
}

// Pause after the second line; Play goes on with the next: every line sounds exactly once.
void TestPlayback::pauseResumesAtNextLine() {
    AppFixture app;
    TForm1& w = app.main();
    DiskCapture capture;
    setSong(w, {"400 30 0 30", "0 15 0 15", "800 30 0 30", "0 15 0 15", "1200 30 0 30", "0 15 0 15",
                "1600 30 0 30"});
    // Pause in the tick that shows the second line heard (ticks that only queue sound ahead
    // show nothing).
    bool paused = false;
    QObject::connect(engine(w).Timer1, &QTimer::timeout, &w, [&] {
        if (!paused && engine(w).PlayPosition == 2) {
            paused = true;
            w.btplay->click();
        }
    });
    w.btplay->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.playback->PlayStopped, kEnd);
    QCOMPARE(w.btplay->text(), QStringLiteral("Play"));
    // the line after the one heard when Pause came (a late tick may find line 2 sounding)
    const int position = engine(w).PlayPosition;
    QVERIFY2(position >= 2 && position <= 7, qPrintable(QString::number(position)));
    QVERIFY(!engine(w).Timer1->isActive());
    QTest::qWait(50);
    QCOMPARE(engine(w).PlayPosition, position);
    playToEnd(w);
    const auto segments = toneSegments(capture.samples());
    QVERIFY2(segments.size() == 4, qPrintable(describe(segments)));
    const QList<int> expected{400, 800, 1200, 1600};
    for (int i = 0; i < 4; ++i)
        QVERIFY2(near(segments[i], expected[i]), qPrintable(describe(segments)));
}

void TestPlayback::stopThenPlayStartsAtLineZero() {
    AppFixture app;
    TForm1& w = app.main();
    DiskCapture capture;
    // (lines long enough that the third tick still finds the third line sounding)
    setSong(w, {"400 200 0 200", "0 100 0 100", "800 200 0 200", "0 100 0 100", "1200 200 0 200"});
    bool stopped = false;
    QObject::connect(engine(w).Timer1, &QTimer::timeout, &w, [&] {
        if (!stopped && engine(w).PlayPosition == 3) {
            stopped = true;
            w.Stop1->trigger();
        }
    });
    playToEnd(w);
    QCOMPARE(engine(w).PlayPosition, 0);
    // the stopped line's tone ends in full before Play starts again
    SoundDevice::instance().drain();
    playToEnd(w);
    const auto segments = toneSegments(capture.samples());
    QVERIFY2(segments.size() == 5, qPrintable(describe(segments)));
    const QList<int> expected{400, 800, 400, 800, 1200};
    for (int i = 0; i < 5; ++i)
        QVERIFY2(near(segments[i], expected[i]), qPrintable(describe(segments)));
}

void TestPlayback::stopResetsState() {
    AppFixture app;
    TForm1& w = app.main();
    BeepRecorder beeps;
    setSong(w, {"400 10 0 10", "500 10 0 10", "600 10 0 10", "700 10 0 10"});
    w.Scrollfunktion1->setChecked(true);
    w.ShowProgress(1, 3, QStringLiteral("X"));
    // Stop right after the second line has sounded (not after a count of ticks: a tick that
    // comes before its line is due sounds nothing).
    beeps.extra = [&](int, int) {
        if (beeps.calls.size() == 2)
            QTimer::singleShot(0, &w, [&] { w.btstop->click(); });
    };
    forms().Form6->btOk->setEnabled(false);
    forms().Form6->btUe->setEnabled(false);
    w.btplay->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.playback->PlayStopped, kEnd);
    QCOMPARE(beeps.calls.size(), 2);
    QCOMPARE(engine(w).PlayPosition, 0);
    QCOMPARE(selections(w), (QList<int>{0, 0, 0, 0, 0}));
    QCOMPARE(w.btplay->text(), QStringLiteral("Play"));
    QVERIFY(!engine(w).Timer1->isActive());
    QCOMPARE(w.probar->value(), 0);
    QCOMPARE(w.laStatus->text(), QString());
    QVERIFY(forms().Form6->btOk->isEnabled());
    QVERIFY(forms().Form6->btUe->isEnabled());
}

void TestPlayback::stopOrPauseWithSoundQueuedAhead_data() {
    QTest::addColumn<bool>("pause");
    QTest::addColumn<bool>("waveform");
    QTest::addColumn<QStringList>("song");
    QTest::addColumn<QList<int>>("heard"); // sounding stretches in ms, in order
    // Stop or Pause while the first line sounds, and Play again at once. The lines queued
    // ahead (and the waveform line's silent half) are taken back: the next tone follows the
    // sounding one directly, and no taken-back tone is heard.
    const QStringList speaker{"600 800 0 800", "900 800 0 800", "1200 800 0 800"};
    const QStringList waveform{"600 2000 0 2000", "900 100 0 100", "1200 100 0 100"};
    QTest::newRow("Stop, speaker: line 0 again")
        << false << false << speaker << QList<int>{800 + 2400};
    QTest::newRow("Pause, speaker: line 1 next")
        << true << false << speaker << QList<int>{800 + 1600};
    QTest::newRow("Stop, waveform: line 0 again")
        << false << true << waveform << QList<int>{1000 + 1000, 50, 50};
    QTest::newRow("Pause, waveform: line 1 next")
        << true << true << waveform << QList<int>{1000 + 50, 50};
}

void TestPlayback::stopOrPauseWithSoundQueuedAhead() {
    QFETCH(bool, pause);
    QFETCH(bool, waveform);
    QFETCH(QStringList, song);
    QFETCH(QList<int>, heard);
    AppFixture app;
    TForm1& w = app.main();
    DiskCapture capture;
    if (waveform)
        engine(w).FMSynthese1Click();
    setSong(w, song);
    int ticks = 0;
    double queuedAfter = -1;
    QObject::connect(engine(w).Timer1, &QTimer::timeout, &w, [&] {
        if (++ticks > 1 || engine(w).PlayPosition != 1)
            return;
        // the line heard now has more lines queued behind it
        QVERIFY(SoundDevice::instance().queuedMs() > (waveform ? 1100 : 800));
        (pause ? w.btplay : w.btstop)->click();
        queuedAfter = SoundDevice::instance().queuedMs();
        w.btplay->click();
    });
    w.btplay->click();
    QTRY_VERIFY_WITH_TIMEOUT(queuedAfter >= 0, kEnd);
    // what is left is the rest of the sounding tone, never a line's silence or a later line
    QVERIFY2(queuedAfter <= (waveform ? 1000 : 800), qPrintable(QString::number(queuedAfter)));
    QTRY_VERIFY_WITH_TIMEOUT(w.playback->PlayStopped, kEnd);
    const auto segments = toneSegments(capture.samples());
    QVERIFY2(segments.size() == std::size_t(heard.size()), qPrintable(describe(segments)));
    for (int i = 0; i < heard.size(); ++i)
        QVERIFY2(segments[i].length + 1 >= samplesOf(heard[i]) &&
                     segments[i].length <= samplesOf(heard[i]) + 1,
                 qPrintable(describe(segments)));
}

// While playing, the lists select the next line to sound and the bar shows "Spiele Lied".
void TestPlayback::playFollowsLines() {
    AppFixture app;
    TForm1& w = app.main();
    BeepRecorder beeps;
    setSong(w, {"400 10 0 10", "500 10 0 10", "600 10 0 10", "700 10 0 10"});
    QList<QList<int>> seen;
    QList<int> bars;
    QStringList status;
    beeps.extra = [&](int, int) {
        seen.append(selections(w));
        bars.append(w.probar->value());
        status.append(w.laStatus->text());
    };
    playToEnd(w);
    QCOMPARE(beeps.calls, (QList<QPair<int, int>>{{400, 10}, {500, 10}, {600, 10}, {700, 10}}));
    // seen during each tone: the selection the previous tick left
    QCOMPARE(seen, (QList<QList<int>>{
                       {-1, -1, -1, -1, -1}, {1, 1, 1, 1, 1}, {2, 2, 2, 2, 2}, {3, 3, 3, 3, 3}}));
    QCOMPARE(bars, (QList<int>{0, 25, 50, 75}));
    QCOMPARE(status, (QStringList{"", "Spiele Lied", "Spiele Lied", "Spiele Lied"}));
    QCOMPARE(selections(w), (QList<int>{0, 0, 0, 0, 0}));
    QCOMPARE(w.probar->value(), 0);
    QCOMPARE(w.laStatus->text(), QString());
}

void TestPlayback::tickUpdatesView_data() {
    QTest::addColumn<bool>("scrollOff");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<int>("bar");
    QTest::addColumn<QString>("status");
    // Play renumbers the lines, which clears the selection of Line.
    QTest::newRow("following: one past the last line selects nothing")
        << false << QList<int>{-1, -1, -1, -1, -1} << 0 << "";
    QTest::newRow("Scrollfunktion deaktivieren: view untouched")
        << true << QList<int>{-1, 0, 0, 0, 0} << 33 << "A";
}

// The view right after the last line has sounded.
void TestPlayback::tickUpdatesView() {
    QFETCH(bool, scrollOff);
    QFETCH(QList<int>, selected);
    QFETCH(int, bar);
    QFETCH(QString, status);
    AppFixture app;
    TForm1& w = app.main();
    BeepRecorder beeps;
    setSong(w, {"400 10 0 10"});
    w.Scrollfunktion1->setChecked(scrollOff);
    clickItem(w.Memo3, 0);
    w.ShowProgress(1, 3, QStringLiteral("A"));
    QList<int> seen;
    QString seenStatus;
    QObject::connect(engine(w).Timer1, &QTimer::timeout, &w, [&] {
        if (!seen.isEmpty())
            return;
        seen = selections(w) << w.probar->value();
        seenStatus = w.laStatus->text();
    });
    playToEnd(w);
    QCOMPARE(seen, selected << bar);
    QCOMPARE(seenStatus, status);
}

void TestPlayback::emptySongStops() {
    AppFixture app;
    TForm1& w = app.main();
    w.btplay->click();
    QCOMPARE(w.btplay->text(), QStringLiteral("Pause"));
    QVERIFY(!w.playback->PlayStopped);
    QTRY_VERIFY_WITH_TIMEOUT(w.playback->PlayStopped, kEnd);
    QCOMPARE(w.btplay->text(), QStringLiteral("Play"));
    QCOMPARE(engine(w).PlayTable.first, std::vector<int>{-1});
}

// A line of length 0 sounds nothing and playback moves on at once.
void TestPlayback::zeroAndNegativeDurationsMoveOn() {
    AppFixture app;
    TForm1& w = app.main();
    BeepRecorder beeps;
    setSong(w, {"400 0 0 0", "500 0 0 0", "600 10 0 10"});
    playToEnd(w);
    QCOMPARE(beeps.calls, (QList<QPair<int, int>>{{400, 0}, {500, 0}, {600, 10}}));
    QCOMPARE(w.btplay->text(), QStringLiteral("Play"));
}

// A line that cannot be played: the lines before it sound, then the song stops with a message
// naming the line, and Play is idle again.
void TestPlayback::unplayableLineStops_data() {
    QTest::addColumn<QStringList>("song");
    QTest::addColumn<int>("bad");
    const QString good = QStringLiteral("400 10 0 10");
    QTest::newRow("letters") << QStringList{good, "abc 10 0 10", good} << 1;
    QTest::newRow("fraction") << QStringList{good, good, "440.5 10 0 10"} << 2;
    QTest::newRow("negative duration") << QStringList{good, "500 -100 0 -100"} << 1;
    QTest::newRow("above the range") << QStringList{"40000 10 0 10", good} << 0;
    QTest::newRow("track 2 empty") << QStringList{good, "500 10  10"} << 1;
    QTest::newRow("hex in range plays") << QStringList{good, "$1B8 10 0 10"} << -1;
}

void TestPlayback::unplayableLineStops() {
    QFETCH(QStringList, song);
    QFETCH(int, bad);
    AppFixture app;
    TForm1& w = app.main();
    BeepRecorder beeps;
    setSong(w, song);
    playToEnd(w);
    QCOMPARE(beeps.calls.size(), bad < 0 ? song.size() : bad);
    QCOMPARE(w.btplay->text(), QStringLiteral("Play"));
    QVERIFY(!engine(w).Timer1->isActive());
    QVERIFY(app.prompts.errors.isEmpty());
    if (bad < 0) {
        QVERIFY(app.prompts.messages.isEmpty());
        return;
    }
    QCOMPARE(app.prompts.messages.size(), 1);
    const QString text = song[bad].split(QLatin1Char(' ')).join(QLatin1Char('|'));
    QVERIFY2(app.prompts.messages[0].text.startsWith(
                 QStringLiteral("Zeile %1 kann nicht gespielt werden: \"%2\".").arg(bad).arg(text)),
             qPrintable(app.prompts.messages[0].text));
}

// "Schleife" with Shift+F5 on line 1: lines 1, 2, 3, then 0, 1, … again, each starting exactly
// where the one before ends, the loop point included.
void TestPlayback::loopFromCurrentLineHasNoGap_data() {
    QTest::addColumn<bool>("wave");
    QTest::addColumn<int>("lastSelected"); // lines 2 … lastSelected are selected
    QTest::addColumn<QList<int>>("tones");
    const QList<int> song{660, 440, 660, 440, 660};
    QTest::newRow("beep, the song") << false << 2 << song;
    QTest::newRow("waveform, the song") << true << 2 << song;
    QTest::newRow("beep, the selection") << false << 3 << QList<int>{660, 660, 660, 660, 660};
}

void TestPlayback::loopFromCurrentLineHasNoGap() {
    QFETCH(bool, wave);
    QFETCH(int, lastSelected);
    QFETCH(QList<int>, tones);
    AppFixture app;
    TForm1& w = app.main();
    // Tones with rests between them: every line's start is a sound's onset.
    setSong(w, {"440 90 0 90", "0 30 0 30", "660 90 0 90", "0 30 0 30"});
    if (wave)
        w.FMSynthese1->trigger();
    w.playbackControls->Schleife1->trigger();
    w.song->setSelection({{2, lastSelected}}, 2);
    DiskCapture capture;
    w.playbackControls->PlayAbHier1->trigger();
    // Two rounds and a half of 240 ms, heard on the device's clock.
    QTRY_VERIFY_WITH_TIMEOUT(SoundDevice::instance().playedSamples() > samplesOf(900), kEnd);
    QVERIFY(!w.playback->PlayStopped);
    w.btstop->click();
    const std::vector<ToneSegment> heard = toneSegments(capture.samples());
    QVERIFY2(heard.size() >= 5, qPrintable(describe(heard)));
    for (std::size_t i = 0; i < 5; ++i) {
        QVERIFY2(near(heard[i], tones[int(i)]), qPrintable(describe(heard)));
        // Onsets 120 ms apart, within a millisecond.
        if (i > 0)
            QVERIFY2(std::abs(double(heard[i].start - heard[i - 1].start) - samplesOf(120)) <= 44,
                     qPrintable(describe(heard)));
    }
}

// "Vorhören": a selected line sounds once, cut short by the next selection; Play takes over.
void TestPlayback::previewSoundsSelectedLine() {
    AppFixture app;
    TForm1& w = app.main();
    setSong(w, {"440 400 0 400", "880 200 0 200"});
    w.playbackControls->Vorhoeren1->trigger();
    DiskCapture capture;
    SoundDevice& device = SoundDevice::instance();
    w.song->setSelection({{0, 0}}, 0);
    QTRY_VERIFY(device.playedSamples() > samplesOf(150) + 512);
    w.song->setSelection({{1, 1}}, 1);
    QTRY_VERIFY_WITH_TIMEOUT(device.playedSamples() > samplesOf(800), kEnd);
    const std::vector<std::int16_t> s = capture.samples();
    const std::vector<ToneSegment> heard = toneSegments(s);
    // One stretch of sound: 440 Hz cut short well before its 400 ms, then 880 Hz for 200 ms.
    QVERIFY2(heard.size() == 1, qPrintable(describe(heard)));
    const ToneSegment& t = heard[0];
    QVERIFY2(t.length > samplesOf(350) && t.length < samplesOf(500), qPrintable(describe(heard)));
    QVERIFY(std::abs(strongestPartial(s, t.start, samplesOf(50)) - 440) <= 4);
    QVERIFY(std::abs(strongestPartial(s, t.start + t.length - samplesOf(150), samplesOf(100)) -
                     880) <= 4);
}

// Lines deleted during a pause: Play finds the position past the song's end and stops.
void TestPlayback::songEmptiedWhilePaused() {
    AppFixture app;
    TForm1& w = app.main();
    BeepRecorder beeps;
    setSong(w, {"400 10 0 10", "500 10 0 10", "600 10 0 10", "700 10 0 10"});
    int ticks = 0;
    QObject::connect(engine(w).Timer1, &QTimer::timeout, &w, [&] {
        if (++ticks == 3)
            w.btplay->click();
    });
    playToEnd(w);
    QCOMPARE(engine(w).PlayPosition, 3);
    setSong(w, {"900 10 0 10"});
    playToEnd(w);
    QCOMPARE(beeps.calls.size(), 3);
    QCOMPARE(engine(w).PlayPosition, 0);
    QVERIFY(app.prompts.errors.isEmpty());
}

// "Neu" while playing: the prepared song plays on; the empty lists show no progress and no
// error appears.
void TestPlayback::songEmptiedWhilePlaying() {
    AppFixture app;
    TForm1& w = app.main();
    BeepRecorder beeps;
    setSong(w, {"400 10 0 10", "500 10 0 10", "600 10 0 10"});
    beeps.extra = [&](int f, int) {
        if (f == 400) {
            app.giveUpChanges();
            w.Neu1->trigger();
        }
    };
    playToEnd(w);
    QCOMPARE(beeps.calls.size(), 3);
    QVERIFY(app.prompts.errors.isEmpty());
    QCOMPARE(w.probar->value(), 0);
}

// Above 22050 Hz the waveform output shows its message once per line; the song goes on.
void TestPlayback::synthRefusesHighFrequency() {
    AppFixture app;
    TForm1& w = app.main();
    DiskCapture capture;
    engine(w).FMSynthese1Click();
    setSong(w, {"22051 40 0 40", "0 10 0 10", "30000 40 0 40", "900 40 0 40"});
    playToEnd(w);
    const QString text =
        "Mit einer Sample-rate von 44100 kann ein Ton von %1Hz nicht wiedergegeben "
        "werden. Maximal 22050Hz";
    QCOMPARE(app.prompts.texts(), (QStringList{text.arg(22051), text.arg(30000)}));
    const auto segments = toneSegments(capture.samples());
    QVERIFY2(segments.size() == 1 && near(segments[0], 900), qPrintable(describe(segments)));
}

namespace {

/// A message box that, like a real one, runs the event loop while it is open.
class WaitingPrompts final : public Prompts {
public:
    QStringList shown;
    std::uint64_t soundedWhileOpen = 0;
    std::function<void()> whileOpen;
    void showMessage(const QString& text) override {
        shown << text;
        const std::uint64_t before = SoundDevice::instance().samplesQueued();
        if (whileOpen)
            whileOpen();
        QTest::qWait(120);
        soundedWhileOpen += SoundDevice::instance().samplesQueued() - before;
    }
    Answer messageBox(const QString&, const QString&, Icon, Buttons) override { return Answer::Ok; }
    void showError(const QString& text) override { shown << text; }
    std::optional<QString> openFile(const FileDialog&) override { return {}; }
    std::optional<QString> saveFile(const FileDialog&) override { return {}; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return {};
    }
    int execModal(QDialog&) override { return 0; }
};

} // namespace

// Ticks falling due while the waveform output's message is open do not run inside it: the
// lines still sound once each, in order.
void TestPlayback::messageBoxDoesNotOverlapTicks() {
    AppFixture app;
    TForm1& w = app.main();
    DiskCapture capture;
    WaitingPrompts waiting;
    setPrompts(&waiting);
    engine(w).FMSynthese1Click();
    setSong(w, {"30000 20 0 20", "600 40 0 40", "0 20 0 20", "900 40 0 40"});
    playToEnd(w);
    setPrompts(&app.prompts);
    QCOMPARE(waiting.shown.size(), 1);
    QCOMPARE(waiting.soundedWhileOpen, std::uint64_t(0));
    const auto segments = toneSegments(capture.samples());
    QVERIFY2(segments.size() == 2 && near(segments[0], 600) && near(segments[1], 900),
             qPrintable(describe(segments)));
}

// Stop pressed while the message is open: the song stops there and the view stays stopped.
void TestPlayback::stopWhileMessageOpen() {
    AppFixture app;
    TForm1& w = app.main();
    BeepRecorder beeps;
    engine(w).FMSynthese1Click();
    setSong(w, {"500 20 0 20", "30000 20 0 20", "600 20 0 20"});
    WaitingPrompts waiting;
    waiting.whileOpen = [&] { w.btstop->click(); };
    setPrompts(&waiting);
    playToEnd(w);
    QTest::qWait(100);
    setPrompts(&app.prompts);
    QCOMPARE(waiting.shown.size(), 1);
    QCOMPARE(engine(w).PlayPosition, 0);
    QVERIFY(!engine(w).Timer1->isActive());
    QCOMPARE(selections(w), (QList<int>{0, 0, 0, 0, 0}));
    QCOMPARE(w.laStatus->text(), QString());
    QCOMPARE(w.btplay->text(), QStringLiteral("Play"));
}

void TestPlayback::toneTest_data() {
    QTest::addColumn<bool>("beeper");
    QTest::addColumn<bool>("synth");
    QTest::addColumn<bool>("trackTwo");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("sounding"); // ms heard in a row
    QTest::newRow("beeper, track 1") << true << false << false << 500 << 60;
    QTest::newRow("beeper, track 2") << true << false << true << 750 << 60;
    QTest::newRow("waveform: half the length") << false << true << false << 500 << 30;
    QTest::newRow("both: speaker then waveform") << true << true << false << 500 << 90;
    QTest::newRow("neither") << false << false << false << 500 << 0;
}

// The glyph button plays the entry fields' tone on every checked output.
void TestPlayback::toneTest() {
    QFETCH(bool, beeper);
    QFETCH(bool, synth);
    QFETCH(bool, trackTwo);
    QFETCH(int, frequency);
    QFETCH(int, sounding);
    AppFixture app;
    TForm1& w = app.main();
    DiskCapture capture;
    w.Beeper1->setChecked(beeper);
    w.FMSynthese1->setChecked(synth);
    w.edFreq1->setText(QStringLiteral("500"));
    w.edFreq2->setText(QStringLiteral("750"));
    w.edLengh->setText(QStringLiteral("60"));
    if (trackTwo)
        QTest::keyClick(&w, Qt::Key_F2);
    w.BitBtn1->click();
    const auto segments = toneSegments(capture.samples());
    std::size_t heard = 0;
    for (const auto& s : segments) {
        QVERIFY2(near(s, frequency), qPrintable(describe(segments)));
        heard += s.length;
    }
    // a waveform tone's first sample is the silent 127
    QVERIFY2(heard <= samplesOf(sounding) && heard + 1 >= samplesOf(sounding),
             qPrintable(describe(segments)));
}

void TestPlayback::outputChoice_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QList<bool>>("before"); // Beeper, FM-Synthese, MIDI-Out, cbMIDI
    QTest::addColumn<QList<bool>>("after");
    using B = QList<bool>;
    QTest::newRow("Beeper unchecks the others")
        << "Beeper1" << B{false, true, true, true} << B{true, false, false, false};
    QTest::newRow("Beeper stays checked")
        << "Beeper1" << B{true, false, false, false} << B{true, false, false, false};
    QTest::newRow("FM-Synthese on")
        << "FMSynthese1" << B{true, false, true, true} << B{false, true, false, false};
    QTest::newRow("FM-Synthese off checks Beeper")
        << "FMSynthese1" << B{false, true, false, false} << B{true, false, false, false};
    QTest::newRow("FM-Synthese off keeps MIDI")
        << "FMSynthese1" << B{false, true, true, true} << B{true, false, true, true};
    QTest::newRow("both checked at start, FM-Synthese off")
        << "FMSynthese1" << B{true, true, false, false} << B{true, false, false, false};
}

void TestPlayback::outputChoice() {
    QFETCH(QString, item);
    QFETCH(QList<bool>, before);
    QFETCH(QList<bool>, after);
    AppFixture app;
    TForm1& w = app.main();
    QCheckBox* cbMIDI = forms().Form6->cbMIDI;
    w.Beeper1->setChecked(before[0]);
    w.FMSynthese1->setChecked(before[1]);
    w.MIDIOut1->setChecked(before[2]);
    cbMIDI->setChecked(before[3]);
    w.findChild<QAction*>(item)->trigger();
    QCOMPARE((QList<bool>{w.Beeper1->isChecked(), w.FMSynthese1->isChecked(),
                          w.MIDIOut1->isChecked(), cbMIDI->isChecked()}),
             after);
}

void TestPlayback::volumeFollowsTrackBar_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("muted");
    QTest::newRow("0 mutes") << 0 << true;
    QTest::newRow("1") << 1 << false;
    QTest::newRow("55") << 55 << false;
    QTest::newRow("100") << 100 << false;
}

void TestPlayback::volumeFollowsTrackBar() {
    QFETCH(int, position);
    QFETCH(bool, muted);
    AppFixture app;
    TForm1& w = app.main();
    TForm6& settings = *forms().Form6;
    QCOMPARE(engine(w).SynthVolume, 80);
    QVERIFY(settings.laMuted->isHidden());
    settings.tbfm->setValue(position);
    QCOMPARE(engine(w).SynthVolume, position);
    QCOMPARE(!settings.laMuted->isHidden(), muted);
    settings.tbfm->setValue(80);
    QVERIFY(settings.laMuted->isHidden());
}

void TestPlayback::mutedWaveformIsSilent() {
    AppFixture app;
    TForm1& w = app.main();
    DiskCapture capture;
    forms().Form6->tbfm->setValue(0);
    engine(w).FMSynthese1Click();
    setSong(w, {"600 40 0 40", "900 40 0 40"});
    playToEnd(w);
    QVERIFY(toneSegments(capture.samples(), 300).empty());
}

// Without a sound device the status area says so at the first tone, for that song, and only
// once; the song still plays in silence with its view steps.
void TestPlayback::noDeviceIsShownOnceAtFirstTone() {
    AppFixture app;
    TForm1& w = app.main();
    SoundDevice::shutdown();
    const QByteArray oldDriver = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", "/nonexistent-dir/out.raw");
    const auto restore = qScopeGuard([&] {
        SoundDevice::shutdown();
        qputenv("SDL_AUDIODRIVER", oldDriver);
        qunsetenv("SDL_DISKAUDIOFILE");
    });
    QVERIFY(SoundDevice::instance().hasNoDevice());
    QCOMPARE(w.laStatus->text(), QString()); // not before a tone
    setSong(w, {"500 60 0 60", "600 60 0 60", "700 60 0 60"});
    QStringList seen;
    QObject::connect(engine(w).Timer1, &QTimer::timeout, &w, [&] { seen << w.laStatus->text(); });
    playToEnd(w);
    QVERIFY2(!seen.isEmpty() && seen.first() == PlaybackEngine::kNoSoundDevice,
             qPrintable(seen.join(QLatin1Char('|'))));
    QVERIFY(QFontMetrics(w.laStatus->font()).horizontalAdvance(PlaybackEngine::kNoSoundDevice) <=
            w.laStatus->width());
    QCOMPARE(w.laStatus->text(), QString());
    seen.clear();
    playToEnd(w);
    QVERIFY2(!seen.contains(PlaybackEngine::kNoSoundDevice),
             qPrintable(seen.join(QLatin1Char('|'))));
    QVERIFY(seen.contains(QStringLiteral("Spiele Lied")));
}

void TestPlayback::outputSwitchedWhilePlaying_data() {
    QTest::addColumn<bool>("waveformFirst");
    QTest::addColumn<QList<int>>("heard"); // sounding stretches in ms
    // Lines of 400 ms; the output changes while line 0 sounds. The speaker fills its line, the
    // waveform output sounds the first half.
    QTest::newRow("Beeper, then FM-Synthese") << false << QList<int>{400 + 200, 200};
    QTest::newRow("FM-Synthese, then Beeper") << true << QList<int>{200, 800};
}

// The output is chosen line by line even though lines are queued ahead: the lines after the one
// heard when the choice changes sound on the new output, in time.
void TestPlayback::outputSwitchedWhilePlaying() {
    QFETCH(bool, waveformFirst);
    QFETCH(QList<int>, heard);
    AppFixture app;
    TForm1& w = app.main();
    DiskCapture capture;
    if (waveformFirst)
        engine(w).FMSynthese1Click();
    setSong(w, {"600 400 0 400", "900 400 0 400", "1200 400 0 400"});
    bool switched = false;
    QObject::connect(engine(w).Timer1, &QTimer::timeout, &w, [&] {
        if (switched || engine(w).PlayPosition != 1)
            return;
        switched = true;
        (waveformFirst ? w.Beeper1 : w.FMSynthese1)->trigger();
    });
    playToEnd(w);
    QVERIFY(switched);
    QCOMPARE(w.FMSynthese1->isChecked(), !waveformFirst);
    const auto segments = toneSegments(capture.samples());
    QVERIFY2(segments.size() == std::size_t(heard.size()), qPrintable(describe(segments)));
    for (int i = 0; i < heard.size(); ++i)
        QVERIFY2(segments[i].length + 2 >= samplesOf(heard[i]) &&
                     segments[i].length <= samplesOf(heard[i]) + 1,
                 qPrintable(describe(segments)));
}

QTEST_MAIN(TestPlayback)
#include "tst_playback.moc"
