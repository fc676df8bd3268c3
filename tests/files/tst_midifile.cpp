#include "base/Errors.h"
#include "gui/ListBox.h"
#include "files/MidiFile.h"
#include "files/MidiFileActions.h"
#include "files/MidiVoices.h"
#include "gui/ExtraMenu.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QAction>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

QByteArray be32(quint32 v) {
    return QByteArray::fromHex(QByteArray::number(v, 16).rightJustified(8, '0'));
}

/// A file from hand-written track bodies (hex, blanks allowed).
QByteArray smf(int format, int division, const QList<QByteArray>& tracks, int count = -1) {
    QByteArray out = "MThd" + be32(6);
    out += char(0);
    out += char(format);
    out += char(0);
    out += char(count < 0 ? tracks.size() : count);
    out += char(division >> 8);
    out += char(division & 0xFF);
    for (const QByteArray& hex : tracks) {
        const QByteArray body = QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
        out += "MTrk" + be32(quint32(body.size())) + body;
    }
    return out;
}

/// Lines as "note1 note2 ms", -2 for a silent track.
QStringList lineTexts(const QByteArray& file) {
    QStringList out;
    for (const auto& l : MidiVoices::toLines(MidiFile::read(file)))
        out << QStringLiteral("%1 %2 %3").arg(l.note1).arg(l.note2).arg(l.durationMs);
    return out;
}

QString writeTemp(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

/// The notes of a file as an independent reader (mido) sees them: "tempo ticks-per-quarter"
/// first, then "channel on off hertz" per note (times in ticks, pitch from note and bend).
const char* const kMidoNotes = R"(
import sys, mido
f = mido.MidiFile(sys.argv[1]); tempo = 500000; out = []
for track in f.tracks:
    t = 0; bend = {}; on = {}
    for m in track:
        t += m.time
        if m.type == 'set_tempo': tempo = m.tempo
        elif m.type == 'pitchwheel': bend[m.channel] = m.pitch
        elif m.type == 'note_on' and m.velocity > 0: on[m.channel] = (t, m.note, bend.get(m.channel, 0))
        elif m.type in ('note_off', 'note_on') and m.channel in on:
            s, n, b = on.pop(m.channel)
            out.append((m.channel, s, t, 440 * 2 ** ((n + b / 4096 - 69) / 12)))
print(tempo, f.ticks_per_beat)
for o in sorted(out): print('%d %d %d %.4f' % o)
)";

// 100,000 µs per quarter at 100 ticks per quarter: one tick is one millisecond.
const QByteArray kMsTempo = "00 FF 51 03 01 86 A0";

} // namespace

class TestMidiFile : public QObject {
    Q_OBJECT

private slots:
    void exportBytesOfSmallSong() {
        AppFixture app;
        setSong(app.main(), {"440 250 262 250", "0 100 0 100", "0 50 0 50"});
        const QByteArray expected = QByteArray::fromHex(
            // header: format 1, three tracks, 128 ticks per quarter (the best-fitting tempo)
            "4D546864 00000006 0001 0003 0080"
            // tempo track: name, 128,000 µs per quarter (one tick per ms), a marker where a
            // rest follows a rest (tick 350), end at tick 400
            "4D54726B 00000021"
            "00FF0308 5A317270573372 6B"
            "00FF5103 01F400"
            "825E FF0605 5061757365"
            "32 FF2F00"
            // track 1: name, program 0 on channel 1, bend range 2 semitones (RPN 0), A4 for
            // 250 ms at velocity 100, in tune without a bend
            "4D54726B 00000033"
            "00FF0306 5370757220 31"
            "00C000"
            "00B06500 00B06400 00B00602 00B02600 00B0657F 00B0647F"
            "0090 4564"
            "817A 8045 64"
            "8116 FF2F00"
            // track 2: C4 on channel 2, bent up by 101/4096 semitones to 262 Hz
            "4D54726B 00000037"
            "00FF0306 5370757220 32"
            "00C100"
            "00B16500 00B16400 00B10602 00B12600 00B1657F 00B1647F"
            "00E1 6540"
            "0091 3C64"
            "817A 813C 64"
            "8116 FF2F00");
        QCOMPARE(app.main().midiFiles->exportBytes().toHex(' '), expected.toHex(' '));
    }

