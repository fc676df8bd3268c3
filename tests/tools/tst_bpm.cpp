#include "gui/ListBox.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"
#include "gui/BpmPanel.h"
#include "gui/PanelCloseLabel.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

QStringList rowsFor(const QStringList& values) {
    const QStringList labels{"1/1 = ", "1/2 = ", "1/4 = ", "1/8 = ", "1/16 = "};
    QStringList rows;
    for (int i = 0; i < labels.size(); ++i)
        rows.append(labels[i] + values[i] + "ms");
    return rows;
}

void typeTempo(QLineEdit* edit, const QString& text) {
    // As a paste over the whole field: one change.
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        edit->del();
    else
        edit->insert(text);
}

} // namespace

class TestBpm : public QObject {
    Q_OBJECT

private slots:
    void atStart() {
        AppFixture app;
        TForm1& w = app.main();
        BpmPanel& p = *w.bpmPanel;
        QCOMPARE(p.gbInfoBPM->title(), QStringLiteral("Notenwerte"));
        QCOMPARE(p.gbInfoBPM->geometry(), QRect(544, 8, 193, 121));
        QVERIFY(p.gbInfoBPM->isHidden());
        QCOMPARE(p.edBPM->text(), QStringLiteral("180"));
        QCOMPARE(p.edBPM->geometry(), QRect(48, 16, 49, 21));
        QCOMPARE(p.lbNoten->geometry(), QRect(8, 40, 177, 73));
        QCOMPARE(p.Label24->text(), QStringLiteral("BPM"));
        // The list is filled only by the first change of the field.
        QCOMPARE(p.lbNoten->items(), QStringList(5, QString()));
        QCOMPARE(p.Tempo, 0);
        QCOMPARE(w.BPMNotenwerte1->shortcut(), QKeySequence("Ctrl+B"));
    }

