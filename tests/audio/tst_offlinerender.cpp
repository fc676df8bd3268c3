#include "DiskCapture.h"

#include "Spectrum.h"
#include "audio/AudioExport.h"
#include "audio/OfflineRender.h"
#include "audio/PlaybackEngine.h"
#include "base/Errors.h"
#include "gui/ExtraMenu.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "gui/PlaybackControls.h"
#include "gui/SettingsDialog.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <sndfile.h>

namespace {

constexpr int kEnd = 20000; // generous wait for a song to end (ms), never a measurement

std::vector<std::int16_t> readSound(const QString& path, SF_INFO* infoOut = nullptr) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<std::int16_t> samples(std::size_t(info.frames));
    samples.resize(std::size_t(sf_read_short(file, samples.data(), info.frames)));
    sf_close(file);
    if (infoOut)
        *infoOut = info;
    return samples;
}

std::size_t firstSound(const std::vector<std::int16_t>& s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == 0)
        ++i;
    return i;
}

std::size_t lastSound(const std::vector<std::int16_t>& s) {
    std::size_t i = s.size();
    while (i > 0 && s[i - 1] == 0)
        --i;
    return i;
}

/// True when @p captured is @p exported with nothing but silent samples put in between: the
/// device plays silence of its own when a loaded machine lets its queue run dry, but every
/// sample the program wrote must arrive unchanged and in order.
bool sameWithDeviceGaps(const std::vector<std::int16_t>& exported,
                        const std::vector<std::int16_t>& captured, std::size_t& gapSamples) {
    std::size_t j = 0;
    gapSamples = 0;
    for (std::size_t i = 0; i < exported.size();) {
        if (j >= captured.size())
            return false;
        if (captured[j] == exported[i]) {
            ++i;
            ++j;
        } else if (captured[j] == 0) {
            ++j;
            ++gapSamples;
        } else {
            qInfo("sample %zu of the export (%d) arrived as %d, %zu samples into the capture", i,
                  int(exported[i]), int(captured[j]), j);
            return false;
        }
    }
    return true;
}

} // namespace

class TestOfflineRender : public QObject {
    Q_OBJECT

private slots:
    void exportEqualsWhatPlayWrites_data() {
        QTest::addColumn<bool>("wave");
        QTest::addColumn<int>("waveform");
        QTest::addColumn<int>("volume");
        QTest::addColumn<QStringList>("song");
        QTest::addColumn<bool>("twoVoices");
        const QStringList tune{"440 120 0 120", "0 60 0 60",    "0 70 523 70",
                               "660 33 330 33", "1000 90 0 90", "262 125 262 125"};
        // Track 2 shorter, longer, resting and out of range against track 1.
        const QStringList duet{"440 120 660 60", "330 70 0 70",     "0 90 523 90",
                               "262 80 392 200", "880 45 30000 45", "523 100 659 100"};
        QTest::newRow("beep") << false << 1 << 80 << tune << false;
        QTest::newRow("beep: out-of-range and empty lines")
            << false << 1 << 80
            << QStringList{"30 50 0 50", "440 0 0 0", "25000 40 0 40", "880 41 0 41"} << false;
        QTest::newRow("waveform, square") << true << 1 << 80 << tune << false;
        QTest::newRow("waveform, sine, quiet") << true << 0 << 25 << tune << false;
        QTest::newRow("waveform, square root") << true << 2 << 60 << tune << false;
        QTest::newRow("waveform, noise") << true << 3 << 100 << tune << false;
        QTest::newRow("two voices, beep") << false << 1 << 80 << duet << true;
        QTest::newRow("two voices, waveform, sine") << true << 0 << 100 << duet << true;
        QTest::newRow("two voices, waveform, noise") << true << 3 << 77 << duet << true;
    }
    void exportEqualsWhatPlayWrites() {
        QFETCH(bool, wave);
        QFETCH(int, waveform);
        QFETCH(int, volume);
        QFETCH(QStringList, song);
        QFETCH(bool, twoVoices);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, song);
        if (wave)
            w.FMSynthese1->trigger();
        w.playbackControls->Zweistimmig1->setChecked(twoVoices);
        forms().Form6->tbfm->setValue(volume);
        forms().Form6->setRgTonItemIndex(waveform);

