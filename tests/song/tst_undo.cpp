#include "base/ListBox.h"
#include "files/BmmImporter.h"
#include "files/SongFileActions.h"
#include "song/CloseQuestion.h"
#include "song/ExtraMenu.h"
#include "song/Forms.h"
#include "song/LineEditor.h"
#include "song/MainWindow.h"
#include "song/SongHistory.h"
#include "song/SpeedPitchDialog.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"
#include "tools/GeneratorPanels.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList kSong{"440 100 0 100", "523 200 262 200", "0 50 0 50", "660 120 330 120"};

enum class Command {
    Add,
    LineEditor,
    Delete,
    Swap,
    SwapTracks,
    DualTrack,
    ClearTrack,
    Speed,
    Pitch,
    Shredder,
    Wave,
    ImportBmm,
    ImportMidi,
    New,
    Open
};

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

/// The whole visible state: the five lists and the five selections.
QStringList state(const TForm1& w) {
    QStringList out = songRows(w);
    out << QStringLiteral("lines: ") + w.Line->items().join(QLatin1Char(','));
    QStringList sel;
    for (int i : selections(w))
        sel << QString::number(i);
    out << QStringLiteral("selected: ") + sel.join(QLatin1Char(','));
    return out;
}

void run(AppFixture& app, Command command, const QTemporaryDir& dir) {
    TForm1& w = app.main();
    switch (command) {
    case Command::Add:
        w.edFreq1->setText(QStringLiteral("880"));
        w.edLengh->setText(QStringLiteral("75"));
        w.btadd->click();
        break;
    case Command::LineEditor:
        app.prompts.onModal = [](QDialog&) {
            TForm2& editor = *forms().Form2;
            editor.edFreq1->setText(QStringLiteral("1234"));
            editor.edDauer2->setText(QStringLiteral("77"));
            editor.btOk->click();
            return int(QDialog::Accepted);
        };
        w.btAendern->click();
        break;
    case Command::Delete:
        w.btloeschen->click();
        break;
    case Command::Swap:
        w.btTauschen->click();
        break;
    case Command::SwapTracks:
        w.Spurentauschen1->trigger();
        break;
    case Command::DualTrack:
        w.Spur11->trigger();
        break;
    case Command::ClearTrack:
        w.Spur22->trigger();
        break;
    case Command::Speed:
        app.prompts.inputAnswers = {QStringLiteral("150")};
        w.Geschwindigkeitndern1->trigger();
        break;
    case Command::Pitch:
        app.prompts.onModal = [](QDialog&) {
            TForm11& dialog = *forms().Form11;
            dialog.Label1->setText(QStringLiteral("1"));
            dialog.CheckBox1->setChecked(true);
            dialog.CheckBox2->setChecked(false);
            return int(QDialog::Accepted);
        };
        w.Oktavendern1->trigger();
        break;
    case Command::Shredder:
        w.generators->ButtonSchredder->click();
        break;
    case Command::Wave:
        w.generators->btokwelle->click();
        break;
    case Command::ImportBmm: {
        const QString path = dir.filePath(QStringLiteral("a.bmm"));
        writeFile(path, "Bleeper Music Maker\r\nRev 1\r\nBPM 120\r\n//Length Note1 Note2\r\n"
                        "quarter A4 C4\r\neighth C5 -\r\n");
        app.prompts.fileAnswers = {path};
        app.giveUpChanges();
        w.BleeperMusicMakerbmm1->trigger();
        break;
    }
    case Command::ImportMidi: {
        const QString path = dir.filePath(QStringLiteral("a.mid"));
        writeFile(path, QByteArray::fromHex("4D546864000000060000000100604D54726B0000000C"
                                            "0090456460804540 00FF2F00"));
        app.prompts.fileAnswers = {path};
        app.giveUpChanges();
        w.MIDIFilemidmidi1->trigger();
        break;
    }
    case Command::New:
        app.giveUpChanges();
        w.Neu1->trigger();
        break;
    case Command::Open: {
        const QString path = dir.filePath(QStringLiteral("a.zwk"));
        writeFile(path, "100|10|200|10\r\n300|30|400|30\r\n");
        app.prompts.fileAnswers = {path};
        app.giveUpChanges();
        w.Oeffnen1->trigger();
        break;
    }
    }
}

