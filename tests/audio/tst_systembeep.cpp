#include "DiskCapture.h"

#include "audio/SystemBeep.h"

#include <QtTest>

#include <cmath>

class TestSystemBeep : public QObject {
    Q_OBJECT

private slots:
    void squareWave_data();
    void squareWave();
    void silentOutsideRange_data();
    void silentOutsideRange();
    void consecutiveTonesJoin();
    void longToneIsOneUnbrokenWave();
    void hookReceivesCalls();
    void withoutDeviceTonesKeepTheirLength();
};

void TestSystemBeep::squareWave_data() {
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("duration");
    QTest::newRow("500 Hz 100 ms") << 500 << 100;
    QTest::newRow("440 Hz 30 ms") << 440 << 30;
    QTest::newRow("lowest 37 Hz 200 ms") << 37 << 200;
    QTest::newRow("2000 Hz 20 ms") << 2000 << 20;
    QTest::newRow("12000 Hz 20 ms") << 12000 << 20;
}

// The device plays the beep's square wave at its frequency for its length.
void TestSystemBeep::squareWave() {
    QFETCH(int, frequency);
    QFETCH(int, duration);
    DiskCapture capture;
    SystemBeep(frequency, duration);
    const auto segments = toneSegments(capture.samples());
    QCOMPARE(segments.size(), std::size_t(1));
    QCOMPARE(segments[0].length, std::size_t(duration * 441 / 10));
    QVERIFY2(std::abs(segments[0].frequency() - frequency) <= frequency * 0.02 + 1000.0 / duration,
             qPrintable(QString::number(segments[0].frequency())));
}

void TestSystemBeep::silentOutsideRange_data() {
    QTest::addColumn<int>("frequency");
    QTest::newRow("rest 0") << 0;
    QTest::newRow("36 Hz below range") << 36;
    QTest::newRow("negative") << -440;
    QTest::newRow("22051 Hz above what the device carries") << 22051;
    QTest::newRow("32767 Hz top of range, not carried") << 32767;
    QTest::newRow("32768 Hz above range") << 32768;
}

// Rests and frequencies the beep service refuses are silence that still lasts the duration.
void TestSystemBeep::silentOutsideRange() {
    QFETCH(int, frequency);
    DiskCapture capture;
    SystemBeep(frequency, 40);
    SystemBeep(500, 20);
    const auto samples = capture.samples();
    const auto segments = toneSegments(samples);
    QCOMPARE(segments.size(), std::size_t(1));
    QCOMPARE(segments[0].length, std::size_t(882));
    // the marker tone follows the 40 ms of silence directly
    const auto firstSound = segments[0].start;
    QVERIFY(firstSound >= 1764);
}

// Tones played one after another come out in order, and a rest between them lasts its length.
// (That joined tones leave no gap is measured by the playback benchmark, not asserted here: a
// busy machine may open one.)
void TestSystemBeep::consecutiveTonesJoin() {
    DiskCapture capture;
    SystemBeep(500, 30);
    SystemBeep(0, 30);
    SystemBeep(1000, 30);
    const auto segments = toneSegments(capture.samples());
    QCOMPARE(segments.size(), std::size_t(2));
    QCOMPARE(segments[0].length, std::size_t(1323));
    QCOMPARE(segments[1].length, std::size_t(1323));
    QVERIFY(segments[1].start - segments[0].start >= std::size_t(2 * 1323));
    QVERIFY(segments[0].frequency() < 600 && segments[1].frequency() > 900);
}

// A tone longer than the pieces it is played in comes out as one wave, sample for sample.
void TestSystemBeep::longToneIsOneUnbrokenWave() {
    DiskCapture capture;
    SystemBeep(441, 1300);
    const auto samples = capture.samples();
    const auto segments = toneSegments(samples);
    QCOMPARE(segments.size(), std::size_t(1));
    const std::vector<short> expected = renderBeep(441, 1300);
    QCOMPARE(segments[0].length, expected.size());
    const std::vector<short> played(samples.begin() + long(segments[0].start),
                                    samples.begin() + long(segments[0].start + expected.size()));
    QVERIFY(played == expected);
}

void TestSystemBeep::hookReceivesCalls() {
    QList<QPair<int, int>> calls;
    setSystemBeepHook([&](int f, int d) { calls.append({f, d}); });
    SystemBeep(440, 123);
    SystemBeep(0, 7);
    setSystemBeepHook({});
    QCOMPARE(calls, (QList<QPair<int, int>>{{440, 123}, {0, 7}}));
}

// A driver that cannot open its device: the program goes on silently, and tones still last
// their length, joined as on a real device.
void TestSystemBeep::withoutDeviceTonesKeepTheirLength() {
    SoundDevice::shutdown();
    const QByteArray oldDriver = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", "/nonexistent-dir/out.raw");
    QVERIFY(SoundDevice::instance().isSilent());
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 4; ++i)
        SystemBeep(440, 50);
    SoundDevice::instance().drain();
    QVERIFY2(clock.elapsed() >= 199, qPrintable(QString::number(clock.elapsed())));
    SoundDevice::shutdown();
    qputenv("SDL_AUDIODRIVER", oldDriver);
    qunsetenv("SDL_DISKAUDIOFILE");
}

QTEST_GUILESS_MAIN(TestSystemBeep)
#include "tst_systembeep.moc"
