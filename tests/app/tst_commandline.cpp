#include "app/CommandLine.h"
#include "app/WindowStart.h"
#include "audio/OfflineRender.h"
#include "gui/ListBox.h"
#include "files/MidiFile.h"
#include "files/MidiVoices.h"
#include "files/PianoRollPainter.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <sndfile.h>

namespace {

const QByteArray kSong = "440|100|0|100\r\n0|50|0|50\r\n523|120|262|120\r\n";

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

QStringList expand(const QStringList& args, const QTemporaryDir& dir) {
    QStringList out;
    for (QString a : args)
        out << a.replace(QStringLiteral("{dir}"), dir.path());
    return out;
}

// The locale of the runs: their messages follow it.
QString g_locale = QStringLiteral("de_DE.UTF-8");
QString g_missingLibrary; // the variable that names a library the run cannot load

/// Runs the program, or the peer; a run without windows loads no platform plugin, so
/// @p platform may name one that does not exist.
QProcess* start(QStringList args, const QString& platform = {}) {
    auto* process = new QProcess;
    // "{peer}" first runs the mirror peer instead of the program.
    const bool peer = !args.isEmpty() && args.constFirst() == QLatin1String("{peer}");
    if (peer)
        args.removeFirst();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("LC_ALL"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    env.insert(QStringLiteral("LANG"), g_locale);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!platform.isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    if (!g_missingLibrary.isEmpty())
        env.insert(g_missingLibrary, QStringLiteral("libnone.so.1"));
    process->setProcessEnvironment(env);
    process->start(peer ? QStringLiteral(Z1RPW3RK_PEER) : QStringLiteral(Z1RPW3RK_PROGRAM), args);
    return process;
}

Run run(const QStringList& args, const QString& platform = {}) {
    std::unique_ptr<QProcess> process(start(args, platform));
    Run r;
    if (!process->waitForFinished(120000))
        return r;
    r.exitCode = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -2;
    r.out = QString::fromLocal8Bit(process->readAllStandardOutput());
    r.err = QString::fromLocal8Bit(process->readAllStandardError());
    return r;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<std::int16_t> readSound(const QString& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<std::int16_t> samples(std::size_t(info.frames));
    sf_read_short(file, samples.data(), info.frames);
    sf_close(file);
    return samples;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void optionsAnswer_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: z1rpw3rk [SONG]\n"
                                << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << "Usage: z1rpw3rk [SONG]\n"
                            << "";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "Z1rpW3rk 3.3\n"
                                   << "";
        QTest::newRow("unknown option") << QStringList{"--loud"} << 2 << ""
                                        << "z1rpw3rk: unknown option --loud (see --help)\n";
        QTest::newRow("--render without -o") << QStringList{"--render", "{dir}/song.zwk"} << 2 << ""
                                             << "z1rpw3rk: --render needs -o OUT\n";
        QTest::newRow("--render to an unknown format")
            << QStringList{"--render", "{dir}/song.zwk", "-o", "{dir}/x.aiff"} << 2 << ""
            << "z1rpw3rk: cannot write .aiff files; use .zwk, .wav, .flac, .ogg, .mp3, .mid, .rtttl, .ino, .sh, .gcode, .png or .svg\n";
        QTest::newRow("--output of no kind")
            << QStringList{"--play", "{dir}/song.zwk", "--output", "loud"} << 2 << ""
            << "z1rpw3rk: --output takes beep, wave or midi\n";
        QTest::newRow("--voices of no kind")
            << QStringList{"--play", "{dir}/song.zwk", "--voices", "3"} << 2 << ""
            << "z1rpw3rk: --voices takes 1 or 2\n";
        QTest::newRow("--voices without a run")
            << QStringList{"{dir}/song.zwk", "--voices=2"} << 2 << ""
            << "z1rpw3rk: --voices belongs to --play or --render\n";
        QTest::newRow("--render two voices")
            << QStringList{"--render", "{dir}/song.zwk", "-o",       "{dir}/out.wav",
                           "--output", "beep",           "--voices", "2"}
            << 0 << ""
            << "";
        QTest::newRow("--play without a song") << QStringList{"--play"} << 2 << ""
                                               << "z1rpw3rk: --play needs a song file\n";
        QTest::newRow("a song that is not there")
            << QStringList{"--render", "{dir}/none.zwk", "-o", "{dir}/out.wav"} << 1 << ""
            << "z1rpw3rk: Datei nicht gefunden: {dir}/none.zwk\n";
        QTest::newRow("a damaged MIDI file")
            << QStringList{"--play", "{dir}/bad.mid"} << 1 << ""
            << "z1rpw3rk: {dir}/bad.mid: Die Datei ist keine MIDI-Datei und wurde nicht "
               "importiert.\n";
        QTest::newRow("--option=value")
            << QStringList{"--render={dir}/song.zwk", "--out={dir}/out.wav", "--output=wave"} << 0
            << "" << "";
        QTest::newRow("--option=value of no kind")
            << QStringList{"--play={dir}/song.zwk", "--output=loud"} << 2 << ""
            << "z1rpw3rk: --output takes beep, wave or midi\n";
        QTest::newRow("peer --help") << QStringList{"{peer}", "--help"} << 0
                                     << "usage: z1rpw3rk-peer HOST[:PORT]" << "";
        QTest::newRow("peer without a host") << QStringList{"{peer}"} << 2 << ""
                                             << "usage: z1rpw3rk-peer HOST[:PORT]";
        QTest::newRow("--render through MIDI-Out")
            << QStringList{"--render", "{dir}/song.zwk", "-o", "{dir}/out.wav", "--output", "midi"}
            << 0 << ""
            << "";
        QTest::newRow("--play, not on a terminal")
            << QStringList{"--play", "{dir}/song.zwk", "--output", "wave"} << 0 << ""
            << "";
        QTest::newRow("--render WAV")
            << QStringList{"--render", "{dir}/song.zwk", "-o", "{dir}/out.wav"} << 0 << ""
            << "";
        // An output that is the song is refused before anything is read or written.
        QTest::newRow("--render a MIDI file over itself")
            << QStringList{"--render", "{dir}/song.mid", "-o", "{dir}/song.mid"} << 2 << ""
            << "z1rpw3rk: {dir}/song.mid is the song itself; choose another output file\n";
        QTest::newRow("--render over a link to the song")
            << QStringList{"--render", "{dir}/song.zwk", "-o", "{dir}/link.mid"} << 2 << ""
            << "z1rpw3rk: {dir}/link.mid is the song itself; choose another output file\n";
        QTest::newRow("--render an empty song")
            << QStringList{"--render", "{dir}/empty.zwk", "-o", "{dir}/out.wav"} << 1 << ""
            << "z1rpw3rk: {dir}/empty.zwk: Das Lied ist leer und wurde nicht exportiert.\n";
        QTest::newRow("--render into a named pipe")
            << QStringList{"--render", "{dir}/song.zwk", "-o", "{dir}/pipe.wav"} << 1 << ""
            << "z1rpw3rk: Dateizugriff verweigert: {dir}/pipe.wav\n";
        QTest::newRow("--render into a link to a device")
            << QStringList{"--render", "{dir}/song.zwk", "-o", "{dir}/null.mid"} << 1 << ""
            << "z1rpw3rk: Dateizugriff verweigert: {dir}/null.mid\n";
    }
    void optionsAnswer() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("song.zwk")), kSong);
        writeFile(dir.filePath(QStringLiteral("bad.mid")), "not a MIDI file");
        writeFile(dir.filePath(QStringLiteral("empty.zwk")), "");
        const QByteArray midi = MidiFile::write({{69, MidiFile::kSilent, 250}}, {0}, {1});
        writeFile(dir.filePath(QStringLiteral("song.mid")), midi);
        QVERIFY(QFile::link(dir.filePath("song.zwk"), dir.filePath("link.mid")));
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), dir.filePath("null.mid")));
        QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("pipe.wav")).constData(), 0600) == 0);
        err.replace(QStringLiteral("{dir}"), dir.path());
        const Run r = run(expand(args, dir));
        err.replace(QStringLiteral("{dir}"), dir.path());
        QCOMPARE(r.exitCode, exitCode);
        // The missing MIDI ports are worth a note only to a run that uses MIDI.
        if (!args.contains(QStringLiteral("midi")))
            QVERIFY2(!r.err.contains(QLatin1String("MIDI port")), qPrintable(r.err));
        QVERIFY2(out.isEmpty() ? r.out.isEmpty() : r.out.startsWith(out), qPrintable(r.out));
        // Notes about devices this machine lacks (sound, MIDI ports) are not the run's errors.
        QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        lines.removeIf([](const QString& line) {
            return line.contains(QLatin1String("MIDI port")) ||
                   line.contains(QLatin1String("sound is off"));
        });
        const QString errors = lines.join(QLatin1Char('\n'));
        QVERIFY2(err.isEmpty() ? errors.isEmpty() : (errors + QLatin1Char('\n')).startsWith(err),
                 qPrintable(r.err));
        // Errors are one line.
        QVERIFY(lines.size() <= 1);
        QCOMPARE(readBytes(dir.filePath("song.zwk")), kSong);
        QCOMPARE(readBytes(dir.filePath("song.mid")), midi);
    }

    void messagesFollowTheLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("song"); // in the folder of the run
        QTest::addColumn<QString>("err");
        QTest::newRow("de_AT") << "de_AT.UTF-8" << "none.zwk"
                               << "z1rpw3rk: Datei nicht gefunden: {dir}/none.zwk\n";
        QTest::newRow("en_GB") << "en_GB.UTF-8" << "none.zwk"
                               << "z1rpw3rk: File not found: {dir}/none.zwk\n";
        QTest::newRow("en_GB, empty song")
            << "en_GB.UTF-8" << "empty.zwk"
            << "z1rpw3rk: {dir}/empty.zwk: The song is empty and was not exported.\n";
    }
    void messagesFollowTheLocale() {
        QFETCH(QString, locale);
        QFETCH(QString, song);
        QFETCH(QString, err);
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("empty.zwk")), "");
        g_locale = locale;
        const Run r = run({"--render", dir.filePath(song), "-o", dir.filePath("out.wav")});
        g_locale = QStringLiteral("de_DE.UTF-8");
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.endsWith(err.replace(QStringLiteral("{dir}"), dir.path())), qPrintable(r.err));
        QVERIFY(!QFile::exists(dir.filePath("out.wav")));
    }

    void missingLibraryIsNamed_data() {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("err");
        QTest::newRow("sound files") << "Z1RPW3RK_LIBSNDFILE" << "wave" << "de_DE.UTF-8"
                                     << "Die Bibliothek libnone.so.1 konnte nicht geladen "
                                        "werden; bitte das Paket libsndfile1 installieren.\n";
        QTest::newRow("synthesizer, English")
            << "Z1RPW3RK_LIBFLUIDSYNTH" << "midi" << "en_GB.UTF-8"
            << "The library libnone.so.1 could not be loaded; please install the package "
               "libfluidsynth3.\n";
    }
    void missingLibraryIsNamed() {
        QFETCH(QString, variable);
        QFETCH(QString, output);
        QFETCH(QString, locale);
        QFETCH(QString, err);
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("song.zwk")), kSong);
        g_missingLibrary = variable;
        g_locale = locale;
        const Run r = run({"--render", dir.filePath("song.zwk"), "-o", dir.filePath("out.wav"),
                           "--output", output});
        g_missingLibrary.clear();
        g_locale = QStringLiteral("de_DE.UTF-8");
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.endsWith(err), qPrintable(r.err));
        QVERIFY(!QFile::exists(dir.filePath("out.wav")));
    }

    void helpNamesEveryOption() {
        const Run r = run({"--help"});
        for (const char* option : {"--play SONG", "--render SONG", "-o, --out OUT", "--output KIND",
                                   "-h, --help", "-V, --version", "--output=wave", "--voices 1|2"})
            QVERIFY2(r.out.contains(QLatin1String(option)), option);
    }

    void renderWritesThePlayedSamples() {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("song.zwk")), kSong);
        const QString wav = dir.filePath(QStringLiteral("song.wav"));
        // No window and no widget: a platform plugin that does not exist is never asked for.
        QCOMPARE(run({"--render", dir.filePath(QStringLiteral("song.zwk")), "-o", wav},
                     QStringLiteral("no-such-platform"))
                     .exitCode,
                 0);
        std::vector<std::int16_t> expected;
        OfflineRender render({{440, 0, 100}, {0, 0, 50}, {523, 262, 120}}, {});
        while (render.renderNext(expected)) {
        }
        QVERIFY(readSound(wav) == expected);
    }

    void renderedPictureShowsTheBars() {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("song.zwk")), kSong);
        const QString png = dir.filePath(QStringLiteral("song.png"));
        const QString svg = dir.filePath(QStringLiteral("song.svg"));
        // Drawn without a window system: a platform plugin that does not exist is never asked.
        for (const QString& out : {png, svg})
            QCOMPARE(run({"--render", dir.filePath(QStringLiteral("song.zwk")), "-o", out},
                         QStringLiteral("no-such-platform"))
                         .exitCode,
                     0);
        QVERIFY(readBytes(svg).contains("<svg"));
        const QImage picture(png);
        QVERIFY(picture.width() >= 800);
        // The columns holding each track's colour: 100 ms of 440 Hz, a rest of 50 ms, then
        // 120 ms of 523 Hz over 262 Hz, linear across the width after the keyboard strip.
        const auto columns = [&picture](const QColor& colour, const QColor& edge) {
            QList<int> runs; // first and last column of each run
            bool inside = false;
            for (int x = 0; x < picture.width(); ++x) {
                bool found = false;
                for (int y = PianoRollPainter::kRulerHeight; y < picture.height() && !found; ++y)
                    found = picture.pixelColor(x, y) == colour || picture.pixelColor(x, y) == edge;
                if (found != inside)
                    runs << (found ? x : x - 1);
                inside = found;
            }
            if (inside)
                runs << picture.width() - 1;
            return runs;
        };
        const double left = PianoRollPainter::kKeyboardWidth;
        const double msWide = (picture.width() - left) / 270.0;
        const QList<int> track1 = columns(PianoRollPainter::kTrack1, PianoRollPainter::kTrack1Edge);
        const QList<int> track2 = columns(PianoRollPainter::kTrack2, PianoRollPainter::kTrack2Edge);
        QCOMPARE(track1.size(), 4);
        QCOMPARE(track2.size(), 2);
        const QList<double> expected1{left, left + 100 * msWide, left + 150 * msWide,
                                      left + 270 * msWide};
        for (int i = 0; i < 4; ++i)
            QVERIFY2(std::abs(track1[i] - expected1[i]) <= 2,
                     qPrintable(QStringLiteral("%1 / %2").arg(track1[i]).arg(expected1[i])));
        QVERIFY(std::abs(track2[0] - expected1[2]) <= 2 && std::abs(track2[1] - expected1[3]) <= 2);
    }

    void renderedMidiFileReadsBack() {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("song.zwk")), kSong);
        const QString mid = dir.filePath(QStringLiteral("song.mid"));
        QCOMPARE(run({"--render", dir.filePath(QStringLiteral("song.zwk")), "-o", mid}).exitCode,
                 0);
        QFile file(mid);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QList<MidiVoices::ImportedLine> lines = MidiVoices::toLines(MidiFile::read(file.readAll()));
        for (MidiVoices::ImportedLine& line : lines) // the notes and lengths; bends tune them
            line.bend1 = line.bend2 = 0;
        const QList<MidiVoices::ImportedLine> expected{{69, MidiFile::kSilent, 100},
                                                       {MidiFile::kSilent, MidiFile::kSilent, 50},
                                                       {72, 60, 120}};
        QCOMPARE(lines, expected);
    }

    // --render converts between the forms the program reads and writes, with the imports'
    // rules: another program's 1 ms gap joins its note unless --keep-short-lines.
    void renderConverts_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QByteArray>("bytes");
        // A format 0 file at one tick per ms: A4 for 100 ms, a 1 ms gap, C5 for 100 ms.
        const QByteArray gap = QByteArray::fromHex(
            "4D546864000000060000000100644D54726B0000001B"
            "00FF510301 86A0 00904564 64804500 01904864 64804800 00FF2F00");
        QTest::newRow("MIDI to song file") << QStringList{"--render", "in.mid", "-o", "a.zwk"}
                                           << "a.zwk" << gap + "|440|101|0|101\r\n523|100|0|100\r\n";
        QTest::newRow("MIDI to song file, short lines kept")
            << QStringList{"--keep-short-lines", "--render", "in.mid", "-o", "a.zwk"} << "a.zwk"
            << gap + "|440|100|0|100\r\n0|1|0|1\r\n523|100|0|100\r\n";
        QTest::newRow("song to G-code") << QStringList{"--render", "song.zwk", "-o", "a.gcode"}
                                        << "a.gcode"
                                        << QByteArray("|M300 S440 P100\nG4 P50\nM300 S523 P120\n");
        QTest::newRow("G-code to song file")
            << QStringList{"--render", "in.gcode", "-o", "a.zwk"} << "a.zwk"
            << QByteArray("M117 done\nN3 M300 S440 P100*57 ; tune\nG4 S0.05\n"
                          "|440|100|0|100\r\n0|50|0|50\r\n");
        QTest::newRow("song to beep script") << QStringList{"--render", "song.zwk", "-o", "a.sh"}
                                             << "a.sh" << QByteArray("|beep -f 440 -l 100 -D 50 \\\n");
    }
    void renderConverts() {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const qsizetype bar = bytes.indexOf('|');
        writeFile(dir.filePath(QStringLiteral("song.zwk")), kSong);
        writeFile(dir.filePath(args.contains("in.mid") ? "in.mid" : "in.gcode"), bytes.left(bar));
        for (QString& arg : args)
            if (arg.contains('.'))
                arg = dir.filePath(arg);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(readBytes(dir.filePath(out)).contains(bytes.mid(bar + 1)),
                 readBytes(dir.filePath(out)).constData());
        // A script is written ready to run, as the window writes it.
        if (out.endsWith(".sh"))
            QVERIFY(QFileInfo(dir.filePath(out)).isExecutable());
    }

    void ctrlCStopsPlaying() {
        QTemporaryDir dir;
        // A minute of sound: stopping must not wait for it.
        writeFile(dir.filePath(QStringLiteral("long.zwk")), "440|60000|0|60000\r\n");
        std::unique_ptr<QProcess> process(
            start({"--play", dir.filePath(QStringLiteral("long.zwk"))}));
        QVERIFY(process->waitForStarted());
        QTest::qWait(1500);
        QCOMPARE(process->state(), QProcess::Running);
        ::kill(pid_t(process->processId()), SIGINT);
        QVERIFY(process->waitForFinished(30000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 130);
    }

    void songNamedForTheWindowIsOpened_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("song");
        QTest::newRow("song file")
            << "a.zwk" << kSong << QStringList{"440 100 0 100", "0 50 0 50", "523 120 262 120"};
        QTest::newRow("bmm import") << "a.bmm"
                                    << QByteArray("Bleeper Music Maker\r\nRev 1\r\nBPM 120\r\n"
                                                  "//Length Note1 Note2\r\nquarter A4 C4\r\n")
                                    << QStringList{"440 500 262 500"};
    }
    void songNamedForTheWindowIsOpened() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, song);
        AppFixture app;
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        writeFile(path, bytes);
        QByteArray program("z1rpw3rk"), file = path.toLocal8Bit();
        char* argv[] = {program.data(), file.data(), nullptr};
        const CommandLine line = CommandLine::parse(2, argv);
        QVERIFY(!line.runsWithoutWindow());
        openInWindow(line);
        QCOMPARE(songRows(app.main()), song);
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