void settle() {
    // Steps close when control returns to the event loop.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace

Q_DECLARE_METATYPE(Command)

class TestUndo : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { CloseQuestion::setQuiet(false); }

    void everyCommandIsOneStep_data() {
        QTest::addColumn<Command>("command");
        QTest::newRow("Ton hinzufügen") << Command::Add;
        QTest::newRow("line editor OK") << Command::LineEditor;
        QTest::newRow("Löschen") << Command::Delete;
        QTest::newRow("Tauschen") << Command::Swap;
        QTest::newRow("Spuren tauschen") << Command::SwapTracks;
        QTest::newRow("Dual-Spur") << Command::DualTrack;
        QTest::newRow("Spur Löschen") << Command::ClearTrack;
        QTest::newRow("Geschwindigkeit") << Command::Speed;
        QTest::newRow("Tonhöhe") << Command::Pitch;
        QTest::newRow("Schredder") << Command::Shredder;
        QTest::newRow("Welle") << Command::Wave;
        QTest::newRow("Import .bmm") << Command::ImportBmm;
        QTest::newRow("Import MIDI") << Command::ImportMidi;
        QTest::newRow("Neu") << Command::New;
        QTest::newRow("Öffnen") << Command::Open;
    }
    void everyCommandIsOneStep() {
        QFETCH(Command, command);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, kSong);
        clickItem(w.Memo1, 1);
        settle();
        const int stepsBefore = w.history->undoCount();
        const QStringList before = state(w);
        QTemporaryDir dir;
        run(app, command, dir);
        settle();
        QCOMPARE(app.prompts.errors, QStringList());
        const QStringList after = state(w);
        QVERIFY(after != before);
        QCOMPARE(w.history->undoCount(), stepsBefore + 1);
        QVERIFY(w.extraMenu->Rueckgaengig1->isEnabled());

        w.extraMenu->Rueckgaengig1->trigger();
        QCOMPARE(state(w), before);
        QVERIFY(w.extraMenu->Wiederholen1->isEnabled());
        w.extraMenu->Wiederholen1->trigger();
        QCOMPARE(state(w), after);
        QVERIFY(!w.extraMenu->Wiederholen1->isEnabled());
    }

    void keysAfterShredder_data() {
        QTest::addColumn<int>("redoModifiers");
        QTest::addColumn<int>("redoKey");
        QTest::newRow("Ctrl+Y") << int(Qt::ControlModifier) << int(Qt::Key_Y);
        QTest::newRow("Ctrl+Shift+Z")
            << int(Qt::ControlModifier | Qt::ShiftModifier) << int(Qt::Key_Z);
    }
    void keysAfterShredder() {
        QFETCH(int, redoModifiers);
        QFETCH(int, redoKey);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, kSong);
        settle();
        const QStringList before = songRows(w);
        w.generators->ButtonSchredder->click();
        settle();
        const QStringList shredded = songRows(w);
        QVERIFY(shredded.size() > before.size());
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(songRows(w), before);
        QTest::keyClick(&w, Qt::Key(redoKey), Qt::KeyboardModifiers(redoModifiers));
        QCOMPARE(songRows(w), shredded);
    }

    void stepsGoBackInOrder() {
        AppFixture app;
        TForm1& w = app.main();
        QList<QStringList> states;
        states.append(state(w));
        for (const char* f : {"100", "200", "300"}) {
            w.edFreq1->setText(QString::fromLatin1(f));
            w.btadd->click();
            settle();
            states.append(state(w));
        }
        for (int i = 2; i >= 0; --i) {
            w.history->undo();
            QCOMPARE(state(w), states[i]);
        }
        QVERIFY(!w.extraMenu->Rueckgaengig1->isEnabled());
        w.history->redo();
        w.history->redo();
        QCOMPARE(state(w), states[2]);
        // A new command after an undo drops what could have been redone.
        w.history->undo();
        w.edFreq1->setText(QStringLiteral("999"));
        w.btadd->click();
        settle();
        QVERIFY(!w.history->canRedo());
        QCOMPARE(songRows(w).last(), QStringLiteral("999 100 0 100"));
    }

    void closingAsksAboutChanges_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QList<Prompts::Answer>>("answers");
        QTest::addColumn<bool>("saveChosen");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("written");
        using A = Prompts::Answer;
        QTest::newRow("unchanged song") << "" << QList<A>{} << false << false << true << false;
        QTest::newRow("changed, Nein")
            << "add" << QList<A>{A::No} << false << true << true << false;
        QTest::newRow("changed, Abbrechen")
            << "add" << QList<A>{A::Cancel} << false << true << false << false;
        QTest::newRow("changed, Ja, save dialog cancelled")
            << "add" << QList<A>{A::Yes} << false << true << false << false;
        QTest::newRow("changed, Ja, saved")
            << "add" << QList<A>{A::Yes} << true << true << true << true;
        QTest::newRow("saved after the change")
            << "add,save" << QList<A>{} << false << false << true << false;
        QTest::newRow("opened") << "open" << QList<A>{} << false << false << true << false;
        QTest::newRow("opened, changed, undone")
            << "open,add,undo" << QList<A>{} << false << false << true << false;
        QTest::newRow("imported") << "import" << QList<A>{A::No} << false << true << true << false;
        QTest::newRow("quiet close after a signal")
            << "add,quiet" << QList<A>{} << false << false << true << false;
    }
    void closingAsksAboutChanges() {
        QFETCH(QString, before);
        QFETCH(QList<Prompts::Answer>, answers);
        QFETCH(bool, saveChosen);
        QFETCH(bool, asked);
        QFETCH(bool, closed);
        QFETCH(bool, written);
        AppFixture app;
        TForm1& w = app.main();
        QTemporaryDir dir;
        const QString song = dir.filePath(QStringLiteral("song.zwk"));
        writeFile(song, "440|100|0|100\r\n");
        const QString target = dir.filePath(QStringLiteral("saved.zwk"));
        for (const QString& step : before.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            if (step == QLatin1String("add")) {
                w.btadd->click();
            } else if (step == QLatin1String("save")) {
                app.prompts.fileAnswers = {dir.filePath(QStringLiteral("first.zwk"))};
                w.Speichern1->trigger();
            } else if (step == QLatin1String("open")) {
                app.prompts.fileAnswers = {song};
                w.Oeffnen1->trigger();
            } else if (step == QLatin1String("import")) {
                const QString bmm = dir.filePath(QStringLiteral("a.bmm"));
                writeFile(bmm, "Bleeper Music Maker\r\nRev 1\r\nBPM 120\r\n"
                               "//Length Note1 Note2\r\nquarter A4 C4\r\n");
                app.prompts.fileAnswers = {bmm};
                w.BleeperMusicMakerbmm1->trigger();
            } else if (step == QLatin1String("undo")) {
                settle();
                w.history->undo();
            } else if (step == QLatin1String("quiet")) {
                CloseQuestion::setQuiet(true);
            }
            settle();
        }
        app.prompts.messages.clear();
        app.prompts.boxAnswers = answers;
        app.prompts.fileAnswers = {saveChosen ? std::optional<QString>(target) : std::nullopt};
        QCOMPARE(w.close(), closed);
        QStringList questions;
        for (const auto& m : app.prompts.messages)
            if (m.text == CloseQuestion::questionText())
                questions << m.text;
        QCOMPARE(questions.size(), asked ? 1 : 0);
        QCOMPARE(QFile::exists(target), written);
        QCOMPARE(app.prompts.errors, QStringList());
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
