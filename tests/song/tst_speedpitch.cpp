#include "base/Errors.h"
#include "gui/ListBox.h"
#include "gui/Forms.h"
#include "song/Rescale.h"
#include "gui/MainWindow.h"
#include "gui/SpeedPitchDialog.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"
#include "song/NoteTable.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <limits>
#include <optional>

namespace {

struct DialogChoice {
    QString percent = QStringLiteral("100");
    int octaves = 0;
    bool trackOne = true;
    bool trackTwo = true;
};

// Plays the user's part in the "Ton" dialog: steps the octave count, types the percentage,
// sets the track boxes and presses OK.
void answerDialog(ScriptedPrompts& prompts, const DialogChoice& choice) {
    prompts.onModal = [choice](QDialog& dialog) {
        auto& form = static_cast<TForm11&>(dialog);
        for (int k = 0; k < std::abs(choice.octaves); ++k)
            QTest::mouseClick(choice.octaves > 0 ? form.Button3 : form.Button4, Qt::LeftButton);
        if (choice.percent != form.Edit1->text()) {
            form.Edit1->selectAll();
            QTest::keyClick(form.Edit1, Qt::Key_Delete);
            QTest::keyClicks(form.Edit1, choice.percent);
        }
        form.CheckBox1->setChecked(choice.trackOne);
        form.CheckBox2->setChecked(choice.trackTwo);
        QTest::mouseClick(form.Button1, Qt::LeftButton);
        return form.result();
    };
}

void expectNeutral(const TForm11& form) {
    QCOMPARE(form.Label1->text(), QStringLiteral("0"));
    QCOMPARE(form.Edit1->text(), QStringLiteral("100"));
    QVERIFY(form.Edit1->isEnabled());
    QVERIFY(form.Button3->isEnabled());
    QVERIFY(form.Button4->isEnabled());
}

} // namespace

class TestSpeedPitch : public QObject {
    Q_OBJECT

private slots:
    void extendedPrecisionIsAvailable() {
        // The results below depend on the 64-bit significand of the extended format.
        QCOMPARE(std::numeric_limits<long double>::digits, 64);
    }

    void durationArithmetic_data() {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("value");
        QTest::addColumn<qlonglong>("result");
        QTest::newRow("200% of 100") << 200 << 100 << 50LL;
        QTest::newRow("50% of 100") << 50 << 100 << 200LL;
        QTest::newRow("150% of 250") << 150 << 250 << 166LL;
        QTest::newRow("300% of 100") << 300 << 100 << 33LL;
        QTest::newRow("-50% of 100") << -50 << 100 << -200LL;
        QTest::newRow("3% of 3") << 3 << 3 << 100LL;
        QTest::newRow("3% of 15") << 3 << 15 << 499LL;
        QTest::newRow("3% of 30") << 3 << 30 << 999LL;
        QTest::newRow("3% of 99") << 3 << 99 << 3299LL;
        QTest::newRow("100% of 250") << 100 << 250 << 250LL;
        QTest::newRow("1% of the largest") << 1 << 2147483647 << 214748364700LL;
        QTest::newRow("-1% of the smallest") << -1 << -2147483647 - 1 << 214748364800LL;
        QTest::newRow("300% of -100") << 300 << -100 << -33LL;
    }

    void durationArithmetic() {
        QFETCH(int, percent);
        QFETCH(int, value);
        QFETCH(qlonglong, result);
        QCOMPARE(ScaleDuration(value, percent), result);
    }

    void durationByZeroPercent() { QVERIFY_THROWS_EXCEPTION(EZeroDivide, ScaleDuration(100, 0)); }

    void frequencyArithmetic_data() {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("value");
        QTest::addColumn<qlonglong>("result");
        QTest::newRow("200% of 440") << 200 << 440 << 880LL;
        QTest::newRow("50% of 441") << 50 << 441 << 220LL;
        QTest::newRow("110% of 440") << 110 << 440 << 484LL;
        QTest::newRow("101% of 523") << 101 << 523 << 528LL;
        QTest::newRow("13% of 900") << 13 << 900 << 116LL;
        QTest::newRow("21% of 300") << 21 << 300 << 62LL;
        QTest::newRow("0% of 440") << 0 << 440 << 0LL;
        QTest::newRow("-50% of 440") << -50 << 440 << -220LL;
        QTest::newRow("beyond 32 bits") << 2147483647 << 2147483647 << 46116860141324206LL;
    }

