#include "gui/ListBox.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"
#include "gui/GeneratorPanels.h"
#include "gui/PanelCloseLabel.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <cstdlib>

namespace {

QStringList column(const ListBox* list) {
    return list->items();
}

QStringList sweep(long long from, long long step, int count) {
    QStringList values;
    for (int i = 0; i < count; ++i)
        values.append(QString::number(from + i * step));
    return values;
}

QWidget* nextTabStop(QWidget* widget) {
    QWidget* next = widget->nextInFocusChain();
    while (next != widget && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

void clickLabel(QLabel* label) {
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(2, 2));
}

/// Records the status text each time the progress bar moves.
struct ProgressLog {
    explicit ProgressLog(TForm1& w) {
        QObject::connect(w.probar, &QProgressBar::valueChanged, w.probar, [this, &w](int value) {
            entries.append({value, w.laStatus->text()});
        });
    }
    QList<QPair<int, QString>> entries;
};

} // namespace

class TestGenerators : public QObject {
    Q_OBJECT

private slots:
    void panelsAtStart_data() {
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QStringList>("tabOrder"); // edits and button, in tab order
        QTest::addColumn<QStringList>("defaults");
        // The label beside each edit, in the order of the edits: name, then text.
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<int>("captionLeft");
        QTest::newRow("Schredder")
            << "gbSchredder"
            << "Schredder" << QRect(544, 8, 193, 129)
            << QStringList{"EditShredderVon", "EditSchredderBis", "EditSchredderInterval",
                           "EditSchredderDauer", "ButtonSchredder"}
            << QStringList{"440", "1000", "5", "20", "OK"}
            << QStringList{"Label11", "von (hz)",       "Label12", "bis (hz)",
                           "Label13", "Intervall (hz)", "Label14", "Dauer (ms)"}
            << 44;
        QTest::newRow("Welle") << "gbWelle"
                               << "Welle" << QRect(544, 8, 193, 145)
                               << QStringList{"edKurve",  "edDauer",   "edAnzahl",
                                              "edStarke", "btokwelle", "edtonhoehe"}
                               << QStringList{"100", "10", "2000", "250", "OK", "500"}
                               << QStringList{"Label16", "Kurvenstreckung",
                                              "Label17", "Dauer eines Tons (ms)",
                                              "Label18", "Anzahl der Töne",
                                              "Label19", "Stärke (hz)",
                                              "Label21", "Startton (hz)"}
                               << 64;
    }

    void panelsAtStart() {
        QFETCH(QString, panel);
        QFETCH(QString, caption);
        QFETCH(QRect, geometry);
        QFETCH(QStringList, tabOrder);
        QFETCH(QStringList, defaults);
        QFETCH(QStringList, captions);
        QFETCH(int, captionLeft);
        AppFixture app;
        auto* box = app.main().centralWidget()->findChild<QGroupBox*>(panel);
        QVERIFY(box);
        QCOMPARE(box->title(), caption);
        QCOMPARE(box->geometry(), geometry);
        QVERIFY(box->isHidden());
        QVERIFY(box->font().bold());
        for (int i = 0; i < tabOrder.size(); ++i) {
            auto* control = box->findChild<QWidget*>(tabOrder[i]);
            QVERIFY2(control, qPrintable(tabOrder[i]));
            QVERIFY(!control->font().bold());
            if (auto* edit = qobject_cast<QLineEdit*>(control))
                QCOMPARE(edit->text(), defaults[i]);
            else
                QCOMPARE(qobject_cast<QPushButton*>(control)->text(), defaults[i]);
            if (i + 1 < tabOrder.size())
                QCOMPARE(nextTabStop(control)->objectName(), tabOrder[i + 1]);
        }
        // The captions carry their own names (the English texts find them by these).
        const QList<QLineEdit*> edits = box->findChildren<QLineEdit*>();
        QCOMPARE(edits.size(), captions.size() / 2);
        for (int i = 0; i < captions.size(); i += 2) {
            auto* label = box->findChild<QLabel*>(captions[i]);
            QVERIFY2(label, qPrintable(captions[i]));
            QCOMPARE(label->text(), captions[i + 1]);
            QCOMPARE(label->x(), captionLeft);
            const QLineEdit* edit = edits[i / 2];
            QVERIFY(std::abs(label->geometry().center().y() - edit->geometry().center().y()) <= 1);
        }
    }

