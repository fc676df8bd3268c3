#include "DiskCapture.h"

#include "audio/AudioExport.h"
#include "audio/OfflineRender.h"
#include "audio/PlaybackEngine.h"
#include "base/Errors.h"
#include "settings/SettingsDialog.h"
#include "song/ExtraMenu.h"
#include "song/Forms.h"
#include "song/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QAction>
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

} // namespace

class TestOfflineRender : public QObject {
    Q_OBJECT

private slots:
    void exportEqualsWhatPlayWrites_data() {
        QTest::addColumn<bool>("wave");
        QTest::addColumn<int>("waveform");
        QTest::addColumn<int>("volume");
        QTest::addColumn<QStringList>("song");
        const QStringList tune{"440 120 0 120", "0 60 0 60",    "0 70 523 70",
                               "660 33 330 33", "1000 90 0 90", "262 125 262 125"};
        QTest::newRow("beep") << false << 1 << 80 << tune;
        QTest::newRow("beep: out-of-range and negative lines")
            << false << 1 << 80
            << QStringList{"30 50 0 50", "440 -20 0 -20", "25000 40 0 40", "880 41 0 41"};
        QTest::newRow("waveform, square") << true << 1 << 80 << tune;
        QTest::newRow("waveform, sine, quiet") << true << 0 << 25 << tune;
        QTest::newRow("waveform, square root") << true << 2 << 60 << tune;
        QTest::newRow("waveform, noise") << true << 3 << 100 << tune;
    }
    void exportEqualsWhatPlayWrites() {
        QFETCH(bool, wave);
        QFETCH(int, waveform);
        QFETCH(int, volume);
        QFETCH(QStringList, song);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, song);
        if (wave)
            w.FMSynthese1->trigger();
        forms().Form6->tbfm->setValue(volume);
        forms().Form6->setRgTonItemIndex(waveform);

        DiskCapture capture;
        w.btplay->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.PlayStopped, kEnd);
        const std::vector<std::int16_t> played = capture.samples();

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("song.wav"));
        const auto settings = AudioExport::currentSettings(w);
        QVERIFY(settings);
        QVERIFY(w.audioExport->exportTo(path, *settings));
        const std::vector<std::int16_t> exported = readSound(path);
        QCOMPARE(exported.size(),
                 std::size_t(OfflineRender(AudioExport::songLines(w), *settings).totalSamples()));

        // The device adds silence of its own before and after: compare from the first sound
        // to the last.
        const std::size_t e0 = firstSound(exported), e1 = lastSound(exported);
        const std::size_t p0 = firstSound(played), p1 = lastSound(played);
        QVERIFY(e1 > e0);
        QCOMPARE(p1 - p0, e1 - e0);
        QVERIFY(std::equal(exported.begin() + std::ptrdiff_t(e0),
                           exported.begin() + std::ptrdiff_t(e1),
                           played.begin() + std::ptrdiff_t(p0)));
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
        const QList<OfflineRender::Line> lines{{440, 0, 300}, {0, 0, 100}, {880, 0, 200}};
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(OfflineRender(lines, {}).writeFile(path, {}));
        SF_INFO info{};
        const std::vector<std::int16_t> samples = readSound(path, &info);
        QCOMPARE(info.format & SF_FORMAT_TYPEMASK, format);
        QCOMPARE(info.samplerate, 44100);
        QCOMPARE(info.channels, 1);
        std::vector<std::int16_t> expected;
        OfflineRender again(lines, {});
        while (again.renderNext(expected)) {
        }
        if (exact) {
            QVERIFY(samples == expected);
        } else {
            // Lossy formats keep the length within an encoder frame or two.
            QVERIFY2(std::abs(qint64(samples.size()) - qint64(expected.size())) < 4096,
                     qPrintable(QString::number(samples.size())));
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

    void menuAsksNothingForMidiOut() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 0 100"});
        w.Beeper1->setChecked(false);
        w.MIDIOut1->setChecked(true);
        w.extraMenu->ExportAudio1->trigger();
        QCOMPARE(app.prompts.texts(), QStringList{AudioExport::midiOutMessage()});
        QCOMPARE(app.prompts.fileDialogs.size(), 0);
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
