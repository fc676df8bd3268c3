// Editing a long song through the main window, step by step against the same steps done on
// plain lists.
#include "gui/ListBox.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <array>

namespace {

constexpr int kLines = 100000;

/// The four track lists and the selected line, kept the plain way.
struct PlainSong {
    std::array<QStringList, 4> tracks;
    int selected = -1;

    int size() const { return int(tracks[0].size()); }
};

PlainSong largeSong() {
    PlainSong song;
    for (int i = 0; i < kLines; ++i) {
        song.tracks[0].append(QString::number(200 + i % 700));
        song.tracks[1].append(QString::number(50 + i % 13));
        song.tracks[2].append(QString::number(i % 5 ? 0 : 300 + i % 90));
        song.tracks[3].append(QString::number(50 + i % 13));
    }
    return song;
}

/// Runs one step on the reference: "add f1 d f2", "select k", "delete", "swap", "new".
void apply(PlainSong& song, const QStringList& step) {
    const QString& op = step[0];
    if (op == QLatin1String("add")) {
        const QStringList line{step[1], step[2], step[3], step[2]};
        for (int t = 0; t < 4; ++t)
            song.tracks[t].append(line[t]);
    } else if (op == QLatin1String("select")) {
        const int k = step[1].toInt();
        song.selected = k >= 0 && k < song.size() ? k : -1;
    } else if (op == QLatin1String("delete")) {
        // Without a selected line the last one goes.
        const int k = song.selected >= 0 ? song.selected : song.size() - 1;
        if (k >= 0)
            for (QStringList& track : song.tracks)
                track.removeAt(k);
        song.selected = -1;
    } else if (op == QLatin1String("swap")) {
        std::swap(song.tracks[0][song.selected], song.tracks[2][song.selected]);
    } else if (op == QLatin1String("new")) {
        song = PlainSong();
    }
}

/// The same step through the window's controls.
void apply(TForm1& w, const QStringList& step) {
    const QString& op = step[0];
    if (op == QLatin1String("add")) {
        w.edFreq1->setText(step[1]);
        w.edLengh->setText(step[2]);
        w.edFreq2->setText(step[3]);
        w.btadd->click();
    } else if (op == QLatin1String("select")) {
        w.Memo2->setItemIndex(step[1].toInt());
        w.Memo2Click();
    } else if (op == QLatin1String("delete")) {
        w.btloeschen->click();
    } else if (op == QLatin1String("swap")) {
        w.btTauschen->click();
    } else if (op == QLatin1String("new")) {
        w.Neu1->trigger();
    }
}

} // namespace

class TestLargeSong final : public QObject {
    Q_OBJECT

private slots:
    void editingALargeSong_data() {
        QTest::addColumn<QString>("steps");
        const QString last = QString::number(kLines - 1);
        QTest::newRow("add two lines") << "add 440 100 0; add 523 250 7";
        QTest::newRow("delete without a selection takes the last line") << "delete; delete";
        QTest::newRow("delete the selected line in the middle") << "select 50000; delete";
        QTest::newRow("delete the first line") << "select 0; delete; select 0; delete";
        QTest::newRow("select the last line, add, delete it")
            << "select " + last + "; add 1 2 3; delete";
        QTest::newRow("swap a line, then add behind it")
            << "select 777; swap; add 9 9 9; select 100000; swap";
        QTest::newRow("select past the end clears, delete takes the last")
            << "select 777; select " + QString::number(kLines) + "; delete";
        QTest::newRow("new, then build again") << "new; add 1 2 3; add 4 5 6; select 0; delete";
    }

    void editingALargeSong() {
        QFETCH(QString, steps);
        AppFixture app;
        TForm1& w = app.main();
        PlainSong song = largeSong();
        w.Memo1->setItems(song.tracks[0]);
        w.Memo2->setItems(song.tracks[1]);
        w.Memo3->setItems(song.tracks[2]);
        w.Memo4->setItems(song.tracks[3]);
        w.RenumberLines();

        for (const QString& text : steps.split(QStringLiteral("; "))) {
            const QStringList step = text.split(QLatin1Char(' '));
            apply(song, step);
            if (step[0] == QLatin1String("new"))
                app.giveUpChanges();
            apply(w, step);
            QVERIFY(app.prompts.errors.isEmpty());
            QCOMPARE(w.Memo1->items(), song.tracks[0]);
            QCOMPARE(w.Memo2->items(), song.tracks[1]);
            QCOMPARE(w.Memo3->items(), song.tracks[2]);
            QCOMPARE(w.Memo4->items(), song.tracks[3]);
            const int n = song.size();
            QCOMPARE(w.Line->count(), n);
            if (n > 0)
                QCOMPARE(w.Line->item(n - 1), QString::number(n - 1));
            // Adding and deleting renumber the lines, which leaves Line without a selection.
            const bool renumbered =
                step[0] == QLatin1String("add") || step[0] == QLatin1String("delete");
            const int line = renumbered || step[0] == QLatin1String("new") ? -1 : song.selected;
            const int tracks = step[0] == QLatin1String("add") ||
                                       step[0] == QLatin1String("swap") ||
                                       step[0] == QLatin1String("select")
                                   ? song.selected
                                   : -1;
            QCOMPARE(selections(w), QList<int>({line, tracks, tracks, tracks, tracks}));
        }
    }
};

QTEST_MAIN(TestLargeSong)
#include "tst_largesong.moc"