    void rows_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("180 again") << "180"
                                   << "180" << QStringList{"1332", "666", "333", "166", "83"};
        QTest::newRow("7 BPM") << "7"
                               << "7" << QStringList{"34284", "17142", "8571", "4285", "2142"};
        QTest::newRow("cleared gives 1")
            << ""
            << "1" << QStringList{"240000", "120000", "60000", "30000", "15000"};
        QTest::newRow("above 60000") << "60001"
                                     << "60001" << QStringList{"0", "0", "0", "0", "0"};
        QTest::newRow("negative") << "-120"
                                  << "-120"
                                  << QStringList{"-2000", "-1000", "-500", "-250", "-125"};
        QTest::newRow("odd negative truncates toward zero")
            << "-7"
            << "-7" << QStringList{"-34284", "-17142", "-8571", "-4285", "-2142"};
        QTest::newRow("hexadecimal") << "$3C"
                                     << "$3C" << QStringList{"4000", "2000", "1000", "500", "250"};
    }

    void rows() {
        QFETCH(QString, typed);
        QFETCH(QString, field);
        QFETCH(QStringList, values);
        AppFixture app;
        TForm1& w = app.main();
        BpmPanel& p = *w.bpmPanel;
        w.BPMNotenwerte1->trigger();
        typeTempo(p.edBPM, typed);
        QCOMPARE(app.prompts.errors, QStringList());
        QCOMPARE(p.edBPM->text(), field);
        QCOMPARE(p.lbNoten->items(), rowsFor(values));
        QCOMPARE(w.edLengh->text(), QStringLiteral("100")); // no row chosen
    }

    void clearingRunsTheHandlerForOneFirst() {
        AppFixture app;
        TForm1& w = app.main();
        BpmPanel& p = *w.bpmPanel;
        QStringList seen;
        connect(p.edBPM, &QLineEdit::textChanged, &w,
                [&](const QString& text) { seen.append(text); });
        typeTempo(p.edBPM, "");
        // The handler's own "1" is a change of its own, completed within the first one.
        QCOMPARE(seen, QStringList({"1", ""}));
        QCOMPARE(p.edBPM->text(), QStringLiteral("1"));
        QCOMPARE(p.Tempo, 1);
        QCOMPARE(app.prompts.errors, QStringList());
        QCOMPARE(p.lbNoten->item(0), QStringLiteral("1/1 = 240000ms"));
    }

    void chosenRowGoesToDuration_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("at180");
        QTest::addColumn<QString>("at7");
        QTest::newRow("whole") << 0 << "1332"
                               << "34284";
        QTest::newRow("quarter") << 2 << "333"
                                 << "8571";
        QTest::newRow("sixteenth") << 4 << "83"
                                   << "2142";
    }

    void chosenRowGoesToDuration() {
        QFETCH(int, row);
        QFETCH(QString, at180);
        QFETCH(QString, at7);
        AppFixture app;
        TForm1& w = app.main();
        BpmPanel& p = *w.bpmPanel;
        w.BPMNotenwerte1->trigger();
        w.show();
        QTest::keyClicks(p.edBPM, "0");
        QTest::keyClick(p.edBPM, Qt::Key_Backspace); // typed: 1800, then 180 again
        clickItem(p.lbNoten, row);
        QCOMPARE(p.lbNoten->itemIndex(), row);
        QCOMPARE(w.edLengh->text(), at180);
        // A new tempo updates the duration at once, and the row stays chosen.
        typeTempo(p.edBPM, "7");
        QCOMPARE(w.edLengh->text(), at7);
        QCOMPARE(p.lbNoten->itemIndex(), row);
        // The click uses the tempo in force, not the field.
        w.edLengh->setText("1");
        p.edBPM->blockSignals(true);
        p.edBPM->setText("180");
        p.edBPM->blockSignals(false);
        clickItem(p.lbNoten, row);
        QCOMPARE(w.edLengh->text(), at7);
        QCOMPARE(app.prompts.errors, QStringList());
    }

    void failures_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("tempo");
        QTest::newRow("not a number") << "12a"
                                      << "'12a' ist kein gültiger Integerwert" << 180;
        QTest::newRow("zero") << "0"
                              << "Division durch Null" << 0;
    }

    void failures() {
        QFETCH(QString, typed);
        QFETCH(QString, error);
        QFETCH(int, tempo);
        AppFixture app;
        TForm1& w = app.main();
        BpmPanel& p = *w.bpmPanel;
        w.BPMNotenwerte1->trigger();
        typeTempo(p.edBPM, "180");
        clickItem(p.lbNoten, 1);
        QCOMPARE(w.edLengh->text(), QStringLiteral("666"));
        p.edBPM->setText(typed);
        QCOMPARE(app.prompts.errors, QStringList{error});
        QCOMPARE(p.Tempo, tempo);
        QCOMPARE(p.lbNoten->items(), rowsFor({"1332", "666", "333", "166", "83"}));
        QCOMPARE(w.edLengh->text(), QStringLiteral("666"));
    }

    void clickBeforeAnyTempo() {
        AppFixture app;
        TForm1& w = app.main();
        BpmPanel& p = *w.bpmPanel;
        w.BPMNotenwerte1->trigger();
        clickItem(p.lbNoten, 3);
        QCOMPARE(app.prompts.errors, QStringList{"Division durch Null"});
        QCOMPARE(w.edLengh->text(), QStringLiteral("100"));
    }

    void toggling() {
        AppFixture app;
        TForm1& w = app.main();
        BpmPanel& p = *w.bpmPanel;
        w.BPMNotenwerte1->trigger();
        QVERIFY(p.gbInfoBPM->isVisible() && w.BPMNotenwerte1->isChecked() && w.SidePanelOpen);
        QTRY_COMPARE(w.width(), TForm1::kWideWidth);
        QTest::mouseClick(p.Label22, Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(!p.gbInfoBPM->isVisible() && !w.BPMNotenwerte1->isChecked() && !w.SidePanelOpen);
        QTRY_COMPARE(w.width(), TForm1::kNarrowWidth);
        // The "X" clicks the menu item: with the mark set but the panel hidden by another
        // route, it toggles by the mark.
        w.BPMNotenwerte1->setChecked(false);
        QTest::mouseClick(p.Label22, Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(p.gbInfoBPM->isVisible() && w.BPMNotenwerte1->isChecked() && w.SidePanelOpen);
    }
};

QTEST_MAIN(TestBpm)
#include "tst_bpm.moc"
