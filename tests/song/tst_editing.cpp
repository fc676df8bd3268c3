#include "files/RecentFiles.h"
#include "gui/EditCommands.h"
#include "gui/ListBox.h"
#include "gui/MainWindow.h"
#include "song/NoteTable.h"
#include "song/SongEntry.h"
#include "song/SongHistory.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList kSong{"440 100 0 100", "523 200 262 200", "0 50 0 50", "660 120 330 120"};

/// "f1 d1 f2 d2;…" as the song file writes it.
QByteArray fileBytes(const QString& rows) {
    QByteArray bytes;
    for (const QString& row : rows.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        bytes += row.toLatin1().replace(' ', '|') + "\r\n";
    return bytes;
}

QByteArray saved(AppFixture& app, const QString& path) {
    app.prompts.fileAnswers = {path};
    app.main().Speichern1->trigger();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
}

/// Selects as a user does: "one" clicks line 1, "several" adds lines 2 and 3 with Shift,
/// "all" clicks line 1 and presses Ctrl+A; the empty song selects nothing.
void select(TForm1& w, const QString& how) {
    if (how == QLatin1String("empty"))
        return;
    clickItem(w.Memo1, 1);
    if (how == QLatin1String("several")) {
        QTest::mouseClick(w.Memo2->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          w.Memo2->itemRect(3).center());
    } else if (how == QLatin1String("all")) {
        w.Memo3->setFocus();
        QTest::keyClick(w.Memo3, Qt::Key_A, Qt::ControlModifier);
    }
}

} // namespace

