#include "Spectrum.h"

#include "audio/GmSynth.h"

#include <QtTest>

#include <memory>

#include <unistd.h>

namespace {

constexpr int kRate = 44100;

std::unique_ptr<GmSynth> loadSynth() {
    const QString font = GmSynth::soundFontPath();
    if (font.isEmpty())
        return nullptr;
    auto synth = std::make_unique<GmSynth>(font);
    return synth->loaded() ? std::move(synth) : nullptr;
}

/// Renders in device-sized blocks, as the sound device asks for them.
std::vector<std::int16_t> renderBlocks(GmSynth& synth, int frames, int block = 441) {
    std::vector<std::int16_t> out(std::size_t(frames), 0);
    for (int at = 0; at < frames; at += block)
        synth.render(out.data() + at, std::min(block, frames - at), std::uint64_t(at));
    return out;
}

} // namespace

class TestGmSynth : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    // First, while no synthesizer has been made: freed memory of another would hide the growth.
    void onlyChosenInstrumentsTakeMemory();
    void pitchOfNotes_data();
    void pitchOfNotes();
    void notesStartAtTheirSample_data();
    void notesStartAtTheirSample();
    void everyNoteEnds_data();
    void everyNoteEnds();
    void joinedNotesHaveNoClick();
};

void TestGmSynth::initTestCase() {
    if (GmSynth::soundFontPath().isEmpty())
        QSKIP("no General MIDI SoundFont installed");
}

void TestGmSynth::pitchOfNotes_data() {
    QTest::addColumn<int>("program");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("note");
    QTest::addColumn<double>("frequency");
    QTest::newRow("square lead, A4") << 80 << 0 << 69 << 440.0;
    QTest::newRow("square lead, A3, channel 2") << 80 << 1 << 57 << 220.0;
    QTest::newRow("piano, A4") << 0 << 0 << 69 << 440.0;
    QTest::newRow("flute, C5") << 73 << 1 << 72 << 523.25;
}

void TestGmSynth::pitchOfNotes() {
    QFETCH(int, program);
    QFETCH(int, channel);
    QFETCH(int, note);
    QFETCH(double, frequency);
    auto synth = loadSynth();
    QVERIFY(synth);
    synth->post(std::uint32_t(0xC0 | channel | program << 8), 0);
    synth->post(std::uint32_t(0x90 | channel | note << 8 | 100 << 16), 0);
    const auto samples = renderBlocks(*synth, kRate / 2);
    const double found = strongestPartial(samples, 2205, 8192, 100, 2000, 1);
    QVERIFY2(std::abs(found - frequency) < frequency * 0.02, qPrintable(QString::number(found)));
}

void TestGmSynth::notesStartAtTheirSample_data() {
    QTest::addColumn<int>("at");
    QTest::newRow("block start") << 441 * 3;
    QTest::newRow("inside a block") << 441 * 3 + 200;
    QTest::newRow("last sample of a block") << 441 * 4 - 1;
}

void TestGmSynth::notesStartAtTheirSample() {
    QFETCH(int, at);
    auto synth = loadSynth();
    QVERIFY(synth);
    synth->post(0xC0 | 80 << 8, 0); // square lead: sounds at once
    synth->post(0x90 | 69 << 8 | 127 << 16, std::uint64_t(at));
    const auto samples = renderBlocks(*synth, 441 * 10);
    const std::size_t first = firstLoud(samples, 0, 50);
    QVERIFY2(first >= std::size_t(at), qPrintable(QString::number(first)));
    QVERIFY2(first < std::size_t(at) + 441 / 4, qPrintable(QString::number(first))); // < 2.5 ms
}

void TestGmSynth::everyNoteEnds_data() {
    QTest::addColumn<bool>("releaseAll");
    QTest::newRow("note-off") << false;
    QTest::newRow("all released") << true;
}