        DiskCapture capture;
        w.btplay->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.playback->PlayStopped, kEnd);
        const std::vector<std::int16_t> played = capture.samples();

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("song.wav"));
        const auto settings = w.audioExport->currentSettings();
        QVERIFY(settings);
        QVERIFY(w.audioExport->exportTo(path, *settings));
        const std::vector<std::int16_t> exported = readSound(path);
        QCOMPARE(exported.size(),
                 std::size_t(OfflineRender(w.audioExport->songLines(), *settings).totalSamples()));

        // The device adds silence of its own before and after: compare from the first sound
        // to the last.
        const std::size_t e0 = firstSound(exported), e1 = lastSound(exported);
        const std::size_t p0 = firstSound(played), p1 = lastSound(played);
        QVERIFY(e1 > e0);
        const std::vector<std::int16_t> sound(exported.begin() + std::ptrdiff_t(e0),
                                              exported.begin() + std::ptrdiff_t(e1));
        const std::vector<std::int16_t> heard(played.begin() + std::ptrdiff_t(p0),
                                              played.begin() + std::ptrdiff_t(p1));
        std::size_t gaps = 0;
        QVERIFY(sameWithDeviceGaps(sound, heard, gaps));
        if (gaps == 0)
            QCOMPARE(heard.size(), sound.size());
        else
            qInfo("the device filled %zu samples of silence while the machine was busy", gaps);
    }

    // Two voices: both frequencies in the sound, each for its own time, the line its exact
    // length, the mix within one voice's amplitude.
    void twoVoicesSoundBoth_data() {
        QTest::addColumn<int>("output");
        QTest::newRow("beep") << int(OfflineRender::Output::Beep);
        QTest::newRow("waveform") << int(OfflineRender::Output::Wave);
    }
    void twoVoicesSoundBoth() {
        QFETCH(int, output);
        OfflineRender::Settings settings;
        settings.output = OfflineRender::Output(output);
        settings.volume = 100;
        settings.twoVoices = true;
        const OfflineRender::Line line{440, 1000, 700, MidiFile::kSilent, MidiFile::kSilent, 400};
        std::vector<std::int16_t> s;
        OfflineRender render({line}, settings);
        while (render.renderNext(s)) {
        }
        QCOMPARE(s.size(), std::size_t(44100 * 700 / 1000));
        // Where both sound (the first 200 ms: the waveform output sounds half of each), both
        // stand far above a frequency that is not there; later only track 1 does.
        const auto power = [&](std::size_t from, double frequency) {
            std::vector<double> part(s.begin() + std::ptrdiff_t(from),
                                     s.begin() + std::ptrdiff_t(from + 4410));
            return goertzelPower(part, frequency);
        };
        const bool beep = settings.output == OfflineRender::Output::Beep;
        const std::size_t late = beep ? 22050 : 13230; // 500 ms, 300 ms
        QVERIFY(power(0, 440) > 100 * power(0, 700));
        QVERIFY(power(0, 1000) > 100 * power(0, 700));
        QVERIFY(power(late, 440) > 100 * power(late, 700));
        QVERIFY(power(late, 1000) * 100 < power(late, 440));
        const auto [low, high] = std::minmax_element(s.begin(), s.end());
        QVERIFY(*high <= (beep ? 8192 : 100 * 256) && *low >= (beep ? -8192 : -101 * 256));
    }

    void everyFormatHoldsTheSong_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("exact");
        QTest::newRow("wav") << "a.wav" << int(SF_FORMAT_WAV) << true;
        QTest::newRow("flac") << "a.FLAC" << int(SF_FORMAT_FLAC) << true;
        QTest::newRow("ogg") << "a.ogg" << int(SF_FORMAT_OGG) << false;
        QTest::newRow("mp3") << "a.mp3" << int(SF_FORMAT_MPEG) << false;
    }
    void everyFormatHoldsTheSong() {
        QFETCH(QString, name);
        QFETCH(int, format);
        QFETCH(bool, exact);
        const QList<OfflineRender::Line> lines{
            {440, 0, 300}, {0, 0, 100}, {880, 0, 200}, {31, 0, 200}, {12000, 0, 200}};
        // The loudest square wave: decoded lossy files must not clip it.
        const OfflineRender::Settings loudest{OfflineRender::Output::Wave, 100, 1};
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(OfflineRender(lines, loudest).writeFile(path, {}));
        SF_INFO info{};
        const std::vector<std::int16_t> samples = readSound(path, &info);
        QCOMPARE(info.format & SF_FORMAT_TYPEMASK, format);
        QCOMPARE(info.samplerate, 44100);
        QCOMPARE(info.channels, 1);
        std::vector<std::int16_t> expected;
        OfflineRender again(lines, loudest);
        while (again.renderNext(expected)) {
        }
        if (exact) {
            QVERIFY(samples == expected);
        } else {
            // Lossy formats keep the length within an encoder frame or two.
            QVERIFY2(std::abs(qint64(samples.size()) - qint64(expected.size())) < 4096,
                     qPrintable(QString::number(samples.size())));
            const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
            QVERIFY2(*low > -32768 && *high < 32767,
                     qPrintable(QStringLiteral("%1 … %2").arg(*low).arg(*high)));
        }
    }

    void cancelLeavesAnEarlierFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.wav"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier");
        old.close();
        QList<OfflineRender::Line> lines;
        for (int i = 0; i < 100; ++i)
            lines.append({440 + i, 0, 100});
        int asked = 0;
        OfflineRender render(lines, {});
        QVERIFY(
            !render.writeFile(path, [&](std::uint64_t, std::uint64_t) { return ++asked < 10; }));
        QCOMPARE(render.linesDone(), 9);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("earlier"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.wav"});
    }

    void unknownFormatIsRefused() {
        QTemporaryDir dir;
        try {
            OfflineRender({{440, 0, 10}}, {}).writeFile(dir.filePath(QStringLiteral("a.aiff")), {});
            QFAIL("no error");
        } catch (const AppError& e) {
            QVERIFY(e.message().contains(QStringLiteral("aiff")));
        }
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    void midiOutSoundsThroughTheSynth() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 300 262 300", "0 200 0 200", "523 300 0 300"});
        w.Beeper1->setChecked(false);
        w.MIDIOut1->setChecked(true);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("midi.wav"));
        app.prompts.fileAnswers = {path};
        w.extraMenu->ExportAudio1->trigger();
        QCOMPARE(app.prompts.texts(), QStringList());
        const std::vector<std::int16_t> samples = readSound(path);
        // The lines, then the instruments' release.
        QCOMPARE(samples.size(), std::size_t(44100 * (800 + OfflineRender::kMidiTailMs) / 1000));
        const auto loudest = [&](int fromMs, int toMs) {
            int peak = 0;
            for (std::size_t i = std::size_t(fromMs) * 441 / 10; i < std::size_t(toMs) * 441 / 10;
                 ++i)
                peak = std::max(peak, std::abs(int(samples[i])));
            return peak;
        };
        QVERIFY(loudest(0, 300) > 1000);
        QVERIFY(loudest(500, 800) > 1000);
        QVERIFY(loudest(1700, 1800) < loudest(0, 300));
    }

    void menuAsksNothingWithoutAnOutput() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 0 100"});
        w.Beeper1->setChecked(false);
        w.extraMenu->ExportAudio1->trigger();
        QCOMPARE(app.prompts.texts(), QStringList{AudioExport::noOutputMessage()});
        QCOMPARE(app.prompts.fileDialogs.size(), 0);
    }

    // The type chosen in the export dialog wins, unless the typed name names another type; a
    // file that exists is replaced only when the user agrees.
    void exportTakesTheChosenType_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("chosenType");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("no extension, Ogg Vorbis") << "lied" << 2 << "lied.ogg" << QByteArray("OggS");
        QTest::newRow("no extension, MP3") << "lied" << 3 << "lied.mp3" << QByteArray();
        QTest::newRow("no extension, WAV") << "lied" << 0 << "lied.wav" << QByteArray("RIFF");
        QTest::newRow("ends with a dot, FLAC") << "lied." << 1 << "lied.flac" << QByteArray("fLaC");
        QTest::newRow("FLAC name, Ogg chosen") << "lied.flac" << 2 << "lied.flac"
                                               << QByteArray("fLaC");
        QTest::newRow("WAV name in capitals, FLAC chosen")
            << "lied.WAV" << 1 << "lied.WAV" << QByteArray("RIFF");
        QTest::newRow("other extension, Ogg chosen")
            << "lied.v2" << 2 << "lied.v2.ogg" << QByteArray("OggS");
        QTest::newRow("existing file, Nein") << "alt" << 0 << "alt.wav" << QByteArray("alt");
    }

    void exportTakesTheChosenType() {
        QFETCH(QString, typed);
        QFETCH(int, chosenType);
        QFETCH(QString, written);
        QFETCH(QByteArray, start);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 0 100"});
        QTemporaryDir dir;
        const bool existing = start == "alt";
        if (existing) {
            QFile old(dir.filePath(written));
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write(start) == start.size());
            app.prompts.boxAnswers = {Prompts::Answer::No};
        }
        app.prompts.fileAnswers = {dir.filePath(typed), std::nullopt};
        app.prompts.typeAnswers = {chosenType};
        w.extraMenu->ExportAudio1->trigger();
        QCOMPARE(app.prompts.texts(), existing ? QStringList{replaceFileQuestion(written)}
                                               : QStringList{});
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
        QFile file(dir.filePath(written));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.size() > (existing ? 2 : 100));
        QCOMPARE(bytes.left(start.size()), start);
        // "Nein" brings the dialog back with the name and type that would have been written.
        QCOMPARE(app.prompts.fileDialogs.size(), existing ? 2 : 1);
        if (existing)
            QCOMPARE(app.prompts.fileDialogs.last().fileName, dir.filePath(written));
    }

    void menuWritesTheChosenFile() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 0 100", "0 50 0 50"});
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("menu.flac"));
        app.prompts.fileAnswers = {path};
        w.extraMenu->ExportAudio1->trigger();
        QCOMPARE(app.prompts.texts(), QStringList());
        QCOMPARE(readSound(path).size(), std::size_t(4410 + 2205));
    }
};

QTEST_MAIN(TestOfflineRender)
#include "tst_offlinerender.moc"
