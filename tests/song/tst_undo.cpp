#include "gui/ListBox.h"
#include "base/ListTextModel.h"
#include "files/BmmImporter.h"
#include "files/SongFileActions.h"
#include "gui/CloseQuestion.h"
#include "gui/ExtraMenu.h"
#include "gui/Forms.h"
#include "gui/LineEditor.h"
#include "gui/MainWindow.h"
#include "song/SongHistory.h"
#include "gui/SpeedPitchDialog.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"
#include "gui/GeneratorPanels.h"

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
            TForm2& editor = *forms().Form2();
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
        // A new or opened song begins a history of its own instead.
        QTest::addColumn<bool>("newHistory");
        QTest::newRow("Ton hinzufügen") << Command::Add << false;
        QTest::newRow("line editor OK") << Command::LineEditor << false;
        QTest::newRow("Löschen") << Command::Delete << false;
        QTest::newRow("Tauschen") << Command::Swap << false;
        QTest::newRow("Spuren tauschen") << Command::SwapTracks << false;
        QTest::newRow("Dual-Spur") << Command::DualTrack << false;
        QTest::newRow("Spur Löschen") << Command::ClearTrack << false;
        QTest::newRow("Geschwindigkeit") << Command::Speed << false;
        QTest::newRow("Tonhöhe") << Command::Pitch << false;
        QTest::newRow("Schredder") << Command::Shredder << false;
        QTest::newRow("Welle") << Command::Wave << false;
        QTest::newRow("Import .bmm") << Command::ImportBmm << false;
        QTest::newRow("Import MIDI") << Command::ImportMidi << false;
        QTest::newRow("Neu") << Command::New << true;
        QTest::newRow("Öffnen") << Command::Open << true;
    }
    void everyCommandIsOneStep() {
        QFETCH(Command, command);
        QFETCH(bool, newHistory);
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
        if (newHistory) {
            QVERIFY(stepsBefore > 0);
            QCOMPARE(w.history->undoCount(), 0);
            QVERIFY(!w.extraMenu->Rueckgaengig1->isEnabled());
            QVERIFY(!w.extraMenu->Wiederholen1->isEnabled());
            QVERIFY(!w.history->isModified());
            QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(state(w), after);
            return;
        }
        QCOMPARE(w.history->undoCount(), stepsBefore + 1);
        QVERIFY(w.extraMenu->Rueckgaengig1->isEnabled());

        w.extraMenu->Rueckgaengig1->trigger();
        QCOMPARE(state(w), before);
        QVERIFY(w.extraMenu->Wiederholen1->isEnabled());
        w.extraMenu->Wiederholen1->trigger();
        QCOMPARE(state(w), after);
        QVERIFY(!w.extraMenu->Wiederholen1->isEnabled());
    }

    void oneLineEditOnALargeSong_data() {
        QTest::addColumn<Command>("command");
        // The edit changes the lists where they are: nothing else holds their storage.
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("Ton hinzufügen") << Command::Add << false;
        QTest::newRow("Löschen") << Command::Delete << true;
        QTest::newRow("line editor OK") << Command::LineEditor << true;
        QTest::newRow("Tauschen") << Command::Swap << true;
    }
    void oneLineEditOnALargeSong() {
        QFETCH(Command, command);
        QFETCH(bool, inPlace);
        constexpr int kLines = 100000;
        AppFixture app;
        TForm1& w = app.main();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("large.zwk"));
        QByteArray file;
        for (int i = 0; i < kLines; ++i)
            file += QByteArray::number(200 + i % 700) + '|' + QByteArray::number(50 + i % 90) +
                    '|' + QByteArray::number(i % 300) + '|' + QByteArray::number(50 + i % 90) +
                    "\r\n";
        writeFile(path, file);
        app.prompts.fileAnswers = {path};
        w.Oeffnen1->trigger();
        for (ListBox* list : {w.Line, w.Memo1, w.Memo2, w.Memo3, w.Memo4})
            list->setItemIndex(kLines / 2);
        settle();
        QCOMPARE(w.Memo3->count(), kLines);
        const QStringList before = songRows(w);
        QCOMPARE(w.history->storedBytes(), 0);
        // Where a row far from the edit is kept: an edit that copied or gathered the whole
        // list would move it.
        const auto* texts = qobject_cast<const ListTextModel*>(w.Memo3->model());
        const void* storage = texts->texts().utf8(0).data();
        run(app, command, dir);
        settle();
        const void* storageAfter = texts->texts().utf8(0).data();
        QCOMPARE(app.prompts.errors, QStringList());
        QVERIFY(songRows(w) != before);
        QCOMPARE(w.history->undoCount(), 1);
        // One line of four short texts, before and after, and what keeps them.
        QVERIFY2(w.history->storedBytes() > 0 && w.history->storedBytes() <= 1024,
                 qPrintable(QString::number(w.history->storedBytes())));
        if (inPlace)
            QCOMPARE(storageAfter, storage);
        w.history->undo();
        QCOMPARE(songRows(w), before);
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
