#include "DiskCapture.h"

#include "audio/SystemBeep.h"

#include <QtTest>

#include <atomic>
#include <csignal>

namespace {

constexpr int kRate = SoundDevice::kSampleRate;
// Sounds are placed this far ahead of the clock, so a test thread held up by a busy machine
// still queues them before their time.
constexpr int kPlaceAheadMs = 500;

std::uint64_t samplesOf(int ms) {
    return std::uint64_t(ms) * kRate / 1000;
}

/// A continuous square wave that sounds between two sample times of the device clock, as a
/// synthesiser source places its notes.
class SquareSource final : public SampleSource {
public:
    SquareSource(std::uint64_t from, std::uint64_t to) : m_from(from), m_to(to) {}
    void mixInto(std::int32_t* mix, int frames, std::uint64_t start) override {
        for (int i = 0; i < frames; ++i) {
            const std::uint64_t t = start + std::uint64_t(i);
            if (t >= m_from && t < m_to)
                mix[i] += (t / 50) % 2 ? 6000 : -6000; // 441 Hz
        }
        m_mixed = true;
    }
    bool active() const override { return true; }
    bool mixed() const { return m_mixed; }

private:
    std::uint64_t m_from;
    std::uint64_t m_to;
    std::atomic<bool> m_mixed{false};
};

} // namespace

class TestSoundDevice : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { SoundDevice::setIdleTimeout(std::chrono::seconds(3)); }
    void blocksStartAtTheirSampleTimes_data();
    void blocksStartAtTheirSampleTimes();
    void takeBackLeavesWhatSounds();
    void sourceSoundsAtItsSampleTimes();
    void overlappingSoundsAddUp();
    void droppedSilenceIsNotWaitedFor();
    void restsWhenIdleAndResumesWholeTone();
    void clockRunsOnWhileResting();
    void signalsStayWithTheProgram_data();
    void signalsStayWithTheProgram();
};

void TestSoundDevice::blocksStartAtTheirSampleTimes_data() {
    QTest::addColumn<QList<int>>("offsets");  // ms after the first block's start
    QTest::addColumn<QList<int>>("lengths");  // ms
    QTest::addColumn<QList<int>>("startsAt"); // ms after the first block's start
    QTest::addColumn<QList<int>>("heardAt");  // sounding stretches: start, length (ms)
    QTest::newRow("spaced") << QList<int>{0, 100, 250} << QList<int>{50, 50, 20}
                            << QList<int>{0, 100, 250} << QList<int>{0, 50, 100, 50, 250, 20};
    QTest::newRow("an early stamp waits for the block before it")
        << QList<int>{0, 20, 200} << QList<int>{60, 30, 30} << QList<int>{0, 60, 200}
        << QList<int>{0, 90, 200, 30};
}

// Blocks placed at sample times come out exactly there (to the sample), in order.
void TestSoundDevice::blocksStartAtTheirSampleTimes() {
    QFETCH(QList<int>, offsets);
    QFETCH(QList<int>, lengths);
    QFETCH(QList<int>, startsAt);
    QFETCH(QList<int>, heardAt);
    DiskCapture capture;
    SoundDevice& device = SoundDevice::instance();
    const std::uint64_t base = device.nextBlockStart() + samplesOf(kPlaceAheadMs);
    for (int i = 0; i < offsets.size(); ++i) {
        const std::uint64_t start =
            device.queue(beepBlock(1000 + 500 * i, lengths[i]), base + samplesOf(offsets[i]));
        QCOMPARE(start - base, samplesOf(startsAt[i]));
    }
    const auto segments = toneSegments(capture.samples());
    QCOMPARE(segments.size(), std::size_t(heardAt.size() / 2));
    for (std::size_t i = 0; i < segments.size(); ++i) {
        QCOMPARE(segments[i].start - segments[0].start, std::size_t(samplesOf(heardAt[2 * i])));
        QCOMPARE(segments[i].length, std::size_t(samplesOf(heardAt[2 * i + 1])));
    }
}

// Taking back from a sample time removes what has not started there; the rest plays.
void TestSoundDevice::takeBackLeavesWhatSounds() {
    DiskCapture capture;
    SoundDevice& device = SoundDevice::instance();
    const std::uint64_t base = device.nextBlockStart() + samplesOf(kPlaceAheadMs);
    device.queue(beepBlock(800, 40), base);
    const std::uint64_t second = device.queue(beepBlock(1600, 40), base + samplesOf(300));
    device.queue(beepBlock(2400, 40), base + samplesOf(400));
    device.takeBackFrom(second);
    QVERIFY(device.queuedMs() < kPlaceAheadMs + 300);
    // what comes next is placed right behind what is left
    QCOMPARE(device.nextBlockStart(), base + samplesOf(40));
    device.queue(beepBlock(500, 40), device.nextBlockStart() + samplesOf(100));
    const auto segments = toneSegments(capture.samples());
    QCOMPARE(segments.size(), std::size_t(2));
    QVERIFY(segments[0].frequency() < 1000 && segments[1].frequency() < 600);
    QCOMPARE(segments[1].start - segments[0].start, std::size_t(samplesOf(40) + samplesOf(100)));
}

