#include "base/Errors.h"
#include "gui/ListBox.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"
#include "gui/GraphWindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using Strokes = QList<QLine>;

namespace {

QString errorOf(const QStringList& frequencies, const QStringList& durations, QSize client) {
    try {
        TForm5::strokesFor(frequencies, durations, client);
    } catch (const AppError& error) {
        return error.message();
    }
    return {};
}

/// A song whose track 1 holds these frequencies and durations; track 2 is silent.
QStringList song(const QStringList& frequencies, const QStringList& durations) {
    QStringList rows;
    for (qsizetype i = 0; i < frequencies.size(); ++i)
        rows.append(QStringLiteral("%1 %2 0 %2").arg(frequencies[i], durations[i]));
    return rows;
}

bool isDark(const QImage& image, QPoint at) {
    return qGray(image.pixel(at)) < 64;
}

} // namespace

class TestGraph : public QObject {
    Q_OBJECT

private slots:
    void strokes_data() {
        QTest::addColumn<QStringList>("frequencies");
        QTest::addColumn<QStringList>("durations");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<Strokes>("strokes");
        QTest::newRow("highest 5 below the top, lowest 5 above the bottom")
            << QStringList{"100", "300", "200"} << QStringList{"100", "100", "100"} << QSize(300, 200)
            // xs = 1, ys = 190 / 200
            << Strokes{QLine(0, 195, 100, 195), QLine(100, 5, 200, 5), QLine(200, 100, 300, 100)};
        QTest::newRow("one pixel per hertz and millisecond")
            << QStringList{"100", "300", "200"} << QStringList{"100", "100", "100"} << QSize(300, 210)
            << Strokes{QLine(0, 205, 100, 205), QLine(100, 5, 200, 5), QLine(200, 105, 300, 105)};
        QTest::newRow("a rest is the lowest, at the bottom")
            << QStringList{"440", "0", "880"} << QStringList{"250", "250", "500"} << QSize(1000, 890)
            << Strokes{QLine(0, 445, 250, 445), QLine(250, 885, 500, 885), QLine(500, 5, 1000, 5)};
        QTest::newRow("uneven scale truncates toward zero")
            << QStringList{"500", "1000", "750"} << QStringList{"100", "200", "33"} << QSize(1020, 416)
            // xs = 1020 / 333, ys = 406 / 500
            << Strokes{QLine(0, 411, 306, 411), QLine(306, 5, 918, 5), QLine(918, 208, 1020, 208)};
        QTest::newRow("extended precision: 21 × (100 / 35) stays below 60")
            << QStringList{"200", "100"} << QStringList{"21", "14"} << QSize(100, 110)
            << Strokes{QLine(0, 5, 59, 5), QLine(59, 105, 100, 105)};
        QTest::newRow("hexadecimal and blanks as the song stores them")
            << QStringList{" $64", "0x12C"} << QStringList{"x32", " 50"} << QSize(200, 210)
            << Strokes{QLine(0, 205, 100, 205), QLine(100, 5, 200, 5)};
        QTest::newRow("empty song draws nothing")
            << QStringList{} << QStringList{} << QSize(300, 200) << Strokes{};
    }

    void strokes() {
        QFETCH(QStringList, frequencies);
        QFETCH(QStringList, durations);
        QFETCH(QSize, client);
        QFETCH(Strokes, strokes);
        QCOMPARE(TForm5::strokesFor(frequencies, durations, client), strokes);
    }

    void failures_data() {
        QTest::addColumn<QStringList>("frequencies");
        QTest::addColumn<QStringList>("durations");
        QTest::addColumn<QString>("error");
        const QString zero = QStringLiteral("Gleitkommadivision durch Null");
        QTest::newRow("all durations 0") << QStringList{"100", "200"} << QStringList{"0", "0"} << zero;
        QTest::newRow("durations adding up to 0") << QStringList{"100", "200"} << QStringList{"100", "-100"} << zero;
        QTest::newRow("all frequencies equal") << QStringList{"440", "440"} << QStringList{"100", "200"} << zero;
        QTest::newRow("one line") << QStringList{"440"} << QStringList{"100"} << zero;
        QTest::newRow("bad duration") << QStringList{"100", "200"} << QStringList{"100", "1/4"}
                                      << QStringLiteral("'1/4' ist kein gültiger Integerwert");
        QTest::newRow("bad frequency") << QStringList{"100", "a"} << QStringList{"100", "100"}
                                       << QStringLiteral("'a' ist kein gültiger Integerwert");
        QTest::newRow("durations are read first") << QStringList{"a", "200"} << QStringList{"b", "100"}
                                                  << QStringLiteral("'b' ist kein gültiger Integerwert");
        QTest::newRow("bad value beats equal frequencies") << QStringList{"440", "440"} << QStringList{"100", ""}
                                                           << QStringLiteral("'' ist kein gültiger Integerwert");
        QTest::newRow("a duration missing") << QStringList{"100", "200"} << QStringList{"100"}
                                            << QStringLiteral("Listenindex überschreitet das Maximum (1)");
    }

    void failures() {
        QFETCH(QStringList, frequencies);
        QFETCH(QStringList, durations);
        QFETCH(QString, error);
        QCOMPARE(errorOf(frequencies, durations, QSize(300, 200)), error);
    }

