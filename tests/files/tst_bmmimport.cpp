#include "gui/ListBox.h"
#include "files/BmmImporter.h"
#include "gui/SettingsDialog.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include <QTimer>
#include <algorithm>

namespace {

QString dataFile(const QString& name) {
    return QStringLiteral(Z1RPW3RK_TEST_DATA "/bmm/") + name;
}

QString writeTemp(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("song.bmm"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

/// A file with the given tempo line and the note lines after the start marker.
QByteArray bmmFile(const QByteArray& tempoLine, const QByteArray& noteLines) {
    return "Bleeper Music Maker\r\nRev 1\r\n" + tempoLine + "\r\n//Length Note1 Note2\r\n" +
           noteLines;
}

void import(AppFixture& app, const QString& path) {
    app.prompts.fileAnswers = {path};
    app.giveUpChanges();
    app.main().BleeperMusicMakerbmm1->trigger();
}

QStringList informationTexts(const AppFixture& app) {
    QStringList texts;
    for (const auto& m : app.prompts.messages)
        if (m.icon == Prompts::Icon::Information)
            texts << m.text;
    return texts;
}

const QStringList kOldSong{"1 2 3 4", "5 6 7 8"};

} // namespace

class TestBmmImport : public QObject {
    Q_OBJECT

private slots:
    void dialogAndCancel() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, kOldSong);
        app.prompts.fileAnswers = {std::nullopt};
        w.BleeperMusicMakerbmm1->trigger();
        QCOMPARE(app.prompts.fileDialogs.size(), 1);
        const Prompts::FileDialog& dialog = app.prompts.fileDialogs.first();
        QCOMPARE(dialog.title, QStringLiteral("Bleeper Music Maker - Soundtrack laden"));
        QCOMPARE(dialog.filter, QStringLiteral("Bleeper Music Maker-Tracks (.bmm)|*.bmm"));
        QCOMPARE(dialog.defaultExt, QStringLiteral(".bmm"));
        QCOMPARE(songRows(w), kOldSong);
        QVERIFY(app.prompts.messages.isEmpty());
    }

    void noteLine_data() {
        QTest::addColumn<QByteArray>("tempo");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("row");
        QTest::newRow("quarter") << QByteArray("BPM 120") << QByteArray("quarter C#4 D4")
                                 << "277 500 294 500";
        QTest::newRow("quarter dotted")
            << QByteArray("BPM 120") << QByteArray("quarter C#4 D4 dot") << "277 750 294 750";
        QTest::newRow("dot in any case")
            << QByteArray("BPM 120") << QByteArray("quarter C#4 D4 Dot") << "277 750 294 750";
        QTest::newRow("dot anywhere")
            << QByteArray("BPM 120") << QByteArray("quarter C#4 D4 (DOTted)") << "277 750 294 750";
        QTest::newRow("whole") << QByteArray("BPM 120") << QByteArray("whole C4 E4")
                               << "262 2000 330 2000";
        QTest::newRow("whole dotted")
            << QByteArray("BPM 120") << QByteArray("whole C4 E4 dot") << "262 3000 330 3000";
        QTest::newRow("half, sharp note 1")
            << QByteArray("BPM 120") << QByteArray("half F#5 A4") << "740 1000 440 1000";
        QTest::newRow("half dotted")
            << QByteArray("BPM 120") << QByteArray("half F#5 A4 dot") << "740 1500 440 1500";
        QTest::newRow("eighth") << QByteArray("BPM 100") << QByteArray("1/8 G4 C5")
                                << "392 300 523 300";
        QTest::newRow("eighth dotted")
            << QByteArray("BPM 70") << QByteArray("1/8 G4 C5 dot") << "392 642 523 642";
        QTest::newRow("sixteenth at 180")
            << QByteArray("BPM 180") << QByteArray("1/16 A4 A#4") << "440 83 466 83";
        QTest::newRow("sixteenth dotted at 180")
            << QByteArray("BPM 180") << QByteArray("1/16 A4 A#4 dot") << "440 124 466 124";
        QTest::newRow("English B is H")
            << QByteArray("BPM 120") << QByteArray("quarter B3 B4") << "247 500 494 500";
        QTest::newRow("only one note")
            << QByteArray("BPM 120") << QByteArray("quarter C4") << "262 500 0 500";
        QTest::newRow("note 2 after a sharp note 1")
            << QByteArray("BPM 120") << QByteArray("quarter C#4 F#4") << "277 500 370 500";
        QTest::newRow("no notes at all")
            << QByteArray("BPM 120") << QByteArray("quarter") << "0 500 0 500";
        QTest::newRow("unknown note names")
            << QByteArray("BPM 120") << QByteArray("quarter X9 c4") << "0 500 0 500";
        QTest::newRow("comment read as a note line")
            << QByteArray("BPM 120") << QByteArray("//a note") << "0 500 0 500";
        QTest::newRow("two-digit tempo at the end")
            << QByteArray("BPM 60") << QByteArray("quarter C4 D4") << "262 1000 294 1000";
        QTest::newRow("tempo with a leading blank")
            << QByteArray("BPM  60") << QByteArray("quarter C4 D4") << "262 1000 294 1000";
        QTest::newRow("hexadecimal tempo")
            << QByteArray("BPM $3C") << QByteArray("quarter C4 D4") << "262 1000 294 1000";
        QTest::newRow("negative tempo")
            << QByteArray("BPM -60") << QByteArray("quarter C4 D4") << "262 -1000 294 -1000";
    }

