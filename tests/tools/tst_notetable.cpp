#include "gui/ListBox.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "song/NoteTable.h"
#include "gui/NoteTableWindow.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <cmath>

namespace {

QHash<int, QString> storedStrings() {
    QFile file(QString::fromLatin1(NoteTable::kResourcePath));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return NoteTable::parseStringTable(file.readAll());
}

const char* const kLetters[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "H"};

QPoint gridCellCentre(QTableWidget* grid, int row, int column) {
    return grid->visualRect(grid->model()->index(row, column)).center();
}

} // namespace

class TestNoteTable : public QObject {
    Q_OBJECT

private slots:
    void storedEntries_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("count") << 1 << "119";
        QTest::newRow("C-0") << 1001 << "C-0=16=12";
        QTest::newRow("G-0") << 1008 << "G-0=25=19";
        QTest::newRow("A-0") << 1010 << "A-0=28=21";
        QTest::newRow("A#-0") << 1011 << "A#-0=29=22";
        QTest::newRow("H-0") << 1012 << "H-0=31=23";
        QTest::newRow("D#-2") << 1028 << "D#-2=79=39";
        QTest::newRow("H-2") << 1036 << "H-2=124=47";
        QTest::newRow("C-4") << 1049 << "C-4=262=60";
        QTest::newRow("F-4") << 1054 << "F-4=350=65";
        QTest::newRow("A-4") << 1058 << "A-4=440=69";
        QTest::newRow("H-4") << 1060 << "H-4=494=71";
        QTest::newRow("C-5") << 1061 << "C-5=523=72";
        QTest::newRow("F-5") << 1066 << "F-5=699=77";
        QTest::newRow("C#-7") << 1086 << "C#-7=2218=97";
        QTest::newRow("D-8") << 1099 << "D-8=4698=110";
        QTest::newRow("H-8") << 1108 << "H-8=7902=119";
        QTest::newRow("C-9") << 1109 << "C-9=8372=120";
        QTest::newRow("G-9") << 1116 << "G-9=12544=127";
        QTest::newRow("G#-9") << 1117 << "G#-9=13290=116";
        QTest::newRow("A-9") << 1118 << "A-9=14080=117";
        QTest::newRow("A#-9") << 1119 << "A#-9=14917=118";
        QTest::newRow("H-9") << 1120 << "H-9=15804=119";
    }

    void storedEntries() {
        QFETCH(int, key);
        QFETCH(QString, text);
        QCOMPARE(storedStrings().value(key), text);
    }

    // Every stored entry follows the naming, frequency and numbering rules of equal
    // temperament, apart from the known one-hertz deviations.
    void storedEntriesFollowEqualTemperament() {
        const QHash<int, QString> strings = storedStrings();
        QCOMPARE(strings.size(), 121);
        const QHash<QString, int> deviations = {{"G-0", 25},  {"D#-2", 79}, {"H-2", 124},
                                                {"F-4", 350}, {"F-5", 699}, {"C#-7", 2218},
                                                {"D-8", 4698}};
        int deviating = 0;
        for (int octave = 0; octave <= 9; ++octave) {
            for (int semitone = 0; semitone < 12; ++semitone) {
                const int key = 1001 + 12 * octave + semitone;
                const int pitch = 12 + 12 * octave + semitone;
                const QString name = QStringLiteral("%1-%2").arg(kLetters[semitone]).arg(octave);
                long long hertz = std::llround(440.0 * std::pow(2.0, (pitch - 69) / 12.0));
                if (deviations.contains(name)) {
                    QCOMPARE(std::abs(deviations[name] - hertz), 1LL);
                    hertz = deviations[name];
                    ++deviating;
                }
                const int midi = pitch <= 127 ? pitch : pitch - 12;
                QCOMPARE(strings.value(key),
                         QStringLiteral("%1=%2=%3").arg(name).arg(hertz).arg(midi));
            }
        }
        QCOMPARE(deviating, 7);
    }

    void loaderTakesCountMinusOneEntries() {
        const NoteTable table = NoteTable::loadStored();
        QCOMPARE(table.rowCount(), 119);
        QCOMPARE(table.cell(0, 0), QStringLiteral("Note"));
        QCOMPARE(table.cell(1, 0), QStringLiteral("Frequenz"));
        QCOMPARE(table.cell(2, 0), QStringLiteral("MIDI-Note"));
        const QHash<int, QString> strings = storedStrings();
        for (int row = 1; row < table.rowCount(); ++row) {
            const QString joined =
                table.cell(0, row) + u'=' + table.cell(1, row) + u'=' + table.cell(2, row);
            QCOMPARE(joined, strings.value(1000 + row));
        }
        QCOMPARE(table.cell(0, 1), QStringLiteral("C-0"));
        QCOMPARE(table.cell(0, 118), QStringLiteral("A-9"));
        QCOMPARE(table.cell(0, 119), QString());
    }

    void loaderCount_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("rows");
        QTest::newRow("three") << "3" << 3;
        QTest::newRow("one") << "1" << 1;
        QTest::newRow("zero") << "0" << 1;
        QTest::newRow("negative") << "-5" << 1;
        QTest::newRow("not a number") << "viele" << 1;
        QTest::newRow("missing entries") << "5" << 5;
    }

    void loaderCount() {
        QFETCH(QString, count);
        QFETCH(int, rows);
        const QHash<int, QString> strings = {
            {1, count}, {1001, "C-0=16=12"}, {1002, "C#-0=17=13"}, {1003, "D-0=18=14"}};
        const NoteTable table = NoteTable::load(strings);
        QCOMPARE(table.rowCount(), rows);
        QCOMPARE(table.cell(1, 0), QStringLiteral("Frequenz"));
        if (rows >= 3) {
            QCOMPARE(table.cell(0, 2), QStringLiteral("C#-0"));
            QCOMPARE(table.cell(2, 2), QStringLiteral("13"));
        }
        if (rows == 5)
            QCOMPARE(table.cell(0, 4), QString());
    }

    void stringTableFormat() {
        const QHash<int, QString> strings = NoteTable::parseStringTable(
            "# comment\r\n1\t2\r\n\r\n1001\tA-4=440=69\nkaputt\n\t9\n1001\tH-4=494=71\n");
        QCOMPARE(strings.size(), 2);
        QCOMPARE(strings.value(1), QStringLiteral("2"));
        QCOMPARE(strings.value(1001), QStringLiteral("H-4=494=71"));
    }

    void noteNameToFrequency_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("frequency");
        QTest::newRow("C#4") << "C#4"
                             << "277";
        QTest::newRow("H4") << "H4"
                            << "494";
        QTest::newRow("B4 is H4") << "B4"
                                  << "494";
        QTest::newRow("A#0") << "A#0"
                             << "29";
        QTest::newRow("A4 with blanks") << "  A4 "
                                        << "440";
        QTest::newRow("A9 last row") << "A9"
                                     << "14080";
        QTest::newRow("C0 first row") << "C0"
                                      << "16";
        QTest::newRow("F4 stored off by one") << "F4"
                                              << "350";
        QTest::newRow("lower case") << "c4"
                                    << "0";
        QTest::newRow("with dash") << "C-4"
                                   << "0";
        QTest::newRow("flat") << "Cb4"
                              << "0";
        QTest::newRow("A#9 not loaded") << "A#9"
                                        << "0";
        QTest::newRow("H9 not loaded") << "H9"
                                       << "0";
        QTest::newRow("B anywhere") << "AB4"
                                    << "0";
        QTest::newRow("empty") << ""
                               << "0";
        QTest::newRow("blanks only") << "   "
                                     << "0";
        QTest::newRow("header") << "Note"
                                << "0";
    }

    void noteNameToFrequency() {
        QFETCH(QString, name);
        QFETCH(QString, frequency);
        QCOMPARE(NoteNameToFrequency(NoteTable::loadStored(), name), frequency);
    }

    void frequencyToMidiNote_data() {
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<int>("midi");
        QTest::newRow("440") << "440" << 69;
        QTest::newRow("13290") << "13290" << 116;
        QTest::newRow("14080") << "14080" << 117;
        QTest::newRow("349") << "349" << -2;
        QTest::newRow("350") << "350" << 65;
        QTest::newRow("14917 not loaded") << "14917" << -2;
        QTest::newRow("440.0") << "440.0" << -2;
        QTest::newRow("0440") << "0440" << -2;
        QTest::newRow("blanks") << " 16\t" << 12;
        QTest::newRow("rest") << "0" << -2;
        QTest::newRow("empty") << "" << -2;
        QTest::newRow("header") << "Frequenz" << -2;
    }

    void frequencyToMidiNote() {
        QFETCH(QString, frequency);
        QFETCH(int, midi);
        QCOMPARE(FrequencyToMidiNote(NoteTable::loadStored(), frequency), midi);
    }

    void midiNoteToFrequency_data() {
        QTest::addColumn<QString>("midi");
        QTest::addColumn<int>("frequency");
        QTest::newRow("69") << "69" << 440;
        QTest::newRow("69 with blanks") << "  69  " << 440;
        QTest::newRow("12") << "12" << 16;
        QTest::newRow("116 last match") << "116" << 13290;
        QTest::newRow("117 last match") << "117" << 14080;
        QTest::newRow("118") << "118" << 7459;
        QTest::newRow("119") << "119" << 7902;
        QTest::newRow("127") << "127" << 12544;
        QTest::newRow("0") << "0" << -2;
        QTest::newRow("11") << "11" << -2;
        QTest::newRow("128") << "128" << -2;
        QTest::newRow("200") << "200" << -2;
        QTest::newRow("069") << "069" << -2;
    }

    void midiNoteToFrequency() {
        QFETCH(QString, midi);
        QFETCH(int, frequency);
        QCOMPARE(MidiNoteToFrequency(NoteTable::loadStored(), midi), frequency);
    }

    void midiNumbersZeroToElevenAreUnknown() {
        const NoteTable table = NoteTable::loadStored();
        for (int midi = 0; midi <= 11; ++midi)
            QCOMPARE(MidiNoteToFrequency(table, QString::number(midi)), -2);
        for (int midi = 128; midi <= 140; ++midi)
            QCOMPARE(MidiNoteToFrequency(table, QString::number(midi)), -2);
    }

    void lastMatchWins() {
        const NoteTable table = NoteTable::load(
            {{1, "4"}, {1001, "A-4=440=69"}, {1002, "A-4=441=70"}, {1003, " A4 =442= 69 "}});
        QCOMPARE(NoteNameToFrequency(table, "A4"), QStringLiteral("442"));
        QCOMPARE(MidiNoteToFrequency(table, "69"), 442);
        QCOMPARE(FrequencyToMidiNote(table, "441"), 70);
    }

    void trimBlanks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("plain") << "69"
                               << "69";
        QTest::newRow("blanks") << "  69 "
                                << "69";
        QTest::newRow("controls") << "\t\r\n69\x01"
                                  << "69";
        QTest::newRow("inner kept") << " 6 9 "
                                    << "6 9";
        QTest::newRow("only blanks") << " \t "
                                     << "";
        QTest::newRow("non-breaking space kept") << "\u00a069"
                                                 << "\u00a069";
    }

    void trimBlanks() {
        QFETCH(QString, text);
        QFETCH(QString, trimmed);
        QCOMPARE(TrimBlanks(text), trimmed);
    }

    void dialog() {
        AppFixture app;
        TForm3* form = forms().Form3();
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("ZWK-Liste"));
        QCOMPARE(form->size(), QSize(264, 574));
        QVERIFY(!form->isVisible());
        QTableWidget* grid = form->StringGrid1;
        QCOMPARE(grid->columnCount(), 3);
        QCOMPARE(grid->rowCount(), 119);
        QCOMPARE(grid->columnWidth(0), 80);
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("Note"));
        QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("Frequenz"));
        QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("MIDI-Note"));
        QCOMPARE(grid->item(118, 0)->text(), QStringLiteral("A-9"));
        QCOMPARE(grid->item(118, 1)->text(), QStringLiteral("14080"));
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(form->noteTable().rowCount(), 119);
        QCOMPARE(form->MidiNoteToFrequency("69"), 440);
        QCOMPARE(form->FrequencyToMidiNote("13290"), 116);
        QCOMPARE(form->NoteNameToFrequency("C#4"), QStringLiteral("277"));
    }

    void menuShowsDialog() {
        AppFixture app;
        app.main().ListeNotenFrequenzen1->trigger();
        TForm3* form = forms().Form3();
        QVERIFY(form->isVisible());
        QVERIFY(!form->isModal());
        app.main().ListeNotenFrequenzen1->trigger();
        QVERIFY(form->isVisible());
        QVERIFY(app.prompts.errors.isEmpty());
    }

    void pickNote_data() {
        QTest::addColumn<bool>("trackTwo");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("freq1");
        QTest::addColumn<QString>("freq2");
        QTest::newRow("A-4 on track 1") << false << 58 << 1 << "440"
                                        << "0";
        QTest::newRow("A-4 by its MIDI cell") << false << 58 << 2 << "440"
                                              << "0";
        QTest::newRow("C-5 on track 2") << true << 61 << 1 << "500"
                                        << "523";
        QTest::newRow("C-0 on track 2") << true << 1 << 2 << "500"
                                        << "16";
    }

    void pickNote() {
        QFETCH(bool, trackTwo);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, freq1);
        QFETCH(QString, freq2);
        AppFixture app;
        TForm1& w = app.main();
        if (trackTwo)
            w.rgASpurItem1->setChecked(true);
        const int linesBefore = w.Memo1->count();
        w.ListeNotenFrequenzen1->trigger();
        QTableWidget* grid = forms().Form3()->StringGrid1;
        grid->scrollToItem(grid->item(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, gridCellCentre(grid, row, column));
        QCOMPARE(w.edFreq1->text(), freq1);
        QCOMPARE(w.edFreq2->text(), freq2);
        QCOMPARE(w.Memo1->count(), linesBefore);
        QVERIFY(forms().Form3()->isVisible());
        QVERIFY(app.prompts.errors.isEmpty());
    }

    void fixedCellsCannotBeChosen() {
        AppFixture app;
        TForm1& w = app.main();
        w.ListeNotenFrequenzen1->trigger();
        QTableWidget* grid = forms().Form3()->StringGrid1;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, gridCellCentre(grid, 3, 1));
        QCOMPARE(w.edFreq1->text(), QStringLiteral("18"));
        // The header row and the name column are fixed: choosing them keeps the chosen note.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, gridCellCentre(grid, 0, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, gridCellCentre(grid, 5, 0));
        QCOMPARE(w.edFreq1->text(), QStringLiteral("18"));
    }

    // A click on a header or name cell chooses nothing: a frequency typed after the last
    // choice stays in the field.
    void fixedCellsLeaveTypedFrequency_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("header row") << 0 << 1;
        QTest::newRow("header corner") << 0 << 0;
        QTest::newRow("name of another note") << 5 << 0;
        QTest::newRow("name of the chosen note") << 3 << 0;
    }

    void fixedCellsLeaveTypedFrequency() {
        QFETCH(int, row);
        QFETCH(int, column);
        AppFixture app;
        TForm1& w = app.main();
        w.ListeNotenFrequenzen1->trigger();
        QTableWidget* grid = forms().Form3()->StringGrid1;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, gridCellCentre(grid, 3, 1));
        QCOMPARE(w.edFreq1->text(), QStringLiteral("18"));
        w.edFreq1->setText(QStringLiteral("999"));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, gridCellCentre(grid, row, column));
        QCOMPARE(w.edFreq1->text(), QStringLiteral("999"));
        // Choosing a note cell again still works.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, gridCellCentre(grid, 4, 2));
        QCOMPARE(w.edFreq1->text(), QStringLiteral("19"));
    }

    void keyboardStopsAtFixedCells_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("up into the header row") << int(Qt::Key_Up);
        QTest::newRow("left into the name column") << int(Qt::Key_Left);
    }

    void keyboardStopsAtFixedCells() {
        QFETCH(int, key);
        AppFixture app;
        TForm1& w = app.main();
        w.ListeNotenFrequenzen1->trigger();
        QTableWidget* grid = forms().Form3()->StringGrid1;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, gridCellCentre(grid, 1, 1));
        QCOMPARE(w.edFreq1->text(), QStringLiteral("16"));
        QTest::keyClick(grid, Qt::Key(key));
        QCOMPARE(w.edFreq1->text(), QStringLiteral("16"));
        QCOMPARE(grid->selectedRanges().size(), 1);
        QCOMPARE(grid->selectedRanges().first().topRow(), 1);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(w.edFreq1->text(), QStringLiteral("17"));
    }

    void keyboardMovesChooseToo() {
        AppFixture app;
        TForm1& w = app.main();
        w.ListeNotenFrequenzen1->trigger();
        QTableWidget* grid = forms().Form3()->StringGrid1;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, gridCellCentre(grid, 2, 1));
        QCOMPARE(w.edFreq1->text(), QStringLiteral("17"));
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(w.edFreq1->text(), QStringLiteral("18"));
    }
};

QTEST_MAIN(TestNoteTable)
#include "tst_notetable.moc"