    void shredder_data() {
        QTest::addColumn<QStringList>("fields"); // von, bis, Intervall, Dauer
        QTest::addColumn<bool>("trackTwo");
        QTest::addColumn<QStringList>("frequencies");
        QTest::addColumn<QString>("duration");
        QTest::newRow("defaults: 113 lines up to 1000")
            << QStringList{"440", "1000", "5", "20"} << false << sweep(440, 5, 113) << "20";
        QTest::newRow("downward: sign forced negative")
            << QStringList{"1000", "440", "5", "20"} << false << sweep(1000, -5, 113) << "20";
        QTest::newRow("downward with negative interval")
            << QStringList{"1000", "440", "-5", "20"} << false << sweep(1000, -5, 113) << "20";
        QTest::newRow("upward with negative interval: nothing")
            << QStringList{"440", "1000", "-5", "20"} << false << QStringList{} << "";
        QTest::newRow("interval 3 ends before 1000")
            << QStringList{"440", "1000", "3", "20"} << false << sweep(440, 3, 187) << "20";
        QTest::newRow("distance below interval: one tone")
            << QStringList{"440", "443", "5", "20"} << false << QStringList{"440"} << "20";
        QTest::newRow("equal ends: one tone")
            << QStringList{"440", "440", "5", "20"} << false << QStringList{"440"} << "20";
        QTest::newRow("duration copied as typed")
            << QStringList{"100", "110", "5", "010"} << false << sweep(100, 5, 3) << "010";
        QTest::newRow("duration not checked")
            << QStringList{"100", "110", "5", "kurz"} << false << sweep(100, 5, 3) << "kurz";
        QTest::newRow("hexadecimal fields")
            << QStringList{"$10", "0x20", "x8", "20"} << false << sweep(16, 8, 3) << "20";
        QTest::newRow("track 2") << QStringList{"440", "450", "5", "20"} << true << sweep(440, 5, 3)
                                 << "20";
        QTest::newRow("whole 32-bit range without wrapping")
            << QStringList{"-2147483648", "2147483647", "2147483647", "1"} << false
            << QStringList{"-2147483648", "-1", "2147483646"} << "1";
        QTest::newRow("downward over the whole range")
            << QStringList{"2147483647", "-2147483648", "-2147483648", "1"} << false
            << QStringList{"2147483647", "-1"} << "1";
    }

    void shredder() {
        QFETCH(QStringList, fields);
        QFETCH(bool, trackTwo);
        QFETCH(QStringList, frequencies);
        QFETCH(QString, duration);
        AppFixture app;
        TForm1& w = app.main();
        GeneratorPanels& g = *w.generators;
        setSong(w, {"1 2 3 4"});
        if (trackTwo)
            w.rgASpurItem1->setChecked(true);
        g.EditShredderVon->setText(fields[0]);
        g.EditSchredderBis->setText(fields[1]);
        g.EditSchredderInterval->setText(fields[2]);
        g.EditSchredderDauer->setText(fields[3]);
        w.Schredder1->trigger();
        QTest::mouseClick(g.ButtonSchredder, Qt::LeftButton);
        QCOMPARE(app.prompts.errors, QStringList());

        const int n = frequencies.size();
        QCOMPARE(w.Memo1->count(), n + 1);
        QCOMPARE(w.Line->count(), n + 1);
        QCOMPARE(w.Line->item(n), QString::number(n));
        QCOMPARE(songRows(w).first(), QStringLiteral("1 2 3 4"));
        const QStringList rests(n, QStringLiteral("0"));
        const QStringList durations(n, duration);
        QCOMPARE(column(w.Memo1).mid(1), trackTwo ? rests : frequencies);
        QCOMPARE(column(w.Memo2).mid(1), durations);
        QCOMPARE(column(w.Memo3).mid(1), trackTwo ? frequencies : rests);
        QCOMPARE(column(w.Memo4).mid(1), durations);
        // The progress ends cleared.
        QCOMPARE(w.probar->value(), 0);
        QCOMPARE(w.laStatus->text(), QString());
    }

