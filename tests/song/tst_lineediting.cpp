#include "base/Guard.h"
#include "gui/ListBox.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "gui/LineEditor.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

const QStringList fiveLines = {"100 10 0 10", "200 20 0 20", "300 30 0 30", "400 40 0 40",
                               "500 50 0 50"};

struct EditorView {
    QString zeile, freq1, dauer1, freq2, dauer2;
};

EditorView read(const TForm2& editor) {
    return {editor.edZeile->text(), editor.edFreq1->text(), editor.edDauer1->text(),
            editor.edFreq2->text(), editor.edDauer2->text()};
}

} // namespace

class TestLineEditing : public QObject {
    Q_OBJECT

private slots:
    void addUsesBothFieldsWhateverTheActiveTrack() {
        AppFixture app;
        TForm1& w = app.main();
        QTest::mouseClick(w.btadd, Qt::LeftButton);
        QCOMPARE(songRows(w), QStringList({"500 100 0 100"}));
        QCOMPARE(w.Line->items(), QStringList({"0"}));
        w.FormKeyDown(Qt::Key_F2);
        w.edFreq1->clear();
        w.edFreq2->setText("440");
        w.edLengh->setText("abc");
        QTest::mouseClick(w.btadd, Qt::LeftButton);
        // Only what the outputs can play goes in: an empty field is refused, nothing added.
        QCOMPARE(songRows(w), QStringList({"500 100 0 100"}));
        QCOMPARE(app.prompts.texts().size(), 1);
        w.edFreq1->setText("0");
        w.edLengh->setText("250");
        QTest::mouseClick(w.btadd, Qt::LeftButton);
        QCOMPARE(songRows(w).last(), QStringLiteral("0 250 440 250"));
    }

