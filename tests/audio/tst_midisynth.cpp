#include "DiskCapture.h"
#include "Spectrum.h"

#include "audio/GmSynth.h"
#include "audio/PlaybackEngine.h"
#include "gui/ListBox.h"
#include "gui/SettingsDialog.h"
#include "gui/SettingsMidiPage.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

// The built-in synthesizer on the program's real sound output, captured by the disk driver.

namespace {

constexpr int kRate = 44100;
constexpr int kEnd = 20000; // generous wait for a song to end (ms), never a measurement

double ms(std::size_t samples) {
    return samples * 1000.0 / kRate;
}

SettingsMidiPage& page() {
    return *forms().Form6->midiPage;
}

} // namespace

class TestMidiSynth : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void enterThreeTimesMidiOutAndF5();
    void restLinesAreSilent_data();
    void restLinesAreSilent();
    void synthIsTheFirstDevice();
    void instrumentTestSoundsOneSecond();
};

void TestMidiSynth::initTestCase() {
    if (GmSynth::soundFontPath().isEmpty())
        QSKIP("no General MIDI SoundFont installed");
}

void TestMidiSynth::enterThreeTimesMidiOutAndF5() {
    DiskCapture capture;
    AppFixture app;
    TForm1& w = app.main();
    w.edFreq1->setFocus();
    w.edFreq1->setText(QStringLiteral("440"));
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(w.edFreq1, Qt::Key_Return);
    QCOMPARE(w.Memo1->count(), 3);
    QTest::keyClick(&w, Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(w.MIDIOut1->isChecked());
    QTest::keyClick(&w, Qt::Key_F5);
    QTRY_VERIFY_WITH_TIMEOUT(w.playback->PlayStopped, kEnd);
    QCOMPARE(w.btplay->text(), QStringLiteral("Play"));
    QTest::qWait(600); // the release of the last note
    const auto samples = capture.samples();
    const std::size_t first = firstLoud(samples);
    const std::size_t last = lastLoud(samples);
    QVERIFY(first < samples.size());
    // About 300 ms of sound (three lines of 100 ms, then the piano's short release).
    QVERIFY2(ms(last - first) > 250 && ms(last - first) < 600,
             qPrintable(QString::number(ms(last - first))));
    const double pitch = strongestPartial(samples, first, std::size_t(kRate / 5), 100, 2000, 1);
    QVERIFY2(std::abs(pitch - 440) < 10, qPrintable(QString::number(pitch)));
    // Then silence.
    QVERIFY(samples.size() > last + kRate / 10);
}

void TestMidiSynth::restLinesAreSilent_data() {
    QTest::addColumn<int>("program");
    QTest::newRow("square lead") << 80;
    QTest::newRow("woodblock") << 115;
}

void TestMidiSynth::restLinesAreSilent() {
    QFETCH(int, program);
    DiskCapture capture;
    AppFixture app;
    TForm1& w = app.main();
    const QList<QStringList> song = {
        {"440", "300", "0"}, {"0", "300", "0"}, {"0", "300", "0"}, {"330", "300", "0"}};
    for (const QStringList& line : song) {
        w.Memo1->add(line[0]);
        w.Memo2->add(line[1]);
        w.Memo3->add(line[2]);
        w.Memo4->add(line[1]);
    }
    page().cbMidiNote1->setCurrentIndex(program);
    page().cbMIDI->setChecked(true);
    w.btplay->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.playback->PlayStopped, kEnd);
    QTest::qWait(600);
    const auto samples = capture.samples();
    const std::size_t first = firstLoud(samples);
    QVERIFY(first < samples.size());
    const std::size_t line = std::size_t(kRate * 3 / 10);
    // The rest lines (600 ms after the first line) are silent but for the first note's release,
    // with a margin for a busy machine's sound thread: below an eightieth of the note's peak.
    int peak = 0;
    for (std::size_t i = first; i < first + line; ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    const std::size_t quietFrom = first + line + line * 6 / 10;
    const std::size_t quietTo = first + 3 * line - line / 2;
    for (std::size_t i = quietFrom; i < quietTo; ++i)
        QVERIFY2(std::abs(int(samples[i])) < peak / 80,
                 qPrintable(QStringLiteral("%1 ms: %2 of %3")
                                .arg(ms(i - first))
                                .arg(samples[i])
                                .arg(peak)));
    const std::size_t second = firstLoud(samples, quietTo);
    QVERIFY2(std::abs(ms(second - first) - 900) < 150,
             qPrintable(QString::number(ms(second - first))));
    if (program == 80) {
        QVERIFY(std::abs(strongestPartial(samples, first, line / 2, 100, 2000, 1) - 440) < 10);
        QVERIFY(std::abs(strongestPartial(samples, second, line / 2, 100, 2000, 1) - 330) < 10);
    }
}

void TestMidiSynth::synthIsTheFirstDevice() {
    AppFixture app;
    QVERIFY(page().combMidiG->count() >= 1);
    QCOMPARE(page().combMidiG->itemText(0), QStringLiteral("Z1rpW3rk GM-Synth"));
}

void TestMidiSynth::instrumentTestSoundsOneSecond() {
    DiskCapture capture;
    AppFixture app;
    page().cbMidiNote1->setCurrentIndex(80); // a held tone, so its length shows
    page().BitBtn1->click();
    QTest::qWait(500);
    const auto samples = capture.samples();
    const std::size_t first = firstLoud(samples);
    const std::size_t last = lastLoud(samples);
    QVERIFY(first < samples.size());
    // About one second; a busy machine's sound thread may stretch or squeeze it a little.
    QVERIFY2(ms(last - first) > 800 && ms(last - first) < 1600,
             qPrintable(QString::number(ms(last - first))));
    // Note 72 is C5.
    const double pitch = strongestPartial(samples, first, std::size_t(kRate / 5), 100, 2000, 1);
    QVERIFY2(std::abs(pitch - 523.25) < 10, qPrintable(QString::number(pitch)));
}

QTEST_MAIN(TestMidiSynth)
#include "tst_midisynth.moc"