    void shredderFailures_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("error"); // empty: no message at all
        QTest::newRow("empty von") << QStringList{"", "1000", "5", "20"} << "";
        QTest::newRow("empty Dauer") << QStringList{"440", "1000", "5", ""} << "";
        QTest::newRow("von not a number")
            << QStringList{"4a0", "1000", "5", "20"} << "'4a0' ist kein gültiger Integerwert";
        QTest::newRow("bis blank")
            << QStringList{"440", " ", "5", "20"} << "' ' ist kein gültiger Integerwert";
        QTest::newRow("von checked before bis")
            << QStringList{"x", "y", "5", "20"} << "'x' ist kein gültiger Integerwert";
        QTest::newRow("interval too large") << QStringList{"440", "1000", "2147483648", "20"}
                                            << "'2147483648' ist kein gültiger Integerwert";
        QTest::newRow("interval 0")
            << QStringList{"440", "1000", "0", "20"} << "Division durch Null";
        QTest::newRow("more lines than a song can hold")
            << QStringList{"0", "2000000000", "1", "20"}
            << "Zu viele Töne: höchstens 1000000 auf einmal";
    }

    void shredderFailures() {
        QFETCH(QStringList, fields);
        QFETCH(QString, error);
        AppFixture app;
        TForm1& w = app.main();
        GeneratorPanels& g = *w.generators;
        setSong(w, {"1 2 3 4", "5 6 7 8"});
        w.Line->clearItems(); // shows whether the lines were renumbered
        g.EditShredderVon->setText(fields[0]);
        g.EditSchredderBis->setText(fields[1]);
        g.EditSchredderInterval->setText(fields[2]);
        g.EditSchredderDauer->setText(fields[3]);
        g.ButtonSchredder->click();
        QCOMPARE(songRows(w), QStringList({"1 2 3 4", "5 6 7 8"}));
        if (error.isEmpty()) {
            QCOMPARE(app.prompts.messages.size(), 0);
            QCOMPARE(w.Line->items(), QStringList({"0", "1"}));
        } else {
            QCOMPARE(app.prompts.errors, QStringList{error});
            QCOMPARE(w.Line->count(), 0); // stopped before the renumbering
        }
    }

    void shredderProgressText() {
        AppFixture app;
        TForm1& w = app.main();
        ProgressLog log(w);
        w.generators->EditSchredderBis->setText("460"); // 5 tones, 4 steps
        w.generators->ButtonSchredder->click();
        QCOMPARE(log.entries.first(), qMakePair(25, QStringLiteral("Generiere Daten")));
        QCOMPARE(log.entries.at(1), qMakePair(50, QStringLiteral("Generiere Daten")));
        QVERIFY(log.entries.contains(qMakePair(100, QStringLiteral("Generiere Daten"))));
        QCOMPARE(w.probar->value(), 0);
        QCOMPARE(w.laStatus->text(), QString());
    }