// A registered source is mixed in at the device's sample times; detached, it is not touched.
void TestSoundDevice::sourceSoundsAtItsSampleTimes() {
    DiskCapture capture;
    SoundDevice& device = SoundDevice::instance();
    const std::uint64_t from = device.nextBlockStart() + samplesOf(kPlaceAheadMs);
    SquareSource source(from, from + samplesOf(80));
    device.attachSource(&source);
    // a block right after the source's note: they join without a gap
    device.queue(beepBlock(2000, 30), from + samplesOf(80));
    device.drain();
    device.detachSource(&source);
    QVERIFY(source.mixed());
    const auto segments = toneSegments(capture.samples());
    QCOMPARE(segments.size(), std::size_t(1));
    QCOMPARE(segments[0].length, std::size_t(samplesOf(110)));
}

// A source and a block at the same time are heard together (the sum, clipped).
void TestSoundDevice::overlappingSoundsAddUp() {
    DiskCapture capture;
    SoundDevice& device = SoundDevice::instance();
    const std::uint64_t from = device.nextBlockStart() + samplesOf(kPlaceAheadMs);
    SquareSource source(from, from + samplesOf(50));
    device.attachSource(&source);
    device.queue(beepBlock(1000, 50), from);
    device.drain();
    device.detachSource(&source);
    const auto samples = capture.samples();
    int peak = 0;
    for (const auto s : samples)
        peak = std::max(peak, std::abs(int(s)));
    QCOMPARE(peak, 6000 + int(kBeepAmplitude));
}

// Silence queued behind a tone and then taken back: the next tone follows the first directly.
void TestSoundDevice::droppedSilenceIsNotWaitedFor() {
    DiskCapture capture;
    SoundDevice& device = SoundDevice::instance();
    SystemBeep(700, 60);
    device.queueSilence(std::size_t(samplesOf(1000)));
    QVERIFY(device.queuedMs() > 900);
    device.dropQueuedSilence();
    QVERIFY2(device.queuedMs() <= SoundDevice::kLeadMs + 1,
             qPrintable(QString::number(device.queuedMs())));
    SystemBeep(1400, 60);
    const auto segments = toneSegments(capture.samples());
    QCOMPARE(segments.size(), std::size_t(1));
    QCOMPARE(segments[0].length, std::size_t(samplesOf(120)));
}

// With nothing to play the device stops streaming; the next tone opens it again and sounds
// whole.
void TestSoundDevice::restsWhenIdleAndResumesWholeTone() {
    DiskCapture capture;
    SoundDevice::setIdleTimeout(std::chrono::milliseconds(200));
    SystemBeep(700, 30);
    QTRY_VERIFY_WITH_TIMEOUT(!SoundDevice::instance().isStreaming(), 10000);
    SystemBeep(900, 120);
    QVERIFY(SoundDevice::instance().isStreaming());
    const auto segments = toneSegments(capture.samples());
    // the device writes its file anew when it opens again: the second tone is all it holds
    QCOMPARE(segments.size(), std::size_t(1));
    QCOMPARE(segments[0].length, std::size_t(samplesOf(120)));
    QVERIFY(std::abs(segments[0].frequency() - 900) < 30);
}

// Sample times stay meaningful while the device rests: the clock follows real time.
void TestSoundDevice::clockRunsOnWhileResting() {
    SoundDevice::shutdown();
    SoundDevice::setIdleTimeout(std::chrono::milliseconds(0));
    SoundDevice& device = SoundDevice::instance();
    QTRY_VERIFY_WITH_TIMEOUT(!device.isStreaming(), 10000);
    const std::uint64_t before = device.playedSamples();
    QTest::qWait(100);
    QVERIFY(device.playedSamples() >= before + samplesOf(100));
    device.wake();
    QVERIFY(device.isStreaming());
    QVERIFY(device.playedSamples() >= before + samplesOf(100));
    SoundDevice::shutdown();
}

void TestSoundDevice::signalsStayWithTheProgram_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGTERM") << SIGTERM;
}

// Opening the sound output installs no handler of its own for the signals that end the
// program (one that only posts an event nobody reads would keep it from ending).
void TestSoundDevice::signalsStayWithTheProgram() {
    QFETCH(int, signal);
    SoundDevice::shutdown();
    // The default disposition, as a program has it before it sets its own (the test framework
    // has handlers of its own; the sound library only replaces a default one).
    struct sigaction plain = {};
    plain.sa_handler = SIG_DFL;
    struct sigaction framework = {};
    QCOMPARE(sigaction(signal, &plain, &framework), 0);
    struct sigaction now = {};
    {
        DiskCapture capture;
        SystemBeep(440, 20);
        QCOMPARE(sigaction(signal, nullptr, &now), 0);
    }
    sigaction(signal, &framework, nullptr);
    QVERIFY(now.sa_handler == SIG_DFL);
}

QTEST_GUILESS_MAIN(TestSoundDevice)
#include "tst_sounddevice.moc"