    void frequencyArithmetic() {
        QFETCH(int, percent);
        QFETCH(int, value);
        QFETCH(qlonglong, result);
        QCOMPARE(ScaleFrequency(value, percent), result);
    }

    void octaveMove_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("octaves");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("moved");
        const int moved = int(OctaveMove::Kind::Moved);
        const int none = int(OctaveMove::Kind::NotANote);
        const int outside = int(OctaveMove::Kind::OutsideTable);
        QTest::newRow("A-4 up") << "440" << 1 << moved << "880";
        QTest::newRow("A-4 down two") << "440" << -2 << moved << "110";
        QTest::newRow("C-4 up uses the table") << "262" << 1 << moved << "523";
        QTest::newRow("A-4 up five to A-9") << "440" << 5 << moved << "14080";
        QTest::newRow("C-5 down five to C-0") << "523" << -5 << moved << "16";
        QTest::newRow("F-4 stored 350") << "350" << 1 << moved << "699";
        QTest::newRow("between notes") << "441" << 1 << none << "";
        QTest::newRow("rest") << "0" << 1 << none << "";
        QTest::newRow("leading zero") << "0440" << 1 << none << "";
        QTest::newRow("leading blank") << " 440" << 1 << none << "";
        QTest::newRow("empty") << "" << -1 << none << "";
        QTest::newRow("header text") << "Frequenz" << 1 << none << "";
        QTest::newRow("A#-9 is not loaded") << "14917" << -1 << none << "";
        QTest::newRow("after A-9") << "466" << 5 << outside << "";
        QTest::newRow("A-9 up") << "14080" << 1 << outside << "";
        QTest::newRow("C-0 down") << "16" << -1 << outside << "";
        QTest::newRow("H-0 down onto the header row") << "31" << -1 << outside << "";
        QTest::newRow("C-1 down to C-0") << "33" << -1 << moved << "16";
    }

    void octaveMove() {
        QFETCH(QString, text);
        QFETCH(int, octaves);
        QFETCH(int, kind);
        QFETCH(QString, moved);
        const OctaveMove move = MoveByOctaves(NoteTable::loadStored(), text, octaves);
        QCOMPARE(int(move.kind), kind);
        QCOMPARE(move.text, moved);
    }

    void speedChange_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("error");
        using Answer = std::optional<QString>;
        QTest::newRow("faster") << Answer("200") << QStringList{"440 100 0 100", "494 250 330 250"}
                                << QStringList{"440 50 0 50", "494 125 330 125"} << "";
        QTest::newRow("slower") << Answer("50") << QStringList{"440 100 0 100"}
                                << QStringList{"440 200 0 200"} << "";
        QTest::newRow("extended precision") << Answer("3") << QStringList{"1 15 2 30", "3 99 4 3"}
                                            << QStringList{"1 499 2 999", "3 3299 4 100"} << "";
        QTest::newRow("blanks around the answer")
            << Answer(" 150") << QStringList{"0 250 0 250"} << QStringList{"0 166 0 166"} << "";
        QTest::newRow("cancel keeps the values")
            << Answer() << QStringList{"440 0250 0 $64", "0440 -7 x 5"}
            << QStringList{"440 250 0 100", "0440 -7 x 5"} << "";
        QTest::newRow("zero percent changes nothing")
            << Answer("0") << QStringList{"440 100 0 100"} << QStringList{"440 100 0 100"}
            << "Gleitkommadivision durch Null";
        QTest::newRow("zero percent on an empty song")
            << Answer("0") << QStringList{} << QStringList{} << "";
        QTest::newRow("not a number")
            << Answer("schnell") << QStringList{"440 100 0 100"} << QStringList{"440 100 0 100"}
            << "'schnell' ist kein gültiger Integerwert";
        QTest::newRow("empty answer")
            << Answer("") << QStringList{} << QStringList{} << "'' ist kein gültiger Integerwert";
        QTest::newRow("bad track 2 duration stops in its line")
            << Answer("200") << QStringList{"1 100 2 100", "1 200 2 zwei", "1 300 2 300"}
            << QStringList{"1 50 2 50", "1 100 2 zwei", "1 300 2 300"}
            << "'zwei' ist kein gültiger Integerwert";
    }

    void speedChange() {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(QString, error);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, before);
        app.prompts.inputAnswers = {answer};
        w.Geschwindigkeitndern1->trigger();
        QCOMPARE(songRows(w), after);
        QCOMPARE(app.prompts.errors, error.isEmpty() ? QStringList{} : QStringList{error});
        QCOMPARE(app.prompts.messages.first().caption, QStringLiteral("Geschwindigkeit"));
        QCOMPARE(app.prompts.messages.first().text, QStringLiteral("Prozent"));
    }

    void speedChangeKeepsSelection() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 0 100", "494 250 330 250"});
        clickItem(w.Memo2, 1);
        app.prompts.inputAnswers = {QStringLiteral("200")};
        w.Geschwindigkeitndern1->trigger();
        QCOMPARE(selections(w), (QList<int>{1, 1, 1, 1, 1}));
        QCOMPARE(w.Line->count(), 2);
    }

    void pitchChange_data() {
        QTest::addColumn<QString>("percent");
        QTest::addColumn<int>("octaves");
        QTest::addColumn<bool>("trackOne");
        QTest::addColumn<bool>("trackTwo");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("error");
        QTest::newRow("200%") << "200" << 0 << true << true << QStringList{"440 100 441 200"}
                              << QStringList{"880 100 882 200"} << "";
        QTest::newRow("telling percentages")
            << "13" << 0 << true << true << QStringList{"900 100 300 100"}
            << QStringList{"116 100 39 100"} << "";
        QTest::newRow("21%") << "21" << 0 << true << false << QStringList{"300 5 300 5"}
                             << QStringList{"62 5 300 5"} << "";
        QTest::newRow("110% track 1")
            << "110" << 0 << true << false << QStringList{"440 1 440 1", "523 1 0 1"}
            << QStringList{"484 1 440 1", "575 1 0 1"} << "";
        QTest::newRow("101% track 2 only")
            << "101" << 0 << false << true << QStringList{"523 1 523 1", "441 1 50 1"}
            << QStringList{"523 1 528 1", "441 1 50 1"} << "";
        QTest::newRow("50%") << "50" << 0 << true << true << QStringList{"441 1 0 1"}
                             << QStringList{"220 1 0 1"} << "";
        QTest::newRow("0% makes rests")
            << "0" << 0 << true << true << QStringList{"441 1 7 1"} << QStringList{"0 1 0 1"} << "";
        QTest::newRow("negative") << "-50" << 0 << true << true << QStringList{"440 1 0 1"}
                                  << QStringList{"-220 1 0 1"} << "";
        QTest::newRow("no track checked")
            << "200" << 0 << false << false << QStringList{"440 1 0 1"} << QStringList{"440 1 0 1"}
            << "";
        QTest::newRow("empty percentage")
            << "" << 0 << true << true << QStringList{"440 1 0 1"} << QStringList{"440 1 0 1"}
            << "'' ist kein gültiger Integerwert";
        QTest::newRow("bad frequency stops there")
            << "200" << 0 << true << true << QStringList{"440 1 100 1", "abc 1 200 1"}
            << QStringList{"880 1 200 1", "abc 1 200 1"} << "'abc' ist kein gültiger Integerwert";
        QTest::newRow("octave up")
            << "100" << 1 << true << true
            << QStringList{"440 100 262 50", "0 100 0 50", "441 100 29 50"}
            << QStringList{"880 100 523 50", "0 100 0 50", "441 100 58 50"} << "";
        QTest::newRow("two octaves down, track 1")
            << "100" << -2 << true << false << QStringList{"440 100 440 100"}
            << QStringList{"110 100 440 100"} << "";
        QTest::newRow("octave up, track 2")
            << "100" << 1 << false << true << QStringList{"440 100 440 100"}
            << QStringList{"440 100 880 100"} << "";
        QTest::newRow("non-note texts stay")
            << "100" << 1 << true << true << QStringList{"0440 1 abc 1", "Frequenz 1 -440 1"}
            << QStringList{"0440 1 abc 1", "Frequenz 1 -440 1"} << "";
        QTest::newRow("five up to A-9") << "100" << 5 << true << true << QStringList{"440 1 262 1"}
                                        << QStringList{"14080 1 8372 1"} << "";
        QTest::newRow("five down to C-0")
            << "100" << -5 << true << true << QStringList{"523 1 554 1"} << QStringList{"16 1 17 1"}
            << "";
    }

    void pitchChange() {
        QFETCH(QString, percent);
        QFETCH(int, octaves);
        QFETCH(bool, trackOne);
        QFETCH(bool, trackTwo);
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(QString, error);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, before);
        answerDialog(app.prompts, {percent, octaves, trackOne, trackTwo});
        w.Oktavendern1->trigger();
        QCOMPARE(app.prompts.modalCount, 1);
        QCOMPARE(songRows(w), after);
        QCOMPARE(app.prompts.errors, error.isEmpty() ? QStringList{} : QStringList{error});
        if (error.isEmpty())
            expectNeutral(*forms().Form11);
    }

    // A note whose octave would lie before C-0 or after A-9 has no frequency to move to: the
    // whole move is refused, the song stays as it was and the user is told why.
    void octaveOutsideTable_data() {
        QTest::addColumn<int>("octaves");
        QTest::addColumn<bool>("trackTwo");
        QTest::addColumn<QStringList>("song");
        QTest::addColumn<QString>("message");
        QTest::newRow("after A-9") << 1 << true << QStringList{"440 1 14080 1", "262 1 0 1"}
                                   << "Die Tonhöhe kann nicht um +1 Oktave(n) geändert werden: "
                                      "1 Ton läge außerhalb der Notentabelle (C-0 bis A-9). "
                                      "Das Lied bleibt unverändert.";
        QTest::newRow("before C-0") << -1 << true << QStringList{"16 1 31 1", "440 1 17 1"}
                                    << "Die Tonhöhe kann nicht um -1 Oktave(n) geändert werden: "
                                       "3 Töne lägen außerhalb der Notentabelle (C-0 bis A-9). "
                                       "Das Lied bleibt unverändert.";
        QTest::newRow("five up past A-9") << 5 << false << QStringList{"466 1 466 1"}
                                          << "Die Tonhöhe kann nicht um +5 Oktave(n) geändert "
                                             "werden: 1 Ton läge außerhalb der Notentabelle "
                                             "(C-0 bis A-9). Das Lied bleibt unverändert.";
    }

    void octaveOutsideTable() {
        QFETCH(int, octaves);
        QFETCH(bool, trackTwo);
        QFETCH(QStringList, song);
        QFETCH(QString, message);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, song);
        answerDialog(app.prompts, {QStringLiteral("100"), octaves, true, trackTwo});
        w.Oktavendern1->trigger();
        QCOMPARE(songRows(w), song);
        QVERIFY(app.prompts.errors.isEmpty());
        QCOMPARE(app.prompts.texts(), QStringList{message});
        QCOMPARE(app.prompts.messages.first().caption, QStringLiteral("Z1rpW3rk"));
        expectNeutral(*forms().Form11);
    }

    void outsideNoteOnUncheckedTrackDoesNotStop() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 1 14080 1"});
        answerDialog(app.prompts, {QStringLiteral("100"), 1, true, false});
        w.Oktavendern1->trigger();
        QCOMPARE(songRows(w), QStringList{"880 1 14080 1"});
        QVERIFY(app.prompts.messages.isEmpty());
    }

    void octaveButtons_data() {
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("percentUsable");
        QTest::newRow("one up") << "+"
                                << "1" << false;
        QTest::newRow("six up stops at 5") << "++++++"
                                           << "5" << false;
        QTest::newRow("eleven down stops at -5") << "-----------"
                                                 << "-5" << false;
        QTest::newRow("up and down again") << "+-"
                                           << "0" << true;
        QTest::newRow("stop then back") << "++++++-"
                                        << "4" << false;
        QTest::newRow("down and up") << "--+"
                                     << "-1" << false;
    }

    void octaveButtons() {
        QFETCH(QString, clicks);
        QFETCH(QString, shown);
        QFETCH(bool, percentUsable);
        AppFixture app;
        TForm11& form = *forms().Form11;
        for (const QChar c : clicks)
            QTest::mouseClick(c == u'+' ? form.Button3 : form.Button4, Qt::LeftButton);
        QCOMPARE(form.Label1->text(), shown);
        QCOMPARE(form.Edit1->isEnabled(), percentUsable);
        QVERIFY(form.Button3->isEnabled());
        QVERIFY(form.Button4->isEnabled());
        QVERIFY(app.prompts.errors.isEmpty());
    }

    void percentageLocksOctaves_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("octavesUsable");
        QTest::newRow("90") << "90" << false;
        QTest::newRow("100") << "100" << true;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("0100") << "0100" << false;
        QTest::newRow("100 with a blank") << "100 " << false;
    }

    void percentageLocksOctaves() {
        QFETCH(QString, text);
        QFETCH(bool, octavesUsable);
        AppFixture app;
        TForm11& form = *forms().Form11;
        form.Edit1->selectAll();
        QTest::keyClick(form.Edit1, Qt::Key_Delete);
        QTest::keyClicks(form.Edit1, text);
        QCOMPARE(form.Button3->isEnabled(), octavesUsable);
        QCOMPARE(form.Button4->isEnabled(), octavesUsable);
        form.Edit1->selectAll();
        QTest::keyClicks(form.Edit1, QStringLiteral("100"));
        QVERIFY(form.Button3->isEnabled());
        QVERIFY(form.Button4->isEnabled());
    }

    void dialogLayout() {
        AppFixture app;
        TForm11& form = *forms().Form11;
        QCOMPARE(form.windowTitle(), QStringLiteral("Ton"));
        QCOMPARE(form.size(), QSize(290, 170));
        QCOMPARE(form.GroupBox1->title(), QStringLiteral("Prozent"));
        QCOMPARE(form.GroupBox2->title(), QStringLiteral("Oktave"));
        QCOMPARE(form.GroupBox3->title(), QStringLiteral("Allgemeines"));
        QCOMPARE(form.CheckBox1->text(), QStringLiteral("Spur 1"));
        QCOMPARE(form.CheckBox2->text(), QStringLiteral("Spur 2"));
        QVERIFY(form.CheckBox1->isChecked());
        QVERIFY(form.CheckBox2->isChecked());
        QCOMPARE(form.Button1->text(), QStringLiteral("OK"));
        QCOMPARE(form.Button2->text(), QStringLiteral("Abbrechen"));
        QVERIFY(form.Button4->geometry().left() < form.Label1->geometry().left());
        QVERIFY(form.Label1->geometry().left() < form.Button3->geometry().left());
        QVERIFY(!form.isVisible());
        expectNeutral(form);
    }

    void cancelAfterOctaves() {
        AppFixture app;
        TForm1& w = app.main();
        const QStringList song{"440 100 262 100"};
        setSong(w, song);
        app.prompts.onModal = [](QDialog& dialog) {
            auto& form = static_cast<TForm11&>(dialog);
            QTest::mouseClick(form.Button3, Qt::LeftButton);
            QTest::mouseClick(form.Button3, Qt::LeftButton);
            QTest::mouseClick(form.Button2, Qt::LeftButton);
            return form.result();
        };
        w.Oktavendern1->trigger();
        QCOMPARE(songRows(w), song);
        expectNeutral(*forms().Form11);
        QVERIFY(app.prompts.errors.isEmpty());
    }

    void closeBoxActsLikeOk() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 262 100"});
        app.prompts.onModal = [](QDialog& dialog) {
            auto& form = static_cast<TForm11&>(dialog);
            form.Edit1->setText(QStringLiteral("200"));
            form.close();
            return form.result();
        };
        w.Oktavendern1->trigger();
        QCOMPARE(songRows(w), QStringList{"880 100 524 100"});
    }

    void trackBoxesKeepTheirState() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 440 100"});
        answerDialog(app.prompts, {QStringLiteral("200"), 0, false, true});
        w.Oktavendern1->trigger();
        QCOMPARE(songRows(w), QStringList{"440 100 880 100"});
        app.prompts.onModal = [](QDialog& dialog) {
            auto& form = static_cast<TForm11&>(dialog);
            QTest::mouseClick(form.Button3, Qt::LeftButton);
            QTest::mouseClick(form.Button1, Qt::LeftButton);
            return form.result();
        };
        w.Oktavendern1->trigger();
        QCOMPARE(songRows(w), QStringList{"440 100 1760 100"});
        QVERIFY(!forms().Form11->CheckBox1->isChecked());
        QVERIFY(forms().Form11->CheckBox2->isChecked());
    }

    void pitchKeepsSelectionAndDurations() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 0 100", "494 250 330 250"});
        clickItem(w.Memo3, 0);
        answerDialog(app.prompts, {QStringLiteral("100"), 1, true, true});
        w.Oktavendern1->trigger();
        QCOMPARE(songRows(w), (QStringList{"880 100 0 100", "988 250 659 250"}));
        QCOMPARE(selections(w), (QList<int>{0, 0, 0, 0, 0}));
    }
};

QTEST_MAIN(TestSpeedPitch)
#include "tst_speedpitch.moc"