    void wave_data() {
        QTest::addColumn<QStringList>("fields"); // Kurve, Dauer, Anzahl, Stärke, Startton
        QTest::addColumn<bool>("trackTwo");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("checks"); // pairs: line, frequency
        QTest::addColumn<QString>("duration");
        QTest::newRow("defaults") << QStringList{"100", "10", "2000", "250", "500"} << false << 2000
                                  << QList<int>{0, 502, 1, 504, 156, 749, 1999, 728} << "10";
        QTest::newRow("defaults on track 2")
            << QStringList{"100", "10", "2000", "250", "500"} << true << 2000
            << QList<int>{0, 502, 1, 504, 156, 749, 1999, 728} << "10";
        QTest::newRow("strength above start tone goes negative")
            << QStringList{"100", "10", "2000", "600", "500"} << false << 2000
            << QList<int>{0, 505, 156, 1099, 470, -99} << "10";
        QTest::newRow("duration written as a number")
            << QStringList{"100", "010", "3", "250", "500"} << false << 3
            << QList<int>{0, 502, 1, 504, 2, 507} << "10";
        QTest::newRow("negative stretch mirrors the wave")
            << QStringList{"-100", "10", "2", "250", "500"} << false << 2
            << QList<int>{0, 497, 1, 495} << "10";
        QTest::newRow("no tones") << QStringList{"100", "10", "0", "250", "500"} << false << 0
                                  << QList<int>{} << "";
        QTest::newRow("negative count")
            << QStringList{"100", "10", "-3", "250", "500"} << false << 0 << QList<int>{} << "";
        QTest::newRow("stretch 0 without tones is no error")
            << QStringList{"0", "10", "0", "250", "500"} << false << 0 << QList<int>{} << "";
        // Extended precision: sin(273.53) × 2147483647 = -450686390.0000459; a double
        // computation gives -450686389.
        QTest::newRow("extended precision")
            << QStringList{"100", "1", "27353", "2147483647", "0"} << false << 27353
            << QList<int>{27352, -450686390} << "1";
    }

    void wave() {
        QFETCH(QStringList, fields);
        QFETCH(bool, trackTwo);
        QFETCH(int, count);
        QFETCH(QList<int>, checks);
        QFETCH(QString, duration);
        AppFixture app;
        TForm1& w = app.main();
        GeneratorPanels& g = *w.generators;
        if (trackTwo)
            w.rgASpurItem1->setChecked(true);
        g.edKurve->setText(fields[0]);
        g.edDauer->setText(fields[1]);
        g.edAnzahl->setText(fields[2]);
        g.edStarke->setText(fields[3]);
        g.edtonhoehe->setText(fields[4]);
        w.Welle1->trigger();
        QTest::mouseClick(g.btokwelle, Qt::LeftButton);
        QCOMPARE(app.prompts.errors, QStringList());
        QCOMPARE(w.Memo1->count(), count);
        QCOMPARE(w.Line->count(), count);
        if (count > 0)
            QCOMPARE(w.Line->item(count - 1), QString::number(count - 1));
        ListBox* tone = trackTwo ? w.Memo3 : w.Memo1;
        ListBox* rest = trackTwo ? w.Memo1 : w.Memo3;
        for (int i = 0; i < checks.size(); i += 2)
            QCOMPARE(tone->item(checks[i]), QString::number(checks[i + 1]));
        QCOMPARE(rest->items(), QStringList(count, QStringLiteral("0")));
        QCOMPARE(w.Memo2->items(), QStringList(count, duration));
        QCOMPARE(w.Memo4->items(), QStringList(count, duration));
        if (fields[3] == "600") {
            int lowest = 0;
            for (const QString& f : tone->items())
                lowest = std::min(lowest, f.toInt());
            QCOMPARE(lowest, -99);
        }
    }

