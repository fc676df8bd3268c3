#include "base/Errors.h"
#include "audio/PlaybackEngine.h"
#include "gui/ListBox.h"
#include "files/BmmImporter.h"
#include "base/FileAccess.h"
#include "files/MidiFile.h"
#include "files/SongFileActions.h"
#include "files/SongFormat.h"
#include "gui/OnlineLibrary.h"
#include "gui/SettingsDialog.h"
#include "gui/MainWindow.h"
#include "song/SongHistory.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QString dataFile(const QString& name) {
    return QStringLiteral(Z1RPW3RK_TEST_DATA "/zwk/") + name;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList lineNumbers(const TForm1& w) {
    return w.Line->items();
}

QStringList numbersUpTo(int n) {
    QStringList numbers;
    for (int i = 0; i < n; ++i)
        numbers << QString::number(i);
    return numbers;
}

void open(AppFixture& app, const QString& path) {
    app.prompts.fileAnswers = {path};
    // A changed song is given up when asked.
    if (app.main().history->isModified())
        app.prompts.boxAnswers = {Prompts::Answer::No};
    app.main().Oeffnen1->trigger();
}

Prompts::Answer answerFor(const QString& text) {
    if (text.startsWith(QLatin1String("Ja")))
        return Prompts::Answer::Yes;
    return text == QLatin1String("Nein") ? Prompts::Answer::No : Prompts::Answer::Cancel;
}

/// Makes a folder the working directory for one test.
class InFolder {
public:
    explicit InFolder(const QString& path) : m_previous(QDir::currentPath()) {
        QDir::setCurrent(path);
    }
    ~InFolder() { QDir::setCurrent(m_previous); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    QString m_previous;
};

void save(AppFixture& app, const QString& path) {
    app.prompts.fileAnswers = {path};
    app.main().Speichern1->trigger();
}

/// Lowers the largest file this process may write; not even root can exceed it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

class TestSongFile : public QObject {
    Q_OBJECT

private slots:
    void dialogs_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("title");
        QTest::newRow("Öffnen") << "Oeffnen1"
                                << "Z1rpW3rk - Soundtrack laden";
        QTest::newRow("Speichern") << "Speichern1"
                                   << "Z1rpW3rk - Soundtrack speichern";
    }

    void dialogs() {
        QFETCH(QString, item);
        QFETCH(QString, title);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 250 0 250"});
        clickItem(w.Memo1, 0);
        app.prompts.fileAnswers = {std::nullopt};
        w.findChild<QAction*>(item)->trigger();

        QCOMPARE(app.prompts.fileDialogs.size(), 1);
        const Prompts::FileDialog& dialog = app.prompts.fileDialogs.first();
        QCOMPARE(dialog.title, title);
        QCOMPARE(dialog.filter, QStringLiteral("Z1rpW3rk-Tracks (.zwk)|*.ZWK"));
        QCOMPARE(dialog.defaultExt, QStringLiteral(".zwk"));
        // "Öffnen" accepts a name that does not exist; "Speichern" replaces without asking.
        if (item == QLatin1String("Oeffnen1"))
            QVERIFY(!dialog.mustExist);
        else
            QVERIFY(!dialog.confirmOverwrite);
        // Cancelling changes nothing.
        QCOMPARE(songRows(w), QStringList{"440 250 0 250"});
        QCOMPARE(selections(w), (QList<int>{0, 0, 0, 0, 0}));
        QVERIFY(app.prompts.messages.isEmpty());
    }