    void addKeepsTheSelectionAndAppends() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, fiveLines);
        clickItem(w.Memo2, 2);
        w.btadd->click();
        QCOMPARE(w.Line->items().last(), QStringLiteral("5"));
        QCOMPARE(w.Memo1->count(), 6);
        QCOMPARE(w.Memo1->itemIndex(), 2);
        QCOMPARE(w.Memo4->itemIndex(), 2);
    }

    void addScrollsTheLastLineIntoView() {
        AppFixture app;
        TForm1& w = app.main();
        for (int i = 0; i < 60; ++i)
            w.btadd->click();
        QApplication::processEvents();
        for (ListBox* list : {w.Line, w.Memo1, w.Memo2, w.Memo3, w.Memo4}) {
            const QRect last = list->itemRect(59);
            QVERIFY2(list->viewport()->rect().intersects(last), qPrintable(list->objectName()));
        }
    }

    void changeOpensTheSelectedLine() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"1 10 2 10", "3 10 4 10", "5 10 6 10", "440 100 0 200", "7 10 8 10"});
        clickItem(w.Memo1, 3);
        EditorView seen;
        app.prompts.onModal = [&](QDialog& dialog) {
            seen = read(static_cast<TForm2&>(dialog));
            return QDialog::Rejected;
        };
        w.btAendern->click();
        QCOMPARE(app.prompts.modalCount, 1);
        QCOMPARE(seen.zeile, QStringLiteral("4"));
        QCOMPARE(seen.freq1, QStringLiteral("440"));
        QCOMPARE(seen.freq2, QStringLiteral("0"));
        // The durations mirror each other, so both show track 2's duration.
        QCOMPARE(seen.dauer1, QStringLiteral("200"));
        QCOMPARE(seen.dauer2, QStringLiteral("200"));
    }

    void changeWithoutSelectionDoesNothing() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, fiveLines);
        w.btAendern->click();
        QCOMPARE(app.prompts.modalCount, 0);
        QVERIFY(app.prompts.errors.isEmpty());
    }

    void lineNumberIsZeroAfterRenumbering() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, fiveLines);
        clickItem(w.Memo1, 2);
        w.btadd->click(); // renumbering leaves Line without selection
        QString zeile;
        app.prompts.onModal = [&](QDialog& dialog) {
            zeile = static_cast<TForm2&>(dialog).edZeile->text();
            return QDialog::Rejected;
        };
        w.btAendern->click();
        QCOMPARE(zeile, QStringLiteral("0"));
    }

    void okWritesBothDurations() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"1 10 2 10", "440 100 0 200"});
        clickItem(w.Memo3, 1);
        app.prompts.onModal = [&](QDialog& dialog) {
            auto& editor = static_cast<TForm2&>(dialog);
            editor.edFreq1->setText("880");
            editor.edFreq2->setText("110");
            QTest::mouseClick(editor.btOk, Qt::LeftButton);
            return dialog.result();
        };
        w.btAendern->click();
        QCOMPARE(songRows(w), QStringList({"1 10 2 10", "880 200 110 200"}));
        QCOMPARE(selections(w), QList<int>({1, 1, 1, 1, 1}));
        TForm2& editor = *forms().Form2();
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        for (QLineEdit* edit : {editor.edZeile, editor.edFreq1, editor.edDauer1, editor.edFreq2,
                                editor.edDauer2})
            QVERIFY(edit->text().isEmpty());
    }

    void durationsMirror_data() {
        QTest::addColumn<bool>("typeIntoFirst");
        QTest::newRow("Dauer 1") << true;
        QTest::newRow("Dauer 2") << false;
    }

    void durationsMirror() {
        QFETCH(bool, typeIntoFirst);
        AppFixture app;
        TForm2& editor = *forms().Form2();
        QLineEdit* typed = typeIntoFirst ? editor.edDauer1 : editor.edDauer2;
        QLineEdit* other = typeIntoFirst ? editor.edDauer2 : editor.edDauer1;
        editor.show();
        typed->setFocus();
        QTest::keyClicks(typed, "250");
        QCOMPARE(other->text(), QStringLiteral("250"));
        QCOMPARE(typed->text(), QStringLiteral("250"));
        editor.hide();
    }

    void okRefusesUnequalDurations() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 0 100"});
        clickItem(w.Memo1, 0);
        bool stillOpen = false;
        app.prompts.onModal = [&](QDialog& dialog) {
            auto& editor = static_cast<TForm2&>(dialog);
            editor.edFreq1->setText("999");
            // Only code can make the two fields differ: the mirror follows every change.
            const QSignalBlocker blocker(editor.edDauer2);
            editor.edDauer2->setText("300");
            editor.btOk->click();
            stillOpen = editor.isVisible();
            editor.Button2->click();
            return dialog.result();
        };
        w.btAendern->click();
        QCOMPARE(app.prompts.texts(),
                 QStringList({"Die Dauer beider Spuren muss gleich sein"}));
        QVERIFY(stillOpen);
        QCOMPARE(songRows(w), QStringList({"440 100 0 100"}));
    }

    void cancelDiscards() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 0 100"});
        clickItem(w.Memo1, 0);
        bool cleared = false;
        app.prompts.onModal = [&](QDialog& dialog) {
            auto& editor = static_cast<TForm2&>(dialog);
            editor.edFreq1->setText("1");
            QTest::mouseClick(editor.Button2, Qt::LeftButton);
            cleared = editor.edFreq1->text().isEmpty();
            return dialog.result();
        };
        w.btAendern->click();
        QVERIFY(cleared);
        QCOMPARE(songRows(w), QStringList({"440 100 0 100"}));
    }

    void closeBoxLeavesSongAndEdits() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 0 100"});
        clickItem(w.Memo1, 0);
        app.prompts.onModal = [&](QDialog& dialog) {
            auto& editor = static_cast<TForm2&>(dialog);
            editor.edFreq1->setText("1");
            editor.close();
            return dialog.result();
        };
        w.btAendern->click();
        TForm2& editor = *forms().Form2();
        QVERIFY(!editor.isVisible());
        QCOMPARE(songRows(w), QStringList({"440 100 0 100"}));
        QCOMPARE(editor.edFreq1->text(), QStringLiteral("1"));
        QCOMPARE(editor.edDauer2->text(), QStringLiteral("100"));
    }

    void okAfterPlaybackLeftTheSong() {
        // A playback can move the selection past the last line while the editor is open.
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 0 100", "220 100 0 100"});
        clickItem(w.Memo1, 1);
        bool stillOpen = false;
        app.prompts.onModal = [&](QDialog& dialog) {
            auto& editor = static_cast<TForm2&>(dialog);
            editor.edFreq1->setText("999");
            for (ListBox* list : {w.Line, w.Memo1, w.Memo2, w.Memo3, w.Memo4})
                list->setItemIndex(2);
            editor.btOk->click();
            stillOpen = editor.isVisible();
            const QString kept = editor.edFreq1->text();
            editor.Button2->click();
            return kept == QStringLiteral("999") ? 1 : 0;
        };
        w.btAendern->click();
        QVERIFY(stillOpen);
        QCOMPARE(app.prompts.errors,
                 QStringList({"Listenindex überschreitet das Maximum (-1)"}));
        QCOMPARE(songRows(w), QStringList({"440 100 0 100", "220 100 0 100"}));
    }

    void doubleClickOpensTheEditor_data() {
        QTest::addColumn<int>("list");
        for (int i = 1; i <= 4; ++i)
            QTest::newRow(qPrintable(QStringLiteral("Memo%1").arg(i))) << i;
    }

    void doubleClickOpensTheEditor() {
        QFETCH(int, list);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"1 10 2 10", "3 30 4 30"});
        ListBox* target = QList<ListBox*>{w.Memo1, w.Memo2, w.Memo3, w.Memo4}[list - 1];
        QString freq2;
        app.prompts.onModal = [&](QDialog& dialog) {
            freq2 = static_cast<TForm2&>(dialog).edFreq2->text();
            return QDialog::Rejected;
        };
        doubleClickItem(target, 1);
        QCOMPARE(app.prompts.modalCount, 1);
        QCOMPARE(freq2, QStringLiteral("4"));
    }

    // A double click counts anywhere in a track list, below the items and in an empty list too.
    void doubleClickAnywhere_data() {
        QTest::addColumn<int>("list");
        QTest::addColumn<bool>("emptySong");
        QTest::addColumn<int>("modals");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<QString>("freq1");
        const QStringList noLine{"Listenindex überschreitet das Maximum (-1)"};
        for (int i = 1; i <= 4; ++i) {
            QTest::addRow("empty Memo%d", i) << i << true << 0 << noLine << QString();
            QTest::addRow("below the items of Memo%d", i)
                << i << false << 1 << QStringList() << "3";
        }
    }

    void doubleClickAnywhere() {
        QFETCH(int, list);
        QFETCH(bool, emptySong);
        QFETCH(int, modals);
        QFETCH(QStringList, errors);
        QFETCH(QString, freq1);
        AppFixture app;
        TForm1& w = app.main();
        if (!emptySong) {
            setSong(w, {"1 10 2 10", "3 30 4 30", "5 50 6 50"});
            clickItem(w.Memo1, 1);
        }
        QString seen;
        app.prompts.onModal = [&](QDialog& dialog) {
            seen = static_cast<TForm2&>(dialog).edFreq1->text();
            return QDialog::Rejected;
        };
        ListBox* target = QList<ListBox*>{w.Memo1, w.Memo2, w.Memo3, w.Memo4}[list - 1];
        const QPoint below(10, target->viewport()->height() - 10);
        QTest::mouseClick(target->viewport(), Qt::LeftButton, {}, below);
        QTest::mouseDClick(target->viewport(), Qt::LeftButton, {}, below);
        QCOMPARE(app.prompts.modalCount, modals);
        QCOMPARE(app.prompts.errors, errors);
        QCOMPARE(seen, freq1);
        QCOMPARE(selections(w), QList<int>(5, emptySong ? -1 : 1));
    }

    void doubleClickHandlerOnEmptySong() {
        AppFixture app;
        TForm1& w = app.main();
        guarded([&] { w.Memo2DblClick(); });
        QCOMPARE(app.prompts.errors, QStringList({"Listenindex überschreitet das Maximum (-1)"}));
        QCOMPARE(app.prompts.modalCount, 0);
    }

    void deleteLines() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, fiveLines);
        w.btloeschen->click();
        w.btloeschen->click();
        QCOMPARE(songRows(w), fiveLines.mid(0, 3));
        clickItem(w.Memo1, 0);
        w.btloeschen->click();
        QCOMPARE(songRows(w), fiveLines.mid(1, 2));
        QCOMPARE(w.Line->items(), QStringList({"0", "1"}));
        QCOMPARE(w.Memo1->itemIndex(), -1);
    }

    // "Dual-Spur" rebuilds one frequency list without a selection; the line the other lists
    // still select is the one deleted, from all four lists.
    void deleteAfterDualSpur_data() {
        QTest::addColumn<bool>("toTrackTwo");
        QTest::addColumn<int>("line");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("Spur 1, line 0")
            << true << 0
            << QStringList{"200 20 200 20", "300 30 300 30", "400 40 400 40", "500 50 500 50"};
        QTest::newRow("Spur 1, line 2")
            << true << 2
            << QStringList{"100 10 100 10", "200 20 200 20", "400 40 400 40", "500 50 500 50"};
        QTest::newRow("Spur 2, line 0")
            << false << 0 << QStringList{"2 20 2 20", "3 30 3 30", "4 40 4 40", "5 50 5 50"};
        QTest::newRow("Spur 1, last line")
            << true << 4
            << QStringList{"100 10 100 10", "200 20 200 20", "300 30 300 30", "400 40 400 40"};
    }

    void deleteAfterDualSpur() {
        QFETCH(bool, toTrackTwo);
        QFETCH(int, line);
        QFETCH(QStringList, rows);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"100 10 1 10", "200 20 2 20", "300 30 3 30", "400 40 4 40", "500 50 5 50"});
        clickItem(w.Memo1, line);
        (toTrackTwo ? w.Spur11 : w.Spur21)->trigger();
        w.btloeschen->click();
        QCOMPARE(songRows(w), rows);
        QCOMPARE(w.Line->count(), 4);
        QCOMPARE(selections(w), QList<int>({-1, -1, -1, -1, -1}));
        // The next press takes the last line, as after any deletion of a selected line.
        w.btloeschen->click();
        QCOMPARE(songRows(w), rows.mid(0, 3));
    }

    void deleteOnEmptySong() {
        AppFixture app;
        TForm1& w = app.main();
        w.btloeschen->click();
        QCOMPARE(w.Memo1->count(), 0);
        QVERIFY(app.prompts.errors.isEmpty());
    }

    void swapFrequencies() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"1 10 2 10", "440 100 0 100"});
        clickItem(w.Memo4, 1);
        w.btTauschen->click();
        QCOMPARE(songRows(w), QStringList({"1 10 2 10", "0 100 440 100"}));
        QCOMPARE(w.Memo1->itemIndex(), 1);
    }

    void swapWithoutSelection() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"440 100 0 100"});
        w.btTauschen->click();
        QCOMPARE(app.prompts.errors, QStringList({"Listenindex überschreitet das Maximum (-1)"}));
        QCOMPARE(songRows(w), QStringList({"440 100 0 100"}));
    }

    void editorLayout() {
        AppFixture app;
        TForm2& editor = *forms().Form2();
        QCOMPARE(editor.windowTitle(), QStringLiteral("Z1rpW3rk 3 Editor"));
        QCOMPARE(editor.size(), QSize(280, 105));
        QCOMPARE(editor.btOk->text(), QStringLiteral("OK"));
        QCOMPARE(editor.Button2->text(), QStringLiteral("Abbrechen"));
        QList<QWidget*> tabOrder;
        for (QWidget* w = editor.edZeile; tabOrder.size() < 7; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus)
                tabOrder.append(w);
        QCOMPARE(tabOrder, (QList<QWidget*>{editor.edZeile, editor.edFreq1, editor.edDauer1,
                                            editor.edFreq2, editor.edDauer2, editor.btOk,
                                            editor.Button2}));
    }

    void editorCaptions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("edit"); // the edit the caption stands over
        QTest::newRow("Zeile") << "Label1"
                               << "Zeile"
                               << "edZeile";
        QTest::newRow("Frequenz 1") << "Label2"
                                    << "Frequenz"
                                    << "edFreq1";
        QTest::newRow("Dauer 1") << "Label3"
                                 << "Dauer"
                                 << "edDauer1";
        QTest::newRow("Spur 1") << "Label4"
                                << "Spur 1"
                                << "edFreq1";
        QTest::newRow("Frequenz 2") << "Label5"
                                    << "Frequenz"
                                    << "edFreq2";
        QTest::newRow("Dauer 2") << "Label6"
                                 << "Dauer"
                                 << "edDauer2";
        QTest::newRow("Spur 2") << "Label7"
                                << "Spur 2"
                                << "edFreq2";
    }

    void editorCaptions() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, edit);
        AppFixture app;
        TForm2& editor = *forms().Form2();
        auto* caption = editor.findChild<QLabel*>(name);
        QVERIFY(caption);
        QCOMPARE(caption->text(), text);
        auto* field = editor.findChild<QLineEdit*>(edit);
        QCOMPARE(caption->x(), field->x());
        QVERIFY(caption->geometry().bottom() < field->y());
        // The whole caption is in the window and no other caption covers it.
        QVERIFY(editor.rect().contains(caption->geometry()));
        QVERIFY(caption->fontMetrics().horizontalAdvance(text) <= caption->width());
        for (QLabel* other : editor.findChildren<QLabel*>())
            if (other != caption && other != editor.Image1)
                QVERIFY2(!other->geometry().intersects(caption->geometry()),
                         qPrintable(other->objectName()));
    }

    void editorCentredOnTheScreen() {
        AppFixture app;
        TForm1& w = app.main();
        w.move(0, 0);
        setSong(w, {"1 10 2 10"});
        clickItem(w.Memo1, 0);
        QPoint centre;
        app.prompts.onModal = [&](QDialog& dialog) {
            centre = dialog.geometry().center();
            return QDialog::Rejected;
        };
        w.btAendern->click();
        const QPoint screen = QGuiApplication::primaryScreen()->availableGeometry().center();
        // Within the thickness of a window frame.
        QVERIFY2((centre - screen).manhattanLength() <= 8,
                 qPrintable(QStringLiteral("%1,%2 vs %3,%4")
                                .arg(centre.x())
                                .arg(centre.y())
                                .arg(screen.x())
                                .arg(screen.y())));
    }
};

QTEST_MAIN(TestLineEditing)
#include "tst_lineediting.moc"
