#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "gui/BpmPanel.h"
#include "gui/GeneratorPanels.h"
#include "gui/PanelCloseLabel.h"

#include <QAction>
#include <QGroupBox>
#include <QTest>
#include <QTimer>

namespace {

struct Panel {
    QAction* item;
    QGroupBox* box;
    QLabel* close;
};

Panel panel(TForm1& w, const QString& name) {
    if (name == QLatin1String("Schredder"))
        return {w.Schredder1, w.generators->gbSchredder, w.generators->Label15};
    if (name == QLatin1String("Welle"))
        return {w.Welle1, w.generators->gbWelle, w.generators->Label20};
    return {w.BPMNotenwerte1, w.bpmPanel->gbInfoBPM, w.bpmPanel->Label22};
}

const QStringList kPanels = {"Schredder", "Welle", "Notenwerte"};

} // namespace

class TestSidePanels : public QObject {
    Q_OBJECT

private slots:
    // The panels lie at one place: only one shows at a time, whichever way it is opened.
    void openingOneClosesTheOther_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        for (const QString& first : kPanels)
            for (const QString& second : kPanels)
                if (first != second)
                    QTest::newRow(qPrintable(first + " then " + second)) << first << second;
    }

    void openingOneClosesTheOther() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        AppFixture app;
        TForm1& w = app.main();
        const Panel a = panel(w, first);
        const Panel b = panel(w, second);
        a.item->trigger();
        QTRY_COMPARE(w.width(), TForm1::kWideWidth);
        b.item->trigger();
        QVERIFY(!a.box->isVisible());
        QVERIFY(!a.item->isChecked());
        QVERIFY(b.box->isVisible());
        QVERIFY(b.item->isChecked());
        QVERIFY(w.SidePanelOpen);
        for (const QString& name : kPanels)
            QCOMPARE(panel(w, name).box->isVisible(), name == second);
        // The window stays wide for the panel that shows.
        QTRY_VERIFY(!w.TimerFade->isActive());
        QCOMPARE(w.width(), TForm1::kWideWidth);

        // Its "X" narrows the window, and no item is left marked for a hidden panel.
        QTest::mouseClick(b.close, Qt::LeftButton, {}, QPoint(2, 2));
        QTRY_COMPARE(w.width(), TForm1::kNarrowWidth);
        for (const QString& name : kPanels) {
            QVERIFY(!panel(w, name).box->isVisible());
            QVERIFY(!panel(w, name).item->isChecked());
        }
        // The first panel's item opens it again at the first choice.
        a.item->trigger();
        QVERIFY(a.box->isVisible() && a.item->isChecked());
        QTRY_COMPARE(w.width(), TForm1::kWideWidth);
    }
};

QTEST_MAIN(TestSidePanels)
#include "tst_sidepanels.moc"