    void load_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("error");
        const QStringList two{"440 250 0 250", "0 100 523 100"};
        const QString none;
        QTest::newRow("CR LF") << "two-lines.zwk" << two << none;
        QTest::newRow("empty file") << "empty.zwk" << QStringList{} << none;
        QTest::newRow("LF only") << "lf-only.zwk" << two << none;
        QTest::newRow("last line without end") << "no-final-line-end.zwk" << two << none;
        QTest::newRow("lone CR belongs to the line")
            << "lone-cr.zwk" << QStringList{"440 250 0 250", "0 100 523 100"} << none;
        QTest::newRow("Ctrl+Z ends the file") << "ctrl-z.zwk" << two << none;
        QTest::newRow("Ctrl+Z inside a line")
            << "ctrl-z-mid-line.zwk" << QStringList{"440 250 0 250", "0 100 523 1"} << none;
        QTest::newRow("blanks around fields") << "blanks-around.zwk" << two << none;
        QTest::newRow("fifth field ignored")
            << "fifth-field.zwk" << QStringList{"440 250 0 250"} << none;
        QTest::newRow("empty field") << "empty-field.zwk" << QStringList{"440  0 250"} << none;
        QTest::newRow("blank splits a field")
            << "blank-splits.zwk" << QStringList{"440 450 250 0"} << none;
        QTest::newRow("separator at the end adds an empty field")
            << "trailing-separator.zwk" << QStringList{"440 250 0 "} << none;
        QTest::newRow("separator and blank at the end")
            << "trailing-separator-blank.zwk" << QStringList{}
            << "Listenindex überschreitet das Maximum (3)";
        QTest::newRow("quoted fields") << "quoted.zwk" << QStringList{"4 4\"0 250|1 0 250"} << none;
        QTest::newRow("extra empty line")
            << "extra-empty-line.zwk" << two << "Listenindex überschreitet das Maximum (0)";
        QTest::newRow("short line stops the load")
            << "short-line.zwk" << QStringList{"440 250 0 250"}
            << "Listenindex überschreitet das Maximum (3)";
        QTest::newRow("blank line stops the load")
            << "blank-line.zwk" << QStringList{"440 250 0 250"}
            << "Listenindex überschreitet das Maximum (0)";
        QTest::newRow("Latin-1") << "latin1.zwk" << QStringList{QString::fromUtf8("ä 250 0 250")}
                                 << none;
        QTest::newRow("invalid UTF-8 read as Latin-1")
            << "invalid-utf8.zwk" << QStringList{QString::fromLatin1("\xc3( \xff\xfe 0 250")}
            << none;
        QTest::newRow("NUL byte kept in its field")
            << "nul-bytes.zwk"
            << QStringList{QString::fromLatin1("4\0"
                                               "40 250 0 250",
                                               14)}
            << none;
    }

    void load() {
        QFETCH(QString, file);
        QFETCH(QStringList, rows);
        QFETCH(QString, error);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"1 2 3 4", "5 6 7 8", "9 10 11 12", "13 14 15 16"});
        open(app, dataFile(file));

        QCOMPARE(songRows(w), rows);
        QCOMPARE(lineNumbers(w), numbersUpTo(int(rows.size())));
        QCOMPARE(app.prompts.errors, error.isEmpty() ? QStringList{} : QStringList{error});
    }

    // Every command that replaces the song asks about unsaved changes first, as closing does;
    // "Ja" saves first, and a save that does not happen keeps the song.
    void replacingAsks_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("newSong");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<bool>("saved");
        const QList<std::pair<const char*, QStringList>> commands = {
            {"Neu", {}},
            {"Öffnen", {"440 250 0 250", "0 100 523 100"}},
            {"Import BMM", {"277 500 294 500"}},
            {"Import MIDI", {"440 250 0 250"}},
            {"Online-Liste", {"392 600 131 600"}},
        };
        for (const auto& [command, song] : commands) {
            QTest::addRow("%s, unchanged", command) << command << false << "" << song << true
                                                    << false;
            QTest::addRow("%s, Ja", command) << command << true << "Ja" << song << true << true;
            QTest::addRow("%s, Ja, save cancelled", command)
                << command << true << "Ja, abgebrochen" << song << false << false;
            QTest::addRow("%s, Nein", command) << command << true << "Nein" << song << true
                                               << false;
            QTest::addRow("%s, Abbrechen", command)
                << command << true << "Abbrechen" << song << false << false;
        }
    }

    void replacingAsks() {
        QFETCH(QString, command);
        QFETCH(bool, changed);
        QFETCH(QString, answer);
        QFETCH(QStringList, newSong);
        QFETCH(bool, replaced);
        QFETCH(bool, saved);
        QTemporaryDir dir;
        InFolder inDir(dir.path());
        const QString savePath = dir.filePath(QStringLiteral("gesichert.zwk"));
        AppFixture app;
        TForm1& w = app.main();
        const QStringList before{"1 2 3 4", "5 6 7 8"};
        setSong(w, before);
        if (!changed)
            w.history->markClean();
        else
            app.prompts.boxAnswers = {answerFor(answer)};
        if (answer == QLatin1String("Ja"))
            app.prompts.fileAnswers = {savePath};
        else if (answer.startsWith(QLatin1String("Ja")))
            app.prompts.fileAnswers = {std::nullopt};

        if (command == QLatin1String("Neu")) {
            w.Neu1->trigger();
        } else if (command == QStringLiteral("Öffnen")) {
            app.prompts.fileAnswers.prepend(dataFile(QStringLiteral("two-lines.zwk")));
            w.Oeffnen1->trigger();
        } else if (command == QLatin1String("Import BMM")) {
            forms().Form6->cbBMMINFO->setChecked(true);
            app.prompts.fileAnswers.prepend(QStringLiteral(Z1RPW3RK_TEST_DATA "/bmm/quarter.bmm"));
            w.BleeperMusicMakerbmm1->trigger();
        } else if (command == QLatin1String("Import MIDI")) {
            const QString midi = dir.filePath(QStringLiteral("a.mid"));
            MidiFile::TrackSetup second;
            second.channel = 1;
            writeFile(midi, MidiFile::write({{69, MidiFile::kSilent, 250}}, {}, second));
            app.prompts.fileAnswers.prepend(midi);
            w.MIDIFilemidmidi1->trigger();
        } else {
            // Offline, the library opens the local copy of the song.
            writeFile(dir.filePath(QStringLiteral("Kuckuck.zwk")), "392|600|131|600\r\n");
            w.library->Memo6->add(QStringLiteral("Kuckuck"));
            clickItem(w.library->Memo6, 0);
        }

        QCOMPARE(app.prompts.texts().count(QStringLiteral("Änderungen speichern?")),
                 changed ? 1 : 0);
        QCOMPARE(songRows(w), replaced ? newSong : before);
        QCOMPARE(w.Line->count(), songRows(w).size());
        QCOMPARE(contents(savePath),
                 saved ? QByteArray("1|2|3|4\r\n5|6|7|8\r\n") : QByteArray("<missing>"));
        QVERIFY(app.prompts.errors.isEmpty());
    }

    // The save dialog proposes the song's file; another file that exists is replaced only when
    // the user agrees, else the dialog comes back.
    void saveProposesAndAsks_data() {
        QTest::addColumn<QString>("origin");
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("written");
        QTest::newRow("opened, its own file") << "opened" << "lied.zwk" << "lied.zwk" << "" << true;
        QTest::newRow("opened, another file, Ja")
            << "opened" << "lied.zwk" << "anderes.zwk" << "Ja" << true;
        QTest::newRow("opened, another file, Nein")
            << "opened" << "lied.zwk" << "anderes.zwk" << "Nein" << false;
        QTest::newRow("opened, a new file") << "opened" << "lied.zwk" << "neu.zwk" << "" << true;
        QTest::newRow("saved before, that file")
            << "saved" << "vorher.zwk" << "vorher.zwk" << "" << true;
        QTest::newRow("imported, the song file of its name")
            << "imported" << "quarter.zwk" << "quarter.zwk" << "" << true;
        QTest::newRow("new song, an existing file, Ja")
            << "new" << "" << "lied.zwk" << "Ja" << true;
        QTest::newRow("opened with a short line, that file, Nein")
            << "short line" << "lied.zwk" << "lied.zwk" << "Nein" << false;
    }

    void saveProposesAndAsks() {
        QFETCH(QString, origin);
        QFETCH(QString, proposed);
        QFETCH(QString, chosen);
        QFETCH(QString, answer);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString lied = dir.filePath(QStringLiteral("lied.zwk"));
        writeFile(lied, origin == QLatin1String("short line") ? "1|2|3|4\r\n\r\n5|6|7|8\r\n"
                                                               : "1|2|3|4\r\n");
        writeFile(dir.filePath(QStringLiteral("anderes.zwk")), "9|9|9|9\r\n");
        AppFixture app;
        TForm1& w = app.main();
        if (origin == QLatin1String("opened") || origin == QLatin1String("short line")) {
            open(app, lied);
        } else if (origin == QLatin1String("saved")) {
            setSong(w, {"1 2 3 4"});
            save(app, dir.filePath(QStringLiteral("vorher.zwk")));
        } else if (origin == QLatin1String("imported")) {
            const QString bmm = dir.filePath(QStringLiteral("quarter.bmm"));
            QVERIFY(QFile::copy(QStringLiteral(Z1RPW3RK_TEST_DATA "/bmm/quarter.bmm"), bmm));
            w.bmmImport->importFile(bmm);
        }
        // The song changes without becoming a new one.
        for (ListBox* list : {w.Memo1, w.Memo2, w.Memo3, w.Memo4}) {
            if (list->count() == 0)
                list->add(QStringLiteral("7"));
            list->setItem(0, QStringLiteral("7"));
        }
        const QString target = dir.filePath(chosen);
        const QByteArray old = contents(target);
        app.prompts.messages.clear();
        app.prompts.errors.clear();
        const qsizetype dialogs = app.prompts.fileDialogs.size();
        app.prompts.fileAnswers = {target, std::nullopt};
        if (!answer.isEmpty())
            app.prompts.boxAnswers = {answerFor(answer)};
        w.Speichern1->trigger();

        QCOMPARE(app.prompts.fileDialogs.at(dialogs).fileName,
                 proposed.isEmpty() ? QString() : dir.filePath(proposed));
        QCOMPARE(app.prompts.texts(), answer.isEmpty() ? QStringList{}
                                                       : QStringList{replaceFileQuestion(target)});
        QCOMPARE(contents(target), written ? QByteArray("7|7|7|7\r\n") : old);
        // "Nein" shows the dialog again with the name chosen.
        QCOMPARE(app.prompts.fileDialogs.size(), dialogs + (answer == QLatin1String("Nein") ? 2 : 1));
        if (answer == QLatin1String("Nein"))
            QCOMPARE(app.prompts.fileDialogs.last().fileName, target);
    }

    void loadLeavesTheRestAlone() {
        AppFixture app;
        TForm1& w = app.main();
        w.edFreq1->setText(QStringLiteral("123"));
        w.edLengh->setText(QStringLiteral("77"));
        QTest::keyClick(&w, Qt::Key_F2);
        const QString caption = w.windowTitle();
        w.LoadSongFile(dataFile(QStringLiteral("two-lines.zwk")));
        QCOMPARE(songRows(w).size(), 2);
        QCOMPARE(w.edFreq1->text(), QStringLiteral("123"));
        QCOMPARE(w.edLengh->text(), QStringLiteral("77"));
        QVERIFY(w.rgASpurItem1->isChecked());
        QVERIFY(!w.trackOneActive());
        QCOMPARE(w.windowTitle(), caption);
        QCOMPARE(selections(w), (QList<int>{-1, -1, -1, -1, -1}));
    }

    // Loading stops the tone engine's stepping, whatever the file holds, and nothing else of
    // the playback state.
    void loadStopsToneTimer_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("song") << dataFile(QStringLiteral("two-lines.zwk"));
        QTest::newRow("short line") << dataFile(QStringLiteral("short-line.zwk"));
        QTest::newRow("missing file") << dataFile(QStringLiteral("missing.zwk"));
    }

    void loadStopsToneTimer() {
        QFETCH(QString, file);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 250 0 250", "0 100 523 100"});
        w.playback->PlayStopped = false;
        const QString caption = w.btplay->text();
        w.playback->Timer1->start(100000);
        open(app, file);
        QVERIFY(!w.playback->Timer1->isActive());
        QVERIFY(!w.playback->PlayStopped);
        QCOMPARE(w.btplay->text(), caption);
    }

    void loadFailure_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing file") << "missing"
                                      << "Datei nicht gefunden";
        QTest::newRow("folder") << "folder"
                                << "Dateizugriff verweigert";
        QTest::newRow("parent is a file") << "under-file"
                                          << "Ungültiger Dateiname";
        QTest::newRow("named pipe") << "fifo"
                                    << "Dateizugriff verweigert";
        QTest::newRow("device") << "device"
                                << "Dateizugriff verweigert";
        QTest::newRow("empty name") << "empty"
                                    << "Ungültiger Dateiname";
        QTest::newRow("larger than any song") << "too-large"
                                              << "Datei zu groß (mehr als 256 MB)";
        QTest::newRow("more lines than any song") << "too-many-lines"
                                                  << "Datei zu groß (mehr als 2.000.000 Zeilen)";
    }

    void loadFailure() {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("song.zwk"));
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("song.zwk")));
        } else if (kind == QLatin1String("under-file")) {
            writeFile(dir.filePath(QStringLiteral("plain")), "x");
            path = dir.filePath(QStringLiteral("plain/song.zwk"));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("device")) {
            path = QStringLiteral("/dev/zero");
        } else if (kind == QLatin1String("empty")) {
            path.clear();
        } else if (kind == QLatin1String("too-large")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(SongFormat::kMaxFileSize + 1)); // sparse: no time, no space
        } else if (kind == QLatin1String("too-many-lines")) {
            // The shortest lines there are, one more than a song may have.
            writeFile(path, QByteArray("|||\n").repeated(SongFormat::kMaxLines + 1));
        }
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"1 2 3 4", "5 6 7 8"});
        open(app, path);

        // The message names the file, and the song stays as it was.
        QCOMPARE(app.prompts.errors,
                 QStringList{path.isEmpty() ? error
                                            : error + QStringLiteral(": ") +
                                                  QDir::toNativeSeparators(path)});
        QCOMPARE(songRows(w), (QStringList{"1 2 3 4", "5 6 7 8"}));
        QCOMPARE(w.Line->count(), 2);
    }

    // What the user reads for a failure the system reports.
    void errorTexts_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("no such file") << ENOENT << "Datei nicht gefunden";
        QTest::newRow("name too long") << ENAMETOOLONG << "Ungültiger Dateiname";
        QTest::newRow("not a folder on the way") << ENOTDIR << "Ungültiger Dateiname";
        QTest::newRow("no permission") << EACCES << "Dateizugriff verweigert";
        QTest::newRow("read-only file system") << EROFS << "Dateizugriff verweigert";
        QTest::newRow("disk full") << ENOSPC << "Zu wenig Speicherplatz";
        QTest::newRow("input/output failure") << EIO << "E/A-Fehler 1117";
        QTest::newRow("folder not empty") << ENOTEMPTY << "E/A-Fehler 1117";
        QTest::newRow("other number kept") << EXDEV << QStringLiteral("E/A-Fehler %1").arg(EXDEV);
    }

    void errorTexts() {
        QFETCH(int, error);
        QFETCH(QString, text);
        QCOMPARE(EInOutError(FileAccess::codeForErrno(error)).message(), text);
    }

    void sizeLimit_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("error");
        constexpr qint64 kLimit = 1024 * 1024;
        QTest::newRow("one byte below") << kLimit - 1 << QString();
        QTest::newRow("exactly the limit") << kLimit << QString();
        QTest::newRow("one byte more") << kLimit + 1 << "Datei zu groß (mehr als 1 MB)";
    }

    void sizeLimit() {
        // A file of exactly the largest size is read whole; one byte more is refused.
        QFETCH(qint64, size);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("file"));
        writeFile(path, QByteArray(size, 'x'));
        try {
            QCOMPARE(FileAccess::readAll(path, 1024 * 1024).size(), size);
            QVERIFY(error.isEmpty());
        } catch (const AppError& e) {
            QCOMPARE(e.message(), error);
        }
    }

    void lineLimit_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qsizetype>("lines");
        QTest::addColumn<QString>("error");
        const qsizetype max = SongFormat::kMaxLines;
        const QString tooMany = QStringLiteral("Datei zu groß (mehr als 2.000.000 Zeilen)");
        QTest::newRow("one line more, LF")
            << QByteArray("|||\n").repeated(max + 1) << qsizetype(0) << tooMany;
        QTest::newRow("one line more, CR LF")
            << QByteArray("|||\r\n").repeated(max + 1) << qsizetype(0) << tooMany;
        QTest::newRow("one line more, the last without line end")
            << QByteArray("|||\n").repeated(max) + "|||" << qsizetype(0) << tooMany;
        QTest::newRow("the most lines, then Ctrl+Z and more")
            << QByteArray("|||\n").repeated(max) + "\x1a" + QByteArray("|||\n").repeated(9)
            << max << QString();
    }

    void lineLimit() {
        QFETCH(QByteArray, bytes);
        QFETCH(qsizetype, lines);
        QFETCH(QString, error);
        try {
            const SongFormat::ReadResult result = SongFormat::read(bytes);
            QCOMPARE(result.song.freq1.size(), lines);
            QCOMPARE(result.song.dur2.size(), lines);
            QVERIFY(!result.shortLineFields);
            QVERIFY(error.isEmpty());
        } catch (const AppError& e) {
            QCOMPARE(e.message(), error);
        }
    }

    void saveBytes_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("two lines") << QStringList{"440 250 0 250", "0 100 523 100"}
                                   << QByteArray("440|250|0|250\r\n0|100|523|100\r\n");
        QTest::newRow("empty song") << QStringList{} << QByteArray();
        QTest::newRow("items stored as they stand")
            << QStringList{" 7 x 0x1F -3"} << QByteArray("|7|x|0x1F\r\n");
    }

    void saveBytes() {
        QFETCH(QStringList, rows);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.zwk"));
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, rows);
        save(app, path);
        QVERIFY(app.prompts.errors.isEmpty());
        QCOMPARE(contents(path), bytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.zwk"});
    }

    void saveAndOpenAgain() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("again.zwk"));
        AppFixture app;
        TForm1& w = app.main();
        open(app, dataFile(QStringLiteral("blanks-around.zwk")));
        const QStringList loaded = songRows(w);
        save(app, path);
        QCOMPARE(contents(path), contents(dataFile(QStringLiteral("two-lines.zwk"))));
        w.Neu1Click();
        open(app, path);
        QCOMPARE(songRows(w), loaded);
        // Saving over an existing file replaces it.
        setSong(w, {"1 2 3 4"});
        save(app, path);
        QCOMPARE(contents(path), QByteArray("1|2|3|4\r\n"));
    }

    void itemWithSeparatorDoesNotReadBack() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("odd.zwk"));
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 250 0 250"});
        w.Memo1->setItem(0, QStringLiteral("4|4"));
        w.Memo2->setItem(0, QStringLiteral("2 5"));
        save(app, path);
        QCOMPARE(contents(path), QByteArray("4|4|2 5|0|250\r\n"));
        open(app, path);
        QCOMPARE(songRows(w), QStringList{"4 4 2 5"});
    }

    void unequalTracks_data() {
        QTest::addColumn<int>("list");
        QTest::addColumn<int>("delta");
        QTest::newRow("Memo3 one shorter") << 3 << -1;
        QTest::newRow("Memo2 one shorter") << 2 << -1;
        QTest::newRow("Memo4 one longer") << 4 << 1;
        QTest::newRow("Memo1 one longer") << 1 << 1;
    }

    void unequalTracks() {
        QFETCH(int, list);
        QFETCH(int, delta);
        QTemporaryDir dir;
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 250 0 250", "0 100 523 100"});
        ListBox* lists[] = {w.Memo1, w.Memo2, w.Memo3, w.Memo4};
        if (delta < 0)
            lists[list - 1]->remove(1);
        else
            lists[list - 1]->add(QStringLiteral("9"));
        w.Speichern1->trigger();

        QVERIFY(app.prompts.fileDialogs.isEmpty());
        QCOMPARE(app.prompts.messages.size(), 1);
        QCOMPARE(app.prompts.messages[0].text, QStringLiteral("Fehler im Track"));
        QCOMPARE(app.prompts.messages[0].caption, QStringLiteral("Z1rpW3rk"));
        QCOMPARE(app.prompts.messages[0].icon, Prompts::Icon::Warning);
        QVERIFY(app.prompts.errors.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{});
    }

    void failedSaveKeepsOldFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error");
        QTest::newRow("parent is a file") << "under-file"
                                          << "Ungültiger Dateiname";
        QTest::newRow("missing folder") << "missing-folder"
                                        << "Ungültiger Dateiname";
        QTest::newRow("folder in place of the file") << "folder"
                                                     << "Dateizugriff verweigert";
        QTest::newRow("file size limit reached") << "limit"
                                                 << "Zu wenig Speicherplatz";
        QTest::newRow("empty name") << "empty"
                                    << "Ungültiger Dateiname";
    }

    void failedSaveKeepsOldFile() {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QByteArray old("1|2|3|4\r\n");
        const QString oldPath = dir.filePath(QStringLiteral("old.zwk"));
        writeFile(oldPath, old);
        QString path = oldPath;
        if (kind == QLatin1String("under-file"))
            path = dir.filePath(QStringLiteral("old.zwk/new.zwk"));
        else if (kind == QLatin1String("missing-folder"))
            path = dir.filePath(QStringLiteral("nowhere/new.zwk"));
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir(dir.path()).mkdir(path = dir.filePath(QStringLiteral("songs"))));
        else if (kind == QLatin1String("empty"))
            path.clear();

        AppFixture app;
        TForm1& w = app.main();
        // Large enough that the limit strikes in the middle of writing.
        QStringList rows;
        for (int i = 0; i < 2000; ++i)
            rows << QStringLiteral("440 250 0 %1").arg(i);
        setSong(w, rows);
        if (kind == QLatin1String("limit")) {
            const FileSizeLimit limit(4096);
            save(app, path);
        } else {
            save(app, path);
        }

        QCOMPARE(app.prompts.errors, QStringList{error});
        QCOMPARE(contents(oldPath), old);
        // No temporary file is left behind.
        const QStringList expected = kind == QLatin1String("folder")
                                         ? QStringList{"old.zwk", "songs"}
                                         : QStringList{"old.zwk"};
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 expected);
        QCOMPARE(songRows(w).size(), 2000);
    }

    void badInput_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("error");
        const QByteArray big(10 * 1024 * 1024, 'x');
        QTest::newRow("10 MB field at the end of a line")
            << QByteArray("1|2|3|4|" + big + "\r\n5|6|7|8\r\n") << QStringList{"1 2 3 4", "5 6 7 8"}
            << QString();
        QTest::newRow("10 MB line of one field") << QByteArray(big + "\r\n") << QStringList{}
                                                 << "Listenindex überschreitet das Maximum (1)";
        QTest::newRow("no line ends")
            << QByteArray("1|2|3|4 ").repeated(1 << 20) << QStringList{"1 2 3 4"} << QString();
        QTest::newRow("only NUL bytes") << QByteArray(4096, '\0') << QStringList{}
                                        << "Listenindex überschreitet das Maximum (1)";
        QByteArray allBytes;
        for (int b = 0; b < 256; ++b)
            allBytes.append(char(b));
        QTest::newRow("every byte value")
            << allBytes << QStringList{} << "Listenindex überschreitet das Maximum (1)";
    }

    void badInput() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.zwk"));
        writeFile(path, bytes);
        AppFixture app;
        TForm1& w = app.main();
        open(app, path);
        QCOMPARE(songRows(w), rows);
        QCOMPARE(lineNumbers(w), numbersUpTo(int(rows.size())));
        QCOMPARE(app.prompts.errors, error.isEmpty() ? QStringList{} : QStringList{error});
    }

    void hugeItemDrawsItsBeginning() {
        // A 10 MB item is kept whole but drawn by its beginning only, so repainting the
        // lists stays quick however long the item is.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("huge.zwk"));
        writeFile(path, QByteArray(10 * 1024 * 1024, '7') + "|250|0|250\r\n");
        AppFixture app;
        TForm1& w = app.main();
        open(app, path);
        QVERIFY(app.prompts.errors.isEmpty());
        QCOMPARE(w.Memo1->count(), 1);
        QCOMPARE(w.Memo1->item(0).size(), 10 * 1024 * 1024);

        QStyleOptionViewItem option;
        option.initFrom(w.Memo1);
        const QModelIndex index = w.Memo1->model()->index(0, 0);
        const int width = w.Memo1->itemDelegate()->sizeHint(option, index).width();
        QVERIFY2(width <= 300 * w.Memo1->fontMetrics().maxWidth(),
                 qPrintable(QString::number(width)));
        QVERIFY(!w.grab().isNull());
    }

    void randomBytes_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u, 4u, 5u})
            QTest::addRow("seed %u", seed) << seed;
    }

    void randomBytes() {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        QByteArray bytes(256 * 1024, Qt::Uninitialized);
        for (char& b : bytes)
            b = char(random.bounded(256));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("random.zwk"));
        writeFile(path, bytes);
        AppFixture app;
        TForm1& w = app.main();
        open(app, path);
        // Whatever the bytes, the song stays consistent and at most one message is shown.
        const int n = w.Memo1->count();
        QCOMPARE(w.Memo2->count(), n);
        QCOMPARE(w.Memo3->count(), n);
        QCOMPARE(w.Memo4->count(), n);
        QCOMPARE(lineNumbers(w), numbersUpTo(n));
        QVERIFY(app.prompts.errors.size() <= 1);
        for (const QString& e : app.prompts.errors)
            QVERIFY2(e.startsWith(QStringLiteral("Listenindex überschreitet das Maximum (")),
                     qPrintable(e));
    }
};

QTEST_MAIN(TestSongFile)
#include "tst_songfile.moc"