    void noteLine() {
        QFETCH(QByteArray, tempo);
        QFETCH(QByteArray, line);
        QFETCH(QString, row);
        QTemporaryDir dir;
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, kOldSong);
        import(app, writeTemp(dir, bmmFile(tempo, line + "\r\n")));
        QVERIFY2(app.prompts.errors.isEmpty(), qPrintable(app.prompts.errors.join('\n')));
        QCOMPARE(songRows(w), QStringList{row});
        QCOMPARE(w.Line->items(), QStringList{"0"});
    }

    void wholeSong() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, kOldSong);
        import(app, dataFile(QStringLiteral("song.bmm")));
        QVERIFY(app.prompts.errors.isEmpty());
        // Tempo 150 from the later tempo line (b = 400); the line before the marker, the
        // marker, the "//t…" comment and the tempo line give nothing.
        QCOMPARE(songRows(w), (QStringList{"262 1600 330 1600", "740 800 440 800", "247 400 0 400",
                                           "392 300 523 300", "440 100 466 100", "0 400 0 400"}));
        QCOMPARE(w.Line->items(), (QStringList{"0", "1", "2", "3", "4", "5"}));
        // The scratch list holds the file's lines.
        const auto* bmm = w.findChild<ListBox*>(QStringLiteral("bmm"));
        QVERIFY(bmm);
        QVERIFY(!bmm->isVisible());
        QCOMPARE(bmm->count(), 14);
        QCOMPARE(bmm->item(4), QStringLiteral("quarter C4 C4"));
        // Progress and status are cleared at the end.
        QCOMPARE(w.probar->value(), 0);
        QCOMPARE(w.laStatus->text(), QString());
    }

    void sampleFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("quarter note at tempo 120")
            << "quarter.bmm" << QStringList{"277 500 294 500"};
        QTest::newRow("CR line ends, tempo 60")
            << "cr-only.bmm" << QStringList{"330 2000 392 2000"};
        QTest::newRow("no tempo line: song kept") << "no-tempo.bmm" << kOldSong;
    }

    void sampleFiles() {
        QFETCH(QString, file);
        QFETCH(QStringList, rows);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, kOldSong);
        import(app, dataFile(file));
        QVERIFY(app.prompts.errors.isEmpty());
        QCOMPARE(songRows(w), rows);
    }

    void informationMessage_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<QString>("tempo");
        QTest::addColumn<QString>("revision");
        QTest::newRow("shown") << "song.bmm" << false << "150"
                               << "Rev 2.1";
        QTest::newRow("hidden by the setting") << "song.bmm" << true << ""
                                               << "";
        QTest::newRow("CR line ends") << "cr-only.bmm" << false << "60"
                                      << "Rev 3";
    }

    void informationMessage() {
        QFETCH(QString, file);
        QFETCH(bool, hidden);
        QFETCH(QString, tempo);
        QFETCH(QString, revision);
        AppFixture app;
        forms().Form6->cbBMMINFO->setChecked(hidden);
        const QString path = dataFile(file);
        import(app, path);
        QVERIFY(app.prompts.errors.isEmpty());
        if (hidden) {
            QCOMPARE(app.prompts.messages.size(), 0);
            return;
        }
        QCOMPARE(app.prompts.messages.size(), 1);
        QCOMPARE(app.prompts.messages[0].caption, QStringLiteral("Z1rpW3rk"));
        QCOMPARE(app.prompts.messages[0].text, "Songpath: " + QFileInfo(path).absoluteFilePath() +
                                                   "\rBPM Value: " + tempo +
                                                   "\rBMM Revision: " + revision);
    }

    void informationForSmallFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("info");
        QTest::addColumn<int>("lines");
        // One line: no second line to show as revision; no marker, so no song.
        QTest::newRow("single line")
            << QByteArray("BPM 90") << "BPM Value: 90\rBMM Revision: " << 0;
        QTest::newRow("marker but no note lines")
            << bmmFile("BPM 90", "") << "BPM Value: 90\rBMM Revision: Rev 1" << 0;
        QTest::newRow("no marker") << QByteArray("x\r\nRev 9\r\nBPM 90\r\nquarter C4 D4\r\n")
                                   << "BPM Value: 90\rBMM Revision: Rev 9" << 0;
        QTest::newRow("one note line")
            << bmmFile("BPM 90", "quarter C4 D4") << "BPM Value: 90\rBMM Revision: Rev 1" << 1;
    }

    void informationForSmallFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, info);
        QFETCH(int, lines);
        QTemporaryDir dir;
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, kOldSong);
        import(app, writeTemp(dir, bytes));
        QVERIFY(app.prompts.errors.isEmpty());
        QCOMPARE(w.Memo1->count(), lines);
        QCOMPARE(informationTexts(app).size(), 1);
        QVERIFY2(informationTexts(app).first().endsWith(info),
                 qPrintable(informationTexts(app).first()));
        // Fewer than two lines report no renumbering; the import's progress is gone anyway.
        QCOMPARE(w.probar->value(), 0);
        QCOMPARE(w.laStatus->text(), QString());
    }

    void refused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("no tempo line")
            << QByteArray("x\r\nRev\r\n//Length Note1 Note2\r\nquarter C4 D4\r\n");
        QTest::newRow("lower-case tempo line")
            << QByteArray("bpm 120\r\n//Length Note1 Note2\r\nquarter C4 D4\r\n");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("binary without BP") << QByteArray("\x00\x01\xff\xfe\r\n\x1a", 7);
    }

    void refused() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, kOldSong);
        clickItem(w.Memo2, 1);
        import(app, writeTemp(dir, bytes));
        QCOMPARE(app.prompts.messages.size(), 1);
        QCOMPARE(app.prompts.messages[0].text, BmmImporter::noTempoMessage());
        QCOMPARE(app.prompts.messages[0].icon, Prompts::Icon::Warning);
        QVERIFY(app.prompts.errors.isEmpty());
        QCOMPARE(songRows(w), kOldSong);
        QCOMPARE(w.Line->items(), (QStringList{"0", "1"}));
        QCOMPARE(selections(w), (QList<int>{1, 1, 1, 1, 1}));
        QCOMPARE(w.findChild<ListBox*>(QStringLiteral("bmm"))->count(), 0);
    }

    void unreadableFileLeavesSong() {
        QTemporaryDir dir;
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, kOldSong);
        import(app, dir.filePath(QStringLiteral("missing.bmm")));
        QCOMPARE(app.prompts.errors, QStringList{"Datei nicht gefunden"});
        QCOMPARE(songRows(w), kOldSong);
    }

    void failures_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::newRow("tempo not a number")
            << bmmFile("BPM 12a", "quarter C4 D4\r\n") << "'12a' ist kein gültiger Integerwert";
        QTest::newRow("trailing blank in the tempo")
            << bmmFile("BPM 12 ", "quarter C4 D4\r\n") << "'12 ' ist kein gültiger Integerwert";
        QTest::newRow("tempo line too short")
            << bmmFile("BPM", "quarter C4 D4\r\n") << "'' ist kein gültiger Integerwert";
        QTest::newRow("tempo 0") << bmmFile("BPM 0", "quarter C4 D4\r\nhalf C4 D4\r\n")
                                 << "Division durch Null";
    }

    void failures() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QTemporaryDir dir;
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, kOldSong);
        import(app, writeTemp(dir, bytes));
        QCOMPARE(app.prompts.errors, QStringList{error});
        // The song was replaced before the tempo was read: it is empty now.
        QCOMPARE(songRows(w), QStringList{});
        QCOMPARE(w.Line->count(), 0);
        QVERIFY(informationTexts(app).isEmpty());
    }

    void tempoZeroWithoutNoteLines() {
        QTemporaryDir dir;
        AppFixture app;
        TForm1& w = app.main();
        import(app, writeTemp(dir, bmmFile("BPM 0", "//comment\r\n")));
        QVERIFY(app.prompts.errors.isEmpty());
        QCOMPARE(w.Memo1->count(), 0);
        QCOMPARE(informationTexts(app).size(), 1);
    }

    void runningImportShowsProgressAndIgnoresASecondOne() {
        // The import lets the window process events and shows its progress; a second import
        // started meanwhile must not run inside the first.
        QTemporaryDir dir;
        AppFixture app;
        TForm1& w = app.main();
        const QString path =
            writeTemp(dir, bmmFile("BPM 120", QByteArray("1/8 C4 D4\n").repeated(50000)));
        int triggered = 0;
        QStringList statuses;
        QList<int> positions;
        QTimer retrigger;
        retrigger.setInterval(1);
        QObject::connect(&retrigger, &QTimer::timeout, &w, [&] {
            statuses << w.laStatus->text();
            positions << w.probar->value();
            if (triggered++ < 3)
                w.BleeperMusicMakerbmm1->trigger();
        });
        retrigger.start();
        app.prompts.fileAnswers = {path, path, path, path};
        w.BleeperMusicMakerbmm1->trigger();
        retrigger.stop();
        if (triggered == 0)
            QSKIP("the import finished before the window processed any events");
        QCOMPARE(statuses.first(), QStringLiteral("Analysiere BMM"));
        QCOMPARE(statuses.last(), QStringLiteral("Analysiere BMM"));
        QVERIFY(positions.first() < 100);
        QVERIFY(std::is_sorted(positions.begin(), positions.end()));
        QCOMPARE(app.prompts.fileDialogs.size(), 1);
        QCOMPARE(w.Memo1->count(), 50000);
        QCOMPARE(w.Line->count(), 50000);
        QVERIFY(app.prompts.errors.isEmpty());
    }

    void badInput_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rows");
        const QByteArray big(10 * 1024 * 1024, 'x');
        QTest::newRow("10 MB line") << bmmFile("BPM 120", "quarter C4 D4 " + big + "\r\n") << 1;
        QTest::newRow("10 MB without line ends") << QByteArray("BPM 120 " + big) << 0;
        QTest::newRow("NUL bytes")
            << bmmFile("BPM 120", QByteArray("qu\0rter C4\r\nha\0f\r\n", 18)) << 0;
        QTest::newRow("invalid UTF-8")
            << bmmFile("BPM 120", "\xc3\x28\xffquarter\r\nha\xfflf C4 D4\r\n") << 0;
        QTest::newRow("many lines")
            << bmmFile("BPM 120", QByteArray("1/8 C4 D4\n").repeated(100000)) << 100000;
    }

    void badInput() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, rows);
        QTemporaryDir dir;
        AppFixture app;
        TForm1& w = app.main();
        import(app, writeTemp(dir, bytes));
        QVERIFY(app.prompts.errors.isEmpty());
        QCOMPARE(w.Memo1->count(), rows);
        QCOMPARE(w.Memo4->count(), rows);
        QCOMPARE(w.Line->count(), rows);
        QVERIFY(!w.grab().isNull());
    }
};

QTEST_MAIN(TestBmmImport)
#include "tst_bmmimport.moc"
