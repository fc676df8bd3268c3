#include "base/Errors.h"
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
                                                << QByteArray("back:d=2,o=0,b=373:a4,p.,a9.,8c\n")
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