class TestEditing : public QObject {
    Q_OBJECT

private slots:
    // Every command on one line, several, all and an empty song; the saved file after the
    // command, after undo (the song as before) and after redo.
    void commands_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("after");
        const int ctrl = Qt::ControlModifier;
        const int alt = Qt::AltModifier;
        const auto rows = [&](const char* name, int key, int modifiers,
                              const QStringList& afters) {
            const QStringList how{"one", "several", "all", "empty"};
            for (int i = 0; i < 4; ++i)
                QTest::addRow("%s, %s", name, qPrintable(how[i]))
                    << key << modifiers << how[i] << afters[i];
        };
        rows("delete", Qt::Key_Delete, 0,
             {"440 100 0 100;0 50 0 50;660 120 330 120", "440 100 0 100", "", ""});
        rows("cut", Qt::Key_X, ctrl,
             {"440 100 0 100;0 50 0 50;660 120 330 120", "440 100 0 100", "", ""});
        rows("insert", Qt::Key_Insert, 0,
             {"440 100 0 100;330 80 0 80;523 200 262 200;0 50 0 50;660 120 330 120",
              "440 100 0 100;523 200 262 200;0 50 0 50;330 80 0 80;660 120 330 120",
              "440 100 0 100;330 80 0 80;523 200 262 200;0 50 0 50;660 120 330 120",
              "330 80 0 80"});
        rows("paste", Qt::Key_V, ctrl,
             {"440 100 0 100;100 10 200 10;523 20 0 20;523 200 262 200;0 50 0 50;660 120 330 120",
              "440 100 0 100;523 200 262 200;0 50 0 50;100 10 200 10;523 20 0 20;660 120 330 120",
              "440 100 0 100;100 10 200 10;523 20 0 20;523 200 262 200;0 50 0 50;660 120 330 120",
              "100 10 200 10;523 20 0 20"});
        rows("move up", Qt::Key_Up, alt,
             {"523 200 262 200;440 100 0 100;0 50 0 50;660 120 330 120",
              "523 200 262 200;0 50 0 50;660 120 330 120;440 100 0 100", "", ""});
        rows("move down", Qt::Key_Down, alt,
             {"440 100 0 100;0 50 0 50;523 200 262 200;660 120 330 120", "", "", ""});
        rows("semitone up", Qt::Key_Up, ctrl,
             {"440 100 0 100;554 200 277 200;0 50 0 50;660 120 330 120",
              "440 100 0 100;554 200 277 200;0 50 0 50;699 120 350 120",
              "466 100 0 100;554 200 277 200;0 50 0 50;699 120 350 120", ""});
        rows("octave down", Qt::Key_Down, ctrl | Qt::ShiftModifier,
             {"440 100 0 100;262 200 131 200;0 50 0 50;660 120 330 120",
              "440 100 0 100;262 200 131 200;0 50 0 50;330 120 165 120",
              "220 100 0 100;262 200 131 200;0 50 0 50;330 120 165 120", ""});
    }

    void commands() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, selection);
        QFETCH(QString, after);
        AppFixture app;
        TForm1& w = app.main();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("song.zwk"));
        const bool empty = selection == QLatin1String("empty");
        setSong(w, empty ? QStringList() : kSong);
        w.edFreq1->setText(QStringLiteral("E4"));
        w.edLengh->setText(QStringLiteral("80"));
        QApplication::clipboard()->setText(QStringLiteral("100|10|200|10\r\nC5|20|0|20\r\n"));
        w.history->restart();
        const QByteArray before = saved(app, path);
        select(w, selection);
        w.Memo1->setFocus();
        QTest::keyClick(w.Memo1, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        w.history->commit();
        // A command that cannot act (nothing selected, no room to move) changes nothing.
        const bool removes = key == Qt::Key_Delete || key == Qt::Key_X;
        const QByteArray expected =
            after.isEmpty() && (empty || !removes) ? before : fileBytes(after);
        QCOMPARE(app.prompts.texts(), QStringList());
        QCOMPARE(saved(app, path), expected);
        // A saved song is one of the recent files.
        QCOMPARE(w.recentFiles->files().value(0), QFileInfo(path).absoluteFilePath());
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(saved(app, path), before);
        QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(saved(app, path), expected);
    }

    void clipboardAndForeignText_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("message");
        QTest::newRow("prose") << "Lieber Hans,\ndanke für die Noten."
                               << "Der Text ist keine Liedzeile (f1|d1|f2|d2): Zeile 1: "
                                  "'Lieber Hans,'";
        QTest::newRow("second line bad") << "440|100|0|100\r\nabc|1|2|3"
                                         << "Der Text ist keine Liedzeile (f1|d1|f2|d2): Zeile 2: "
                                            "'abc|1|2|3'";
        QTest::newRow("three fields") << "440|100|0"
                                      << "Der Text ist keine Liedzeile (f1|d1|f2|d2): Zeile 1: "
                                         "'440|100|0'";
    }

    // Copied lines are the song file's lines; foreign text is refused and changes nothing.
    void clipboardAndForeignText() {
        QFETCH(QString, pasted);
        QFETCH(QString, message);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, kSong);
        select(w, QStringLiteral("several"));
        w.Memo1->setFocus();
        QTest::keyClick(w.Memo1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("523|200|262|200\r\n0|50|0|50\r\n660|120|330|120\r\n"));
        QApplication::clipboard()->setText(pasted);
        const int steps = (w.history->commit(), w.history->undoCount());
        QTest::keyClick(w.Memo1, Qt::Key_V, Qt::ControlModifier);
        w.history->commit();
        QCOMPARE(app.prompts.texts(), QStringList{message});
        QCOMPARE(songRows(w), kSong);
        QCOMPARE(w.history->undoCount(), steps);
    }

    void noteNames_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("frequency"); // empty: refused
        QTest::newRow("E4") << "E4" << "330";
        QTest::newRow("lower case") << "e4" << "330";
        QTest::newRow("sharp") << "A#3" << "233";
        QTest::newRow("flat") << "Bb2" << "117";
        QTest::newRow("German H") << "H4" << "494";
        QTest::newRow("English B") << "B4" << "494";
        QTest::newRow("the table's own form") << "E-4" << "330";
        QTest::newRow("flat across the octave") << "Cb5" << "494";
        QTest::newRow("lowest") << "C0" << "16";
        QTest::newRow("highest") << "A9" << "14080";
        QTest::newRow("above the table") << "A#9" << "";
        QTest::newRow("below the table") << "Cb0" << "";
        QTest::newRow("no such note") << "Q4" << "";
        QTest::newRow("no octave") << "E" << "";
        QTest::newRow("digits as typed") << "$1B8" << "$1B8";
        QTest::newRow("fraction") << "440.5" << "";
        QTest::newRow("negative") << "-100" << "";
        QTest::newRow("too high") << "32768" << "";
    }

    void noteNames() {
        QFETCH(QString, text);
        QFETCH(QString, frequency);
        QCOMPARE(SongEntry::frequency(NoteTable::stored(), text).value_or(QString()), frequency);
    }

    // A field that holds neither a number in range nor a note name adds nothing and says why.
    void entryChecks_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters") << "edFreq1" << "abc"
                                 << "Frequenz Spur 1: 'abc' ist weder eine ganze Zahl von 0 bis "
                                    "32767 noch ein Notenname wie A4, C#5, Bb3 oder H4";
        QTest::newRow("empty track 2") << "edFreq2" << ""
                                       << "Frequenz Spur 2: '' ist weder eine ganze Zahl von 0 "
                                          "bis 32767 noch ein Notenname wie A4, C#5, Bb3 oder H4";
        QTest::newRow("negative duration")
            << "edLengh" << "-100" << "Dauer: '-100' ist keine ganze Zahl von 0 bis 3600000 "
                                      "(Millisekunden)";
    }

    void entryChecks() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, kSong);
        clickItem(w.Memo1, 1);
        w.findChild<QLineEdit*>(field)->setText(text);
        w.btadd->click();
        w.editCommands->Einfuegen1->trigger();
        QCOMPARE(app.prompts.texts(), QStringList({message, message}));
        QCOMPARE(songRows(w), kSong);
    }
};

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
