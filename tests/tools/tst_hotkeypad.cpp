#include "gui/ListBox.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "gui/HotKeyPad.h"
#include "tools/HotKeyPadFile.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

TForm4& pad() {
    return *forms().Form4();
}

QStringList captions() {
    QStringList texts;
    for (const QPushButton* b : pad().bigButtons)
        texts.append(b->text());
    return texts;
}

QStringList editTexts() {
    QStringList texts;
    for (const QLineEdit* e : pad().edits)
        texts.append(e->text());
    return texts;
}

void typeValues(const QStringList& values) {
    for (int slot = 0; slot < TForm4::kSlots; ++slot)
        pad().edits[slot]->setText(values[slot]);
}

QByteArray fileBytes(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QStringList kValues{"440", "  523", "$1B8", "abc", "250", "", "1000", "Länge"};

} // namespace

class TestHotKeyPad : public QObject {
    Q_OBJECT

private slots:
    void layout_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("ok");
        QTest::addColumn<QString>("big");
        QTest::addColumn<QPoint>("at"); // the edit's place; OK and big button follow from it
        QTest::newRow("slot 1") << 0 << "Edit1"
                                << "Button2"
                                << "Button1" << QPoint(0, 32);
        QTest::newRow("slot 4") << 3 << "Edit4"
                                << "Button8"
                                << "Button7" << QPoint(0, 392);
        QTest::newRow("slot 5") << 4 << "Edit5"
                                << "Button10"
                                << "Button9" << QPoint(96, 32);
        QTest::newRow("slot 8") << 7 << "Edit8"
                                << "Button16"
                                << "Button15" << QPoint(96, 392);
    }

    void layout() {
        QFETCH(int, slot);
        QFETCH(QString, edit);
        QFETCH(QString, ok);
        QFETCH(QString, big);
        QFETCH(QPoint, at);
        AppFixture app;
        TForm4& p = pad();
        QCOMPARE(p.windowTitle(), QStringLiteral("HotKeyPad"));
        QVERIFY(!p.isVisible());
        QCOMPARE(p.centralWidget()->size(), QSize(193, 513));
        QCOMPARE(p.edits[slot]->objectName(), edit);
        QCOMPARE(p.okButtons[slot]->objectName(), ok);
        QCOMPARE(p.bigButtons[slot]->objectName(), big);
        QCOMPARE(p.edits[slot]->geometry(), QRect(at, QSize(57, 21)));
        QCOMPARE(p.okButtons[slot]->geometry(), QRect(at + QPoint(56, 0), QSize(41, 25)));
        QCOMPARE(p.bigButtons[slot]->geometry(), QRect(at + QPoint(0, 24), QSize(97, 97)));
        QCOMPARE(p.bigButtons[slot]->text(), QStringLiteral("-"));
        QCOMPARE(p.okButtons[slot]->text(), QStringLiteral("OK"));
        QCOMPARE(p.Label1->text(), QStringLiteral("FREQ"));
        QCOMPARE(p.Label2->text(), QStringLiteral("Dauer"));
        QVERIFY(p.Memo1->isHidden());
        QCOMPARE(p.storedLines(), QStringList(8, QString()));
    }

    void menuShowsThePad() {
        AppFixture app;
        QCOMPARE(app.main().HotKeyPad1->shortcut(), QKeySequence("Ctrl+P"));
        app.main().HotKeyPad1->trigger();
        QVERIFY(pad().isVisible());
        pad().close();
        QVERIFY(!pad().isVisible());
        QCOMPARE(forms().Form4(), &pad()); // only hidden
    }

    void buttonsWriteIntoToneEntry_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("trackTwo");
        QTest::addColumn<QString>("value"); // empty: OK is not pressed
        QTest::addColumn<QString>("freq1");
        QTest::addColumn<QString>("freq2");
        QTest::addColumn<QString>("length");
        QTest::newRow("frequency, track 1") << 0 << false << "440"
                                            << "440"
                                            << "0"
                                            << "100";
        QTest::newRow("frequency, track 2") << 0 << true << "440"
                                            << "500"
                                            << "440"
                                            << "100";
        QTest::newRow("slot 4, track 2") << 3 << true << "99"
                                         << "500"
                                         << "99"
                                         << "100";
        QTest::newRow("duration") << 4 << false << "250"
                                  << "500"
                                  << "0"
                                  << "250";
        QTest::newRow("duration, track 2") << 7 << true << "33"
                                           << "500"
                                           << "0"
                                           << "33";
        QTest::newRow("unset frequency") << 1 << false << ""
                                         << "-"
                                         << "0"
                                         << "100";
        QTest::newRow("unset duration") << 5 << false << ""
                                        << "500"
                                        << "0"
                                        << "-";
        QTest::newRow("not checked") << 2 << false << "x1"
                                     << "x1"
                                     << "0"
                                     << "100";
    }

    void buttonsWriteIntoToneEntry() {
        QFETCH(int, slot);
        QFETCH(bool, trackTwo);
        QFETCH(QString, value);
        QFETCH(QString, freq1);
        QFETCH(QString, freq2);
        QFETCH(QString, length);
        AppFixture app;
        TForm1& w = app.main();
        TForm4& p = pad();
        p.show();
        if (trackTwo)
            w.rgASpurItem1->setChecked(true);
        if (!value.isEmpty()) {
            QTest::keyClicks(p.edits[slot], value);
            QTest::mouseClick(p.okButtons[slot], Qt::LeftButton);
            QCOMPARE(p.bigButtons[slot]->text(), value);
        }
        QTest::mouseClick(p.bigButtons[slot], Qt::LeftButton);
        QCOMPARE(w.edFreq1->text(), freq1);
        QCOMPARE(w.edFreq2->text(), freq2);
        QCOMPARE(w.edLengh->text(), length);
        QCOMPARE(app.prompts.errors, QStringList());
    }

    void saveAndLoadRoundTrip() {
        AppFixture app;
        QTemporaryDir dir;
        const QString name = dir.filePath("pad.hkp");
        typeValues(kValues);
        app.prompts.fileAnswers = {name, name};
        pad().EinstellungenSpeichern1->trigger();
        QCOMPARE(fileBytes(name), QByteArray("440\r\n  523\r\n$1B8\r\nabc\r\n250\r\n\r\n1000\r\n"
                                             "L\xc3\xa4nge\r\n"));
        typeValues(QStringList(8, "0"));
        pad().Einstellungenladen1->trigger();
        QCOMPARE(editTexts(), kValues);
        QCOMPARE(captions(), kValues);
        QCOMPARE(app.prompts.errors, QStringList());
        QCOMPARE(app.prompts.fileDialogs.size(), 2);
        for (const Prompts::FileDialog& d : app.prompts.fileDialogs) {
            QCOMPARE(d.title, QStringLiteral("Z1rpW3rk - HotKeyPad Config"));
            QCOMPARE(d.filter, QStringLiteral("Z1rpW3rk-HotKeyPad (.hkp)|*.hkp"));
            QCOMPARE(d.defaultExt, QStringLiteral(".hkp"));
        }
    }

    void valuesSurviveSaveAndLoad_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("value");
        const QChar mark(0xFEFF); // three bytes in UTF-8, the same as a byte order mark
        QTest::newRow("U+FEFF alone, slot 1") << 0 << QString(mark);
        QTest::newRow("U+FEFF before a number, slot 1") << 0 << mark + QStringLiteral("440");
        QTest::newRow("two U+FEFF, slot 1") << 0 << QString(2, mark);
        QTest::newRow("U+FEFF alone, slot 2") << 1 << QString(mark);
        QTest::newRow("U+FEFF after a number, slot 1") << 0 << QStringLiteral("440") + mark;
        QTest::newRow("non-Latin-1 text, slot 1") << 0 << QStringLiteral("\u266A 440");
        // As long as the edit takes, three bytes a character in the file.
        QTest::newRow("longest value, slot 8") << 7 << QString(32767, QChar(0x20AC));
    }

    void valuesSurviveSaveAndLoad() {
        QFETCH(int, slot);
        QFETCH(QString, value);
        AppFixture app;
        QTemporaryDir dir;
        const QString name = dir.filePath("pad.hkp");
        QStringList values = kValues;
        values[slot] = value;
        typeValues(values);
        app.prompts.fileAnswers = {name, name};
        pad().EinstellungenSpeichern1->trigger();
        typeValues(QStringList(8, "0"));
        pad().Einstellungenladen1->trigger();
        QCOMPARE(editTexts(), values);
        QCOMPARE(captions(), values);
        QCOMPARE(app.prompts.errors, QStringList());
    }

    void byteOrderMarkIsNoPartOfTheFirstValue() {
        QTemporaryDir dir;
        const QString name = dir.filePath("marked.hkp");
        writeBytes(name, QByteArray("\xEF\xBB\xBF"
                                    "440\r\n880\r\n"));
        QCOMPARE(HotKeyPadFile::read(name), (QStringList{"440", "880", "", "", "", "", "", ""}));
    }

    void saveReplacesAnEarlierFile() {
        AppFixture app;
        QTemporaryDir dir;
        const QString name = dir.filePath("pad.hkp");
        writeBytes(name, QByteArray(200, 'x'));
        typeValues(QStringList(8, "1"));
        app.prompts.fileAnswers = {name};
        pad().EinstellungenSpeichern1->trigger();
        QCOMPARE(fileBytes(name), QByteArray("1\r\n").repeated(8));
    }

    void load_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("values");
        const QStringList eight{"1", "2", "3", "4", "5", "6", "7", "8"};
        QTest::newRow("CR LF") << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n") << eight;
        QTest::newRow("LF, no end") << QByteArray("1\n2\n3\n4\n5\n6\n7\n8") << eight;
        QTest::newRow("CR") << QByteArray("1\r2\r3\r4\r5\r6\r7\r8\r") << eight;
        QTest::newRow("mixed") << QByteArray("1\r\n2\n3\r4\r\n5\n6\r7\r\n8\n") << eight;
        QTest::newRow("fewer lines") << QByteArray("440\r\n\r\n330\r\n")
                                     << QStringList{"440", "", "330", "", "", "", "", ""};
        QTest::newRow("empty file") << QByteArray() << QStringList(8, QString());
        QTest::newRow("more lines") << QByteArray("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n") << eight;
        QTest::newRow("Latin-1 text")
            << QByteArray("L\xe4nge\n") << QStringList{"Länge", "", "", "", "", "", "", ""};
    }

    void load() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, values);
        AppFixture app;
        QTemporaryDir dir;
        const QString name = dir.filePath("in.hkp");
        writeBytes(name, bytes);
        typeValues(QStringList(8, "old"));
        app.prompts.fileAnswers = {name};
        pad().Einstellungenladen1->trigger();
        QCOMPARE(editTexts(), values);
        QCOMPARE(captions(), values);
        QCOMPARE(pad().storedLines(), values);
    }

    void onlyTheStartOfALargeFileIsRead() {
        QTemporaryDir dir;
        const QString name = dir.filePath("big.hkp");
        writeBytes(name, QByteArray("12\n") + QByteArray(1100000, 'x') + "\n13\n");
        const QStringList lines = HotKeyPadFile::read(name);
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines[0], QStringLiteral("12"));
        QCOMPARE(lines[1], QString(1024 * 1024 - 3, 'x'));
        QCOMPARE(lines[2], QString());
    }

    void cancelledDialogs() {
        AppFixture app;
        // At start the stored lines are empty: a cancelled load empties fields and captions.
        typeValues(kValues);
        pad().okClick(0);
        app.prompts.fileAnswers = {std::nullopt};
        pad().Einstellungenladen1->trigger();
        QCOMPARE(editTexts(), QStringList(8, QString()));
        QCOMPARE(captions(), QStringList(8, QString()));
        // A cancelled save still keeps the fields as the stored lines.
        typeValues(kValues);
        app.prompts.fileAnswers = {std::nullopt, std::nullopt};
        pad().EinstellungenSpeichern1->trigger();
        QCOMPARE(pad().storedLines(), kValues);
        typeValues(QStringList(8, "x"));
        pad().Einstellungenladen1->trigger();
        QCOMPARE(editTexts(), kValues);
        QCOMPARE(captions(), kValues);
        QCOMPARE(app.prompts.errors, QStringList());
    }

    void fileErrors_data() {
        QTest::addColumn<bool>("saving");
        QTest::addColumn<QString>("path"); // relative to a fresh folder
        QTest::addColumn<QString>("error");
        QTest::newRow("load missing file") << false << "missing.hkp"
                                           << "Datei nicht gefunden";
        QTest::newRow("load a folder") << false << "."
                                       << "Dateizugriff verweigert";
        QTest::newRow("load a named pipe, which has no writer") << false << "pipe"
                                                                << "Dateizugriff verweigert";
        QTest::newRow("save into missing folder") << true << "no/such/pad.hkp"
                                                  << "Ungültiger Dateiname";
        QTest::newRow("save over a folder") << true << "sub"
                                            << "Dateizugriff verweigert";
    }

    void fileErrors() {
        QFETCH(bool, saving);
        QFETCH(QString, path);
        QFETCH(QString, error);
        AppFixture app;
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
        typeValues(kValues);
        app.prompts.fileAnswers = {dir.filePath(path)};
        (saving ? pad().EinstellungenSpeichern1 : pad().Einstellungenladen1)->trigger();
        QCOMPARE(app.prompts.errors, QStringList{error});
        // A failed load stops before the fields are refilled.
        QCOMPARE(editTexts(), kValues);
        QCOMPARE(captions(), QStringList(8, "-"));
    }

    void hideAndShowConfiguration() {
        AppFixture app;
        TForm4& p = pad();
        p.show();
        QList<QRect> design;
        for (const QPushButton* b : p.bigButtons)
            design.append(b->geometry());
        p.Configausblenden1->trigger();
        QVERIFY(p.Configausblenden1->isChecked());
        QCOMPARE(p.centralWidget()->height(), TForm4::kClientHeightHidden);
        for (int slot = 0; slot < TForm4::kSlots; ++slot) {
            QCOMPARE(p.bigButtons[slot]->pos(), QPoint(slot < 4 ? 0 : 96, 96 * (slot % 4)));
            QVERIFY(!p.edits[slot]->isVisible());
            QVERIFY(!p.okButtons[slot]->isVisible());
            QVERIFY(p.bigButtons[slot]->isVisible());
        }
        p.Configausblenden1->trigger();
        QVERIFY(!p.Configausblenden1->isChecked());
        QCOMPARE(p.centralWidget()->height(), TForm4::kClientHeight);
        for (int slot = 0; slot < TForm4::kSlots; ++slot) {
            QCOMPARE(p.bigButtons[slot]->geometry(), design[slot]);
            QVERIFY(p.edits[slot]->isVisible());
            QVERIFY(p.okButtons[slot]->isVisible());
        }
    }
};

QTEST_MAIN(TestHotKeyPad)
#include "tst_hotkeypad.moc"