    void waveFailures_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("error");
        QTest::newRow("stretch 0")
            << QStringList{"0", "10", "5", "250", "500"} << "Gleitkommadivision durch Null";
        QTest::newRow("Kurve read first")
            << QStringList{"a", "b", "c", "d", "e"} << "'a' ist kein gültiger Integerwert";
        QTest::newRow("Stärke before Anzahl")
            << QStringList{"100", "b", "c", "d", "e"} << "'d' ist kein gültiger Integerwert";
        QTest::newRow("Anzahl before Startton")
            << QStringList{"100", "b", "c", "250", "e"} << "'c' ist kein gültiger Integerwert";
        QTest::newRow("Startton before Dauer")
            << QStringList{"100", "b", "5", "250", "e"} << "'e' ist kein gültiger Integerwert";
        QTest::newRow("Dauer empty")
            << QStringList{"100", "", "5", "250", "500"} << "'' ist kein gültiger Integerwert";
        QTest::newRow("more lines than a song can hold")
            << QStringList{"100", "10", "1000001", "250", "500"}
            << "Zu viele Töne: höchstens 1000000 auf einmal";
    }

    void waveFailures() {
        QFETCH(QStringList, fields);
        QFETCH(QString, error);
        AppFixture app;
        TForm1& w = app.main();
        GeneratorPanels& g = *w.generators;
        setSong(w, {"1 2 3 4"});
        g.edKurve->setText(fields[0]);
        g.edDauer->setText(fields[1]);
        g.edAnzahl->setText(fields[2]);
        g.edStarke->setText(fields[3]);
        g.edtonhoehe->setText(fields[4]);
        g.btokwelle->click();
        QCOMPARE(app.prompts.errors, QStringList{error});
        QCOMPARE(songRows(w), QStringList{"1 2 3 4"});
    }

    void waveProgressText() {
        AppFixture app;
        TForm1& w = app.main();
        ProgressLog log(w);
        w.generators->edAnzahl->setText("4");
        w.generators->btokwelle->click();
        QCOMPARE(log.entries.first(), qMakePair(25, QStringLiteral("Generiere Sinus")));
        QCOMPARE(log.entries.at(2), qMakePair(75, QStringLiteral("Generiere Sinus")));
        QVERIFY(log.entries.contains(qMakePair(100, QStringLiteral("Generiere Sinus"))));
        QCOMPARE(w.probar->value(), 0);
        QCOMPARE(w.laStatus->text(), QString());
    }

    void windowStaysResponsive() {
        // A timer that is due while the wave runs fires before the run ends.
        AppFixture app;
        TForm1& w = app.main();
        w.generators->edAnzahl->setText("300000");
        int linesWhenFired = -1;
        QTimer::singleShot(0, &w, [&] { linesWhenFired = w.Memo1->count(); });
        QTimer::singleShot(1, &w, [&] { linesWhenFired = w.Memo1->count(); });
        w.generators->btokwelle->click();
        QCOMPARE(w.Memo1->count(), 300000);
        QVERIFY2(linesWhenFired > 0 && linesWhenFired < 300000,
                 qPrintable(QString::number(linesWhenFired)));
    }

    void menuAndCloseLabels() {
        AppFixture app;
        TForm1& w = app.main();
        GeneratorPanels& g = *w.generators;
        w.Welle1->trigger();
        QVERIFY(g.gbWelle->isVisible() && w.Welle1->isChecked() && w.SidePanelOpen);
        QTRY_COMPARE(w.width(), TForm1::kWideWidth);
        QCOMPARE(w.Schredder1->shortcut(), QKeySequence("Ctrl+R"));
        QCOMPARE(w.Welle1->shortcut(), QKeySequence("Ctrl+W"));
        // Its menu item hides it again and narrows the window.
        w.Welle1->trigger();
        QVERIFY(!g.gbWelle->isVisible() && !w.Welle1->isChecked() && !w.SidePanelOpen);
        QTRY_COMPARE(w.width(), TForm1::kNarrowWidth);
        QTRY_VERIFY(!w.TimerFade->isActive()); // the tick after the last step stops it
        // Its "X" does the same.
        w.Schredder1->trigger();
        clickLabel(g.Label15);
        QVERIFY(!g.gbSchredder->isVisible() && !w.Schredder1->isChecked() && !w.SidePanelOpen);
        w.Welle1->trigger();
        clickLabel(g.Label20);
        QVERIFY(!g.gbWelle->isVisible() && !w.Welle1->isChecked() && !w.SidePanelOpen);
    }
};

QTEST_MAIN(TestGenerators)
#include "tst_generators.moc"
