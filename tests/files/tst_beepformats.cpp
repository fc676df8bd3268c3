#include "base/Errors.h"
#include "base/ListItems.h"
#include "files/SongFormat.h"
#include "gui/ListBox.h"
#include "files/BeepFormatActions.h"
#include "files/BuzzerExport.h"
#include "files/RecentFiles.h"
#include "gui/FileMenus.h"
#include "files/Rtttl.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"
#include "song/NoteTable.h"

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

/// Tones as "f/d f/d …".
QString toneText(const QList<PlayedTone>& tones) {
    QStringList out;
    for (const PlayedTone& t : tones)
        out << QStringLiteral("%1/%2").arg(t.frequency).arg(t.durationMs);
    return out.join(QLatin1Char(' '));
}

QList<PlayedTone> tonesOf(const QString& text) {
    QList<PlayedTone> tones;
    for (const QString& item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        tones.append({item.section(QLatin1Char('/'), 0, 0).toInt(),
                      item.section(QLatin1Char('/'), 1, 1).toInt()});
    return tones;
}

} // namespace

class TestBeepFormats : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> m_app;
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { m_app = std::make_unique<AppFixture>(); }
    void cleanupTestCase() { m_app.reset(); }

    // A ringtone file imported through the window: one line per note on track 1, track 2
    // silent; a bad text names its first bad character and leaves the song as it was.
    void importText_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected"); // tones, or the error's position
        QTest::newRow("defaults given") << QByteArray("T:d=4,o=5,b=120:8c6,8p,a#.,16g4,2h")
                                        << "1047/250 0/250 932/750 392/125 988/1000";
        QTest::newRow("empty defaults: d=4, o=6, b=63") << QByteArray("T::a,8f") << "1760/952 1397/476";
        QTest::newRow("notes only") << QByteArray("c,p") << "1047/952 0/952";
        QTest::newRow("blanks, capitals, dot after octave, e#")
            << QByteArray("T: D=8 , O=4 , B=180 :\r\n C5. , f ,E#") << "523/249 350/166 350/166";
        QTest::newRow("BPM panel lengths at 7") << QByteArray("T:b=7:1c,16c.") << "1047/34284 1047/3213";
        QTest::newRow("trailing comma, 32nd") << QByteArray("T:d=32,o=7,b=63:a,") << "3520/119";
        QTest::newRow("unknown note") << QByteArray("T:d=4:8c,8q") << "Zeichen 11";
        QTest::newRow("bad note value") << QByteArray("T::3c") << "Zeichen 4";
        QTest::newRow("unknown default") << QByteArray("T:x=4:c") << "Zeichen 3";
        QTest::newRow("octave beyond the table") << QByteArray("T:o=10:c") << "Zeichen 5";
        QTest::newRow("note beyond the table") << QByteArray("T::a#9") << "Zeichen 4";
        QTest::newRow("missing comma") << QByteArray("T::c d") << "Zeichen 6";
        QTest::newRow("two dots") << QByteArray("T::c.6.") << "Zeichen 7";
    }
    void importText() {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        TForm1& window = m_app->main();
        const QStringList before = {"500 100 0 100", "600 200 0 200"};
        setSong(window, before);
        const QString file = m_dir.filePath(QStringLiteral("tune.rtttl"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text);
        out.close();
        QString error;
        try {
            m_app->giveUpChanges();
            window.beepFormats->importFile(file);
        } catch (const AppError& e) {
            error = e.message();
        }
        if (expected.startsWith(QLatin1String("Zeichen"))) {
            QVERIFY2(error.startsWith(QStringLiteral("RTTTL-Fehler bei ") + expected + ':'),
                     qPrintable(error));
            QCOMPARE(songRows(window), before);
            return;
        }
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QStringList rows;
        for (const PlayedTone& t : tonesOf(expected))
            rows << QStringLiteral("%1 %2 0 %2").arg(t.frequency).arg(t.durationMs);
        QCOMPARE(songRows(window), rows);
        QCOMPARE(window.recentFiles->files().value(0), QFileInfo(file).absoluteFilePath());
    }

    // Songs written as ringtone texts: nearest notes, the best tempo, the largest error; a song
    // of table notes and note values reads back to the same tones.
    void exportText_data() {
        QTest::addColumn<QString>("tones");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("largestError");
        QTest::newRow("imported tune") << "1047/250 0/250 932/750 392/125 988/1000"
                                       << QByteArray("back:d=8,o=5,b=120:c6,p,4a#.,16g4,2b\n") << 0;
        QTest::newRow("BPM panel at 180") << "440/333 0/166 523/83 466/1332"
                                          << QByteArray("back:d=4,o=4,b=180:a,8p,16c5,1a#\n") << 0;
        QTest::newRow("rounded, nearest notes") << "445/300 0/500 30000/500 0/0 1/100"
                                                << QByteArray("back:d=2,o=4,b=373:a,p.,a9.,8c0\n")
                                                << 20;
    }
    void exportText() {
        QFETCH(QString, tones);
        QFETCH(QByteArray, expected);
        QFETCH(int, largestError);
        const NoteTable table = NoteTable::loadStored();
        const Rtttl::Written written = Rtttl::write(tonesOf(tones), QStringLiteral("back"), table);
        QCOMPARE(written.text, expected);
        QCOMPARE(written.largestErrorMs, largestError);
        if (largestError == 0)
            QCOMPARE(toneText(Rtttl::read(QString::fromLatin1(written.text), table)), tones);
    }

    // The sketch of a three-line song, compiled on this machine against a stub of tone(),
    // noTone() and delay() that records the calls, makes the calls Play's tones ask for.
    void sketchOnHost() {
        TForm1& window = m_app->main();
        setSong(window, {"440 250 0 250", "0 125 523 125", "0 300 0 300"});
        const QString sketch = m_dir.filePath(QStringLiteral("song.ino"));
        QFile out(sketch);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(window.beepFormats->exportBytes(BeepFormatActions::Kind::Sketch, sketch));
        out.close();
        const QString stub = m_dir.filePath(QStringLiteral("stub.h"));
        QFile stubFile(stub);
        QVERIFY(stubFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
        stubFile.write("#include <cstdio>\n"
                       "void tone(int p, unsigned f, unsigned long d) { std::printf(\"tone %d %u %lu\\n\", p, f, d); }\n"
                       "void noTone(int p) { std::printf(\"noTone %d\\n\", p); }\n"
                       "void delay(unsigned long d) { std::printf(\"delay %lu\\n\", d); }\n"
                       "void setup(); int main() { setup(); }\n");
        stubFile.close();
        const QString program = m_dir.filePath(QStringLiteral("song"));
        QProcess compiler;
        compiler.start(QStringLiteral(Z1RPW3RK_HOST_CXX),
                       {"-x", "c++", "-include", stub, sketch, "-o", program});
        QVERIFY(compiler.waitForFinished(120000));
        QVERIFY2(compiler.exitCode() == 0, compiler.readAllStandardError().constData());
        QProcess run;
        run.start(program, {});
        QVERIFY(run.waitForFinished(10000));
        QCOMPARE(QString::fromLatin1(run.readAllStandardOutput()).split(QLatin1Char('\n')),
                 QStringList({"tone 8 440 250", "delay 250", "tone 8 523 125", "delay 125",
                              "noTone 8", "delay 300", "noTone 8", ""}));
    }

    // Songs written in each form the places outside the program take, and read back where the
    // program reads that form: what the file holds, what the user is told, the song again.
    void exportAndReadBack_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("song");
        QTest::addColumn<QByteArray>("holds");
        QTest::addColumn<QString>("told"); // the first warning, else the first note
        QTest::addColumn<QStringList>("back");
        using K = BeepFormatActions::Kind;
        QTest::newRow("G-code") << int(K::GCode)
                                << QStringList{"440 250 0 250", "0 100 0 100", "0 50 523 50"}
                                << QByteArray("\nM300 S440 P250\nG4 P100\nM300 S523 P50\n") << ""
                                << QStringList{"440 250 0 250", "0 100 0 100", "523 50 0 50"};
        QTest::newRow("RTTTL, UTF-8 title, octaves beyond 4-7")
            << int(K::Rtttl) << QStringList{"131 500 0 500", "440 500 0 500", "7040 250 0 250"}
            << QByteArray("Gr\xC3\xBC\xC3\x9F" "e:d=4,o=4,b=120:c3,a,8a8\n")
            << "Noten außerhalb der Oktaven 4 bis 7, die strenge Abspielprogramme ablehnen: c3, a8"
            << QStringList{"131 500 0 500", "440 500 0 500", "7040 250 0 250"};
        QTest::newRow("beep script, 20 kHz and above rest")
            << int(K::BeepScript) << QStringList{"440 100 0 100", "20000 100 0 100", "19999 50 0 50"}
            << QByteArray("# line 1: 20000 Hz is beyond beep's 19999 Hz and rests\n"
                          "beep -f 440 -l 100 -D 100 \\\n  -n -f 19999 -l 50\n")
            << "Zeile 1: 20000 Hz ist für beep zu hoch" << QStringList();
        QTest::newRow("sketch, 16-bit durations, tones below 31 Hz")
            << int(K::Sketch) << QStringList{"20 100 0 100", "440 100 0 100"}
            << QByteArray("const uint16_t kDurations[] PROGMEM") << "Zeile 0: 20 Hz kann tone()"
            << QStringList();
        QTest::newRow("sketch, 32-bit durations")
            << int(K::Sketch) << QStringList{"440 70000 0 70000"}
            << QByteArray("const uint32_t kDurations[] PROGMEM")
            << "Der Sketch belegt auf einem Arduino Uno etwa 2.616 der 32.256 Bytes" << QStringList();
        QTest::newRow("sketch beyond the Uno")
            << int(K::Sketch) << QStringList(7500, QStringLiteral("440 100 0 100"))
            << QByteArray("about 32560 of the 32256 bytes") << "Der Sketch belegt auf einem "
               "Arduino Uno etwa 32.560 Bytes Programmspeicher, mehr als die 32.256 Bytes"
            << QStringList();
    }
    void exportAndReadBack() {
        QFETCH(int, kind);
        QFETCH(QStringList, song);
        QFETCH(QByteArray, holds);
        QFETCH(QString, told);
        QFETCH(QStringList, back);
        TForm1& window = m_app->main();
        // The song's own file names it.
        setSong(window, song);
        QFile::remove(m_dir.filePath(QStringLiteral("Grüße.zwk")));
        m_app->prompts.fileAnswers = {m_dir.filePath(QStringLiteral("Grüße.zwk"))};
        window.Speichern1->trigger();
        const QString file = m_dir.filePath(QStringLiteral("out.x"));
        const auto exported = window.beepFormats->writeFile(BeepFormatActions::Kind(kind), file);
        QVERIFY2(exported.bytes.contains(holds), exported.bytes.left(2000).constData());
        QCOMPARE((exported.warnings + exported.notes).value(0).left(told.size()), told);
        if (back.isEmpty())
            return;
        const QString again = m_dir.filePath(kind == int(BeepFormatActions::Kind::GCode)
                                                 ? QStringLiteral("out.gcode")
                                                 : QStringLiteral("out.rtttl"));
        QVERIFY(QFile::rename(file, again) || QFile::exists(again));
        m_app->giveUpChanges();
        window.beepFormats->importFile(again);
        QCOMPARE(songRows(window), back);
        QFile::remove(again);
    }

    // An import of more lines than a song file holds is refused, and so is saving such a song:
    // the program never writes a file it refuses to open.
    void linesBeyondTheSongFile() {
        TForm1& window = m_app->main();
        setSong(window, {"500 100 0 100"});
        const QString file = m_dir.filePath(QStringLiteral("long.rtttl"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write("T::" + QByteArray("p,").repeated(SongFormat::kMaxLines + 1));
        out.close();
        QVERIFY_THROWS_EXCEPTION(AppError, window.beepFormats->importFile(file));
        QCOMPARE(songRows(window), QStringList{"500 100 0 100"});
        for (ListItems* list : {&window.Memo1->listItems(), &window.Memo2->listItems(),
                                &window.Memo3->listItems(), &window.Memo4->listItems()})
            list->addAll(QStringList(SongFormat::kMaxLines, QStringLiteral("1")));
        const qsizetype dialogs = m_app->prompts.fileDialogs.size();
        window.Speichern1->trigger();
        QCOMPARE(m_app->prompts.fileDialogs.size(), dialogs);
        QVERIFY(m_app->prompts.texts().last().startsWith("Das Lied hat 2.000.001 Zeilen"));
    }

    // A song file dropped on the window opens, and heads "Zuletzt geöffnet".
    void dropOpens() {
        TForm1& window = m_app->main();
        setSong(window, {"500 100 0 100"});
        const QString file = m_dir.filePath(QStringLiteral("dropped.zwk"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write("440|250|0|250\r\n");
        out.close();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drop);
        QTRY_COMPARE(songRows(window), QStringList{"440 250 0 250"});
        QCOMPARE(window.fileMenus->ZuletztGeoeffnet1->actions().value(0)->text(),
                 QStringLiteral("&1 dropped.zwk"));
    }

    // The recent files' section replaces its own lines only; every other byte stays.
    void recentSection_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << QByteArray() << QByteArray("[ZuletztGeoeffnet]\r\nDatei1=/a.zwk\r\n");
        QTest::newRow("appended, LF kept")
            << QByteArray("[Anzeige]\nBackground=0 \n; note\n[FM]\nVolume=80")
            << QByteArray("[Anzeige]\nBackground=0 \n; note\n[FM]\nVolume=80\n"
                          "[ZuletztGeoeffnet]\nDatei1=/a.zwk\n");
        QTest::newRow("replaced between sections")
            << QByteArray("[A]\r\nx=1\r\n[zuletztgeoeffnet]\r\nDatei1=/old\r\nDatei2=/b\r\n\r\n[B]\r\ny=\xe4\r\n")
            << QByteArray("[A]\r\nx=1\r\n[ZuletztGeoeffnet]\r\nDatei1=/a.zwk\r\n\r\n[B]\r\ny=\xe4\r\n");
    }
    void recentSection() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QCOMPARE(RecentFiles::withSection(before, {QStringLiteral("/a.zwk")}), after);
        QCOMPARE(RecentFiles::readSection(after), QStringList{QStringLiteral("/a.zwk")});
    }
};

QTEST_MAIN(TestBeepFormats)
#include "tst_beepformats.moc"