    void extremeValuesStayInRange() {
        // Full 32-bit ranges: neither the sum of durations nor the frequency span overflows.
        const Strokes strokes = TForm5::strokesFor({"-2147483648", "2147483647"},
                                                   {"2147483647", "2147483647"}, QSize(1000, 400));
        QCOMPARE(strokes, (Strokes{QLine(0, 395, 500, 395), QLine(500, 5, 1000, 5)}));
    }

    void windowAtStart() {
        AppFixture app;
        TForm5& graph = *forms().Form5;
        QCOMPARE(graph.windowTitle(), QStringLiteral("Graph"));
        QCOMPARE(graph.size(), QSize(1020, 416));
        // Centred on the screen.
        QCOMPARE(graph.frameGeometry().center(),
                 QGuiApplication::primaryScreen()->availableGeometry().center());
        QVERIFY(graph.isWindow());
        QVERIFY(!graph.isVisible());
        QVERIFY(graph.strokes().isEmpty());
        QCOMPARE(app.main().GraphischeAusgabe1->shortcut(), QKeySequence(QStringLiteral("Ctrl+G")));
    }

    void menuShowsAndDrawsTrackOne() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"100 100 5000 100", "300 100 20 100", "200 100 7 100"});
        TForm5& graph = *forms().Form5;
        graph.resize(300, 210);
        w.GraphischeAusgabe1->trigger();
        QVERIFY(graph.isVisible());
        QCOMPARE(graph.strokes(),
                 (Strokes{QLine(0, 205, 100, 205), QLine(100, 5, 200, 5), QLine(200, 105, 300, 105)}));
        QVERIFY(app.prompts.errors.isEmpty());
    }

    void shortcutDrawsToo() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, song({"100", "200"}, {"50", "50"}));
        QTest::keyClick(&w, Qt::Key_G, Qt::ControlModifier);
        QVERIFY(forms().Form5->isVisible());
        QCOMPARE(forms().Form5->strokes().size(), 2);
    }

    void drawingTwiceDrawsTheSame() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, song({"100", "300", "200"}, {"100", "100", "100"}));
        w.GraphischeAusgabe1->trigger();
        const Strokes first = forms().Form5->strokes();
        w.GraphischeAusgabe1->trigger();
        QCOMPARE(forms().Form5->strokes(), first);
    }

    void resizingKeepsThePictureUntilTheNextDrawing() {
        AppFixture app;
        TForm1& w = app.main();
        TForm5& graph = *forms().Form5;
        setSong(w, song({"100", "300", "200"}, {"100", "100", "100"}));
        graph.resize(300, 200);
        w.GraphischeAusgabe1->trigger();
        const Strokes small = graph.strokes();
        graph.resize(600, 410);
        QCOMPARE(graph.strokes(), small);
        w.GraphischeAusgabe1->trigger();
        QCOMPARE(graph.strokes(),
                 (Strokes{QLine(0, 405, 200, 405), QLine(200, 5, 400, 5), QLine(400, 205, 600, 205)}));
    }

    void failedDrawingKeepsThePicture_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("error");
        QTest::newRow("equal frequencies") << song({"440", "440"}, {"100", "100"})
                                           << QStringLiteral("Gleitkommadivision durch Null");
        QTest::newRow("bad duration") << song({"440", "220"}, {"100", "lang"})
                                      << QStringLiteral("'lang' ist kein gültiger Integerwert");
    }

    void failedDrawingKeepsThePicture() {
        QFETCH(QStringList, rows);
        QFETCH(QString, error);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, song({"100", "300", "200"}, {"100", "100", "100"}));
        w.GraphischeAusgabe1->trigger();
        const Strokes before = forms().Form5->strokes();
        setSong(w, rows);
        w.GraphischeAusgabe1->trigger();
        QCOMPARE(app.prompts.errors, QStringList{error});
        QVERIFY(forms().Form5->isVisible());
        QCOMPARE(forms().Form5->strokes(), before);
    }

    void emptySongShowsAnEmptyWindow() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, song({"100", "300"}, {"100", "100"}));
        w.GraphischeAusgabe1->trigger();
        QVERIFY(!forms().Form5->strokes().isEmpty());
        w.Neu1Click();
        w.GraphischeAusgabe1->trigger();
        QVERIFY(forms().Form5->isVisible());
        QVERIFY(forms().Form5->strokes().isEmpty());
        QVERIFY(app.prompts.errors.isEmpty());
    }

    void repaintShowsTheKeptDrawing() {
        // Covering or hiding the window used to erase the graph; it now comes back as drawn.
        AppFixture app;
        TForm1& w = app.main();
        TForm5& graph = *forms().Form5;
        setSong(w, song({"100", "300", "200"}, {"100", "100", "100"}));
        graph.resize(300, 200);
        w.GraphischeAusgabe1->trigger();
        graph.hide();
        graph.show();
        graph.repaint();
        const QImage shown = graph.grab().toImage();
        QVERIFY(isDark(shown, QPoint(50, 195)));
        QVERIFY(isDark(shown, QPoint(150, 5))); // the highest tone, inside the window
        QVERIFY(isDark(shown, QPoint(250, 100)));
        QVERIFY(!isDark(shown, QPoint(50, 100)));
        QVERIFY(!isDark(shown, QPoint(150, 150)));
    }
};

QTEST_MAIN(TestGraph)
#include "tst_graph.moc"