    void importHandMadeFiles_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("format 0, running status, velocity 0 as note-off")
            << smf(0, 100, {kMsTempo + "00 904564 64 4500 00 4864 8148 4800 00FF2F00"})
            << QStringList{"69 -2 100", "72 -2 200"};
        QTest::newRow("format 1, tempo change in the tempo track")
            << smf(1, 100,
                   {kMsTempo + "64 FF5103 030D40 00FF2F00", "00 903C50 8148 803C40 00FF2F00",
                    "00 914050 64 814000 00FF2F00"})
            << QStringList{"60 64 100", "60 -2 200"};
        QTest::newRow("default tempo: 120 beats per minute")
            << smf(0, 96, {"00 904564 60 804540 00FF2F00"}) << QStringList{"69 -2 500"};
        QTest::newRow("highest sounding note wins")
            << smf(0, 100, {kMsTempo + "00 903C64 00 4364 64 4300 64 3C00 00FF2F00"})
            << QStringList{"67 -2 100", "60 -2 100"};
        QTest::newRow("the same note struck again is a new line")
            << smf(0, 100, {kMsTempo + "00 903C64 64 3C00 00 3C64 32 3C00 00FF2F00"})
            << QStringList{"60 -2 100", "60 -2 50"};
        // Channel 2 plays three notes; channels 0 and 1 one each: the tie goes to channel 0.
        QTest::newRow("the two busiest channels, in channel order")
            << smf(0, 100,
                   {kMsTempo + "00 924064 00 913C64 64 924000 00 913C00 00 923E64 00 9045 64"
                               "64 923E00 00 904500 00 924164 64 924100 00FF2F00"})
            << QStringList{"-2 64 100", "69 62 100", "-2 65 100"};
        QTest::newRow("leading and closing rests keep their time")
            << smf(0, 100, {kMsTempo + "64 904564 64 804500 64 FF2F00"})
            << QStringList{"-2 -2 100", "69 -2 100", "-2 -2 100"};
        QTest::newRow("system exclusive and meta events between notes")
            << smf(0, 100,
                   {kMsTempo + "00 F00543 1012 7FF7 00 904564 00 FF0103 616263 64 804500 00FF2F00"})
            << QStringList{"69 -2 100"};
        QTest::newRow("time code: 25 frames of 40 ticks, one tick per ms")
            << smf(0, 0xE728, {"00 904564 8148 804500 00FF2F00"}) << QStringList{"69 -2 200"};
    }
    void importHandMadeFiles() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, lines);
        QCOMPARE(lineTexts(file), lines);
    }

    void damagedFilesLeaveTheSong_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        const QString damaged = QStringLiteral("Die MIDI-Datei ist beschädigt");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("Die Datei ist keine MIDI-Datei");
        QTest::newRow("text") << QByteArray("440|100|0|100\r\n")
                              << QStringLiteral("Die Datei ist keine MIDI-Datei");
        QByteArray cut = smf(0, 100, {kMsTempo + "00 904564 64 804500 00FF2F00"});
        cut.chop(6);
        QTest::newRow("track cut short") << cut << damaged;
        QTest::newRow("data byte before any status")
            << smf(0, 100, {"00 4564 00FF2F00"}) << damaged;
        QTest::newRow("delta time of five bytes") << smf(0, 100, {"FFFFFFFF7F 904564"}) << damaged;
        QTest::newRow("meta event longer than its track")
            << smf(0, 100, {"00 FF0310 41"}) << damaged;
        QTest::newRow("running status after a meta event")
            << smf(0, 100, {"00 904564 00 FF0100 64 4500 00FF2F00"}) << damaged;
        QTest::newRow("tempo of two bytes") << smf(0, 100, {"00 FF5102 0186 00FF2F00"}) << damaged;
        QTest::newRow("data byte above 127") << smf(0, 100, {"00 904580 00FF2F00"}) << damaged;
        QTest::newRow("status byte not allowed in a file")
            << smf(0, 100, {"00 F4 00FF2F00"}) << damaged;
        QTest::newRow("a track less than announced")
            << smf(1, 100, {kMsTempo + "00FF2F00"}, 2) << damaged;
        QTest::newRow("format 2") << smf(2, 100, {"00 904564 64 804500 00FF2F00"})
                                  << QStringLiteral("MIDI-Dateien des Formats 2");
        QTest::newRow("no notes") << smf(0, 100, {kMsTempo + "64 FF2F00"})
                                  << QStringLiteral("Die MIDI-Datei enthält keine Noten");
    }
    void damagedFilesLeaveTheSong() {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        AppFixture app;
        const QStringList song{"440 100 0 100", "523 200 262 200"};
        setSong(app.main(), song);
        QTemporaryDir dir;
        app.prompts.fileAnswers = {writeTemp(dir, QStringLiteral("bad.mid"), file)};
        app.main().MIDIFilemidmidi1->trigger();
        QCOMPARE(app.prompts.errors.size(), 1);
        QVERIFY2(app.prompts.errors.first().startsWith(message),
                 qPrintable(app.prompts.errors.first()));
        QCOMPARE(songRows(app.main()), song);
        QCOMPARE(app.main().Line->count(), 2);
    }

    void roundTripGivesTheSongBack_data() {
        QTest::addColumn<QStringList>("song");
        QTest::newRow("two voices")
            << QStringList{"440 250 262 250", "523 125 0 125", "0 125 330 125", "262 500 262 500"};
        QTest::newRow("repeated notes and rests after rests")
            << QStringList{"0 100 0 100", "0 40 0 40", "440 100 440 100", "440 100 440 100",
                           "0 30 0 30",   "0 30 0 30", "16 1 0 1",        "0 70 0 70"};
        QTest::newRow("long and short lines")
            << QStringList{"523 1 0 1", "262 600000 262 600000", "440 3 523 3"};
        QTest::newRow("tones between the table's notes, notes 116 and 117")
            << QStringList{"349 100 441 100", "6645 100 7040 100", "9 100 12900 100"};
    }
    void roundTripGivesTheSongBack() {
        QFETCH(QStringList, song);
        AppFixture app;
        TForm1& main = app.main();
        setSong(main, song);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("song.mid"));
        app.prompts.fileAnswers = {path};
        main.extraMenu->ExportMidi1->trigger();
        main.Neu1Click();
        app.prompts.fileAnswers = {path};
        app.giveUpChanges();
        main.MIDIFilemidmidi1->trigger();
        QCOMPARE(app.prompts.errors, QStringList());
        QCOMPARE(songRows(main), song);
        QCOMPARE(main.Line->count(), song.size());
    }

    // Exports read by an independent MIDI library: every tone within a cent of its frequency,
    // times exact to the millisecond at the best-fitting beat; tones beyond MIDI are left out.
    void exportReadByMido_data() {
        QTest::addColumn<QStringList>("song");
        QTest::addColumn<int>("quarterMs");
        QTest::addColumn<QString>("warning");
        QTest::newRow("between the table's notes")
            << QStringList{"349 500 441 500", "1000 250 0 250", "0 250 12000 250", "9 125 30 125"}
            << 250 << "";
        QTest::newRow("dotted eighths at 100 bpm")
            << QStringList{"262 450 0 450", "294 150 277 150", "330 1200 0 1200"} << 600 << "";
        QTest::newRow("beyond MIDI")
            << QStringList{"440 100 0 100", "5 100 13000 100", "7 100 0 100"} << 200
            << "Zeile 1: 5 Hz liegt außerhalb";
    }
    void exportReadByMido() {
        QFETCH(QStringList, song);
        QFETCH(int, quarterMs);
        QFETCH(QString, warning);
        if (QProcess::execute(QStringLiteral("/usr/bin/python3"), {"-c", "import mido"}) != 0)
            QSKIP("python3-mido is not installed");
        AppFixture app;
        setSong(app.main(), song);
        QString said;
        QTemporaryDir dir;
        const QString path =
            writeTemp(dir, QStringLiteral("a.mid"), app.main().midiFiles->exportBytes(&said));
        QVERIFY2(warning.isEmpty() ? said.isEmpty() : said.startsWith(warning), qPrintable(said));
        QProcess mido;
        mido.start(QStringLiteral("/usr/bin/python3"), {"-c", kMidoNotes, path});
        QVERIFY(mido.waitForFinished(30000));
        QStringList notes =
            QString::fromLatin1(mido.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QVERIFY2(!notes.isEmpty(), mido.readAllStandardError().constData());
        QCOMPARE(notes.takeFirst(), QStringLiteral("%1 %2").arg(quarterMs * 1000).arg(quarterMs));
        QStringList expected;
        for (int channel = 0; channel < 2; ++channel) {
            int start = 0;
            for (const QString& row : song) {
                const QStringList f = row.split(' ');
                const int hz = f[channel * 2].toInt(), ms = f[1].toInt();
                if (hz >= 8 && hz < 12911)
                    expected << QStringLiteral("%1 %2 %3 %4").arg(channel).arg(start).arg(
                        start + ms).arg(hz);
                start += ms;
            }
        }
        QCOMPARE(notes.size(), expected.size());
        for (int i = 0; i < notes.size(); ++i) {
            QCOMPARE(notes[i].section(' ', 0, 2), expected[i].section(' ', 0, 2));
            const double cents = 1200 * std::log2(notes[i].section(' ', 3).toDouble() /
                                                  expected[i].section(' ', 3).toDouble());
            QVERIFY2(std::abs(cents) < 1, qPrintable(notes[i]));
        }
    }

    // Files of another program (made by abc2midi) come in without its gaps and chord staggers,
    // unless the question's check box keeps them; notes take the table row of their octave.
    void importAbcFiles_data() {
        QTest::addColumn<QByteArray>("abc");
        QTest::addColumn<QStringList>("frequencies"); // of the joined lines
        QTest::newRow("staggered chords, gaps")
            << QByteArray("L:1/8\nQ:1/4=120\nK:C\n[CEG]2 [DF]2 ^g2 c2|\n")
            << QStringList{"392 0", "350 0", "831 0", "523 0", "0 0"};
        QTest::newRow("two voices up to notes 116 and 117")
            << QByteArray("L:1/4\nQ:1/4=100\nK:C\nV:1\n^g''' a''' c|\nV:2\nC, D, E,|\n")
            << QStringList{"6645 131", "7040 147", "523 165", "0 0"};
    }
    void importAbcFiles() {
        QFETCH(QByteArray, abc);
        QFETCH(QStringList, frequencies);
        const QString abc2midi = QStandardPaths::findExecutable(QStringLiteral("abc2midi"));
        if (abc2midi.isEmpty())
            QSKIP("abc2midi (package abcmidi) is not installed");
        QTemporaryDir dir;
        const QString mid = dir.filePath(QStringLiteral("t.mid"));
        writeTemp(dir, QStringLiteral("t.abc"), "X:1\nT:t\nM:4/4\n" + abc);
        QCOMPARE(QProcess::execute(abc2midi, {dir.filePath(QStringLiteral("t.abc")), "-o", mid}),
                 0);
        qint64 lengths[2] = {0, 0};
        for (const bool keep : {false, true}) {
            AppFixture app;
            app.prompts.checkAnswers = {keep};
            app.main().midiFiles->importFile(mid);
            QStringList heard; // the long lines joined, the short ones kept
            for (const QString& row : songRows(app.main())) {
                const QStringList f = row.split(' ');
                lengths[keep] += f[1].toLongLong();
                if (keep == (f[1].toInt() < 15))
                    heard << f[0] + ' ' + f[2];
            }
            QVERIFY(app.prompts.texts().value(0).startsWith("Die MIDI-Datei ergibt"));
            if (keep)
                QVERIFY(!heard.isEmpty());
            else
                QCOMPARE(heard, frequencies);
        }
        QCOMPARE(lengths[0], lengths[1]);
    }

    void exportRefusesUnevenLists() {
        AppFixture app;
        setSong(app.main(), {"440 100 0 100"});
        app.main().Memo4->add(QStringLiteral("5"));
        app.main().extraMenu->ExportMidi1->trigger();
        QCOMPARE(app.prompts.texts(), QStringList{QStringLiteral("Fehler im Track")});
        QCOMPARE(app.prompts.fileDialogs.size(), 0);
    }
};

QTEST_MAIN(TestMidiFile)
#include "tst_midifile.moc"