void TestGmSynth::everyNoteEnds() {
    QFETCH(bool, releaseAll);
    auto synth = loadSynth();
    QVERIFY(synth);
    synth->post(0xC0 | 19 << 8, 0); // church organ: holds as long as the key
    synth->post(0x90 | 60 << 8 | 100 << 16, 0);
    synth->post(0x91 | 64 << 8 | 100 << 16, 0);
    if (releaseAll) {
        synth->releaseAll(kRate / 4);
    } else {
        synth->post(0x80 | 60 << 8 | 64 << 16, kRate / 4);
        synth->post(0x81 | 64 << 8 | 64 << 16, kRate / 4);
    }
    const auto samples = renderBlocks(*synth, kRate * 3);
    QVERIFY(firstLoud(samples) < std::size_t(kRate / 20));
    // Silent within its release, and nothing is left playing.
    QVERIFY2(lastLoud(samples, 30) < std::size_t(kRate * 2),
             qPrintable(QString::number(lastLoud(samples, 30))));
    QVERIFY(!synth->active());
}

void TestGmSynth::joinedNotesHaveNoClick() {
    // Lines of 50 ms, each note-off at the same sample as the next note-on: the waveform never
    // jumps by more than a smooth square edge of the instrument would.
    auto synth = loadSynth();
    QVERIFY(synth);
    synth->post(0xC0 | 73 << 8, 0); // flute: smooth, so any jump is a click
    const int line = kRate / 20;
    for (int i = 0; i < 20; ++i) {
        const std::uint64_t at = std::uint64_t(i * line);
        if (i > 0)
            synth->post(0x80 | (60 + (i - 1) % 5) << 8 | 64 << 16, at);
        synth->post(0x90 | (60 + i % 5) << 8 | 100 << 16, at);
    }
    synth->post(0x80 | (60 + 19 % 5) << 8 | 64 << 16, std::uint64_t(20 * line));
    const auto samples = renderBlocks(*synth, 22 * line);
    int peak = 0, jump = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        peak = std::max(peak, std::abs(int(samples[i])));
        jump = std::max(jump, std::abs(int(samples[i]) - int(samples[i - 1])));
    }
    QVERIFY(peak > 1000);
    QVERIFY2(jump < peak / 4, qPrintable(QStringLiteral("%1 of %2").arg(jump).arg(peak)));
}

void TestGmSynth::onlyChosenInstrumentsTakeMemory() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer pads every allocation: resident memory says nothing here");
#endif
    const auto resident = [] {
        QFile statm(QStringLiteral("/proc/self/statm"));
        if (!statm.open(QIODevice::ReadOnly))
            return qint64(-1);
        return statm.readAll().split(' ').value(1).toLongLong() * ::getpagesize();
    };
    // The synthesizer's library comes with the first synthesizer: it is not the samples.
    QVERIFY(GmSynth::missingLibraryText().isEmpty());
    const qint64 before = resident();
    if (before < 0)
        QSKIP("no /proc/self/statm");
    auto synth = loadSynth();
    QVERIFY(synth);
    // Two instruments of a song, played: their samples are read, the others' are not.
    synth->post(0xC0 | 80 << 8, 0);
    synth->post(0xC1 | 73 << 8, 0);
    synth->post(0x90 | 69 << 8 | 100 << 16, 0);
    synth->post(0x91 | 72 << 8 | 100 << 16, 0);
    const auto samples = renderBlocks(*synth, kRate / 2);
    QVERIFY(firstLoud(samples) < std::size_t(kRate / 20));
    // The synthesizer with every sample of the small General MIDI set in memory grows by about
    // 3.1 times the file; with the default piano and drum kit and these two, by about 2.2.
    const qint64 grown = resident() - before;
    const qint64 font = QFileInfo(GmSynth::soundFontPath()).size();
    QVERIFY2(grown < font * 26 / 10,
             qPrintable(QStringLiteral("%1 for a file of %2 bytes").arg(grown).arg(font)));
}

QTEST_MAIN(TestGmSynth)
#include "tst_gmsynth.moc"
