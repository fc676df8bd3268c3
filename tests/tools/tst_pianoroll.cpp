#include "base/ListItems.h"
#include "files/PianoRollPainter.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "gui/PianoRoll.h"
#include "gui/PianoRollWindow.h"
#include "song/Song.h"
#include "song/SongHistory.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QAction>
#include <QFile>
#include <QTest>

/// The piano roll: where each line's bars lie, and editing by dragging them.
class TestPianoRoll : public QObject {
    Q_OBJECT

private slots:
    void barGeometry_data();
    void barGeometry();
    void dragsEditTheSong_data();
    void dragsEditTheSong();
};

namespace {

const QStringList kGeometrySong{"440 200 880 100", "220 300 0 300", "0 100 440 100",
                                "880 300 220 500", "440 0 440 0",   "abc 100 x 100"};

void fill(Song& song, const QStringList& rows) {
    QStringList columns[4];
    for (const QString& row : rows) {
        const QStringList cells = row.split(QLatin1Char(' '));
        for (int c = 0; c < 4; ++c)
            columns[c] << cells[c];
    }
    song.Memo1->setItems(columns[0]);
    song.Memo2->setItems(columns[1]);
    song.Memo3->setItems(columns[2]);
    song.Memo4->setItems(columns[3]);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void TestPianoRoll::barGeometry_data() {
    // 1,000 × 480 pixels of bars beside the keyboard strip and below the ruler, four octaves
    // from 110 Hz: 440 Hz lies at y 268, 220 at 388, 880 at 148; a semitone is 10 pixels, so
    // track 1's bars are 9 high and track 2's 5.
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("start");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("track");
    QTest::addColumn<QRectF>("bar");
    QTest::newRow("first line") << 0.5 << 0.0 << 0 << 1 << QRectF(40, 263.5, 100, 9);
    QTest::newRow("track 2, its own shorter duration")
        << 0.5 << 0.0 << 0 << 2 << QRectF(40, 145.5, 50, 5);
    QTest::newRow("second line starts where the first ends")
        << 0.5 << 0.0 << 1 << 1 << QRectF(140, 383.5, 150, 9);
    QTest::newRow("track 2 rests") << 0.5 << 0.0 << 1 << 2 << QRectF();
    QTest::newRow("track 1 rests") << 0.5 << 0.0 << 2 << 1 << QRectF();
    QTest::newRow("track 2 under a rest of track 1")
        << 0.5 << 0.0 << 2 << 2 << QRectF(290, 265.5, 50, 5);
    QTest::newRow("track 2 longer than its line ends with it")
        << 0.5 << 0.0 << 3 << 2 << QRectF(340, 385.5, 150, 5);
    QTest::newRow("no duration") << 0.5 << 0.0 << 4 << 1 << QRectF();
    QTest::newRow("not a number") << 0.5 << 0.0 << 5 << 1 << QRectF();
    QTest::newRow("past the end") << 0.5 << 0.0 << 6 << 1 << QRectF();
    QTest::newRow("zoomed in and scrolled")
        << 2.0 << 150.0 << 1 << 1 << QRectF(140, 383.5, 600, 9);
    QTest::newRow("zoomed out") << 0.05 << 0.0 << 3 << 1 << QRectF(70, 143.5, 15, 9);
}

void TestPianoRoll::barGeometry() {
    QFETCH(double, scale);
    QFETCH(double, start);
    QFETCH(int, line);
    QFETCH(int, track);
    QFETCH(QRectF, bar);
    Song song;
    fill(song, kGeometrySong);
    PianoRollPainter roll(song);
    roll.setSize(QSize(1040, 508));
    roll.setPitchRange(110, 1760);
    roll.setScale(scale);
    roll.setStart(start);
    QCOMPARE(roll.barRect(line, track), bar);
    // The bar's middle is its line's and track's, and a point after its line is not.
    if (!bar.isEmpty()) {
        const PianoRollPainter::Hit hit = roll.hitTest(bar.center() - QPointF(bar.width() / 4, 0));
        QCOMPARE(hit.line, line);
        QCOMPARE(hit.track, track);
    }
}

void TestPianoRoll::dragsEditTheSong_data() {
    // A drag from the bar's middle (or its right end) to a note (or a time in ms).
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("track");
    QTest::addColumn<bool>("edge");
    QTest::addColumn<double>("to");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("track 1 up, to the nearest note")
        << 0 << 1 << false << 530.0 << false << QByteArray("523|200|220|200\r\n330|300|165|250\r\n");
    QTest::newRow("track 2 down") << 0 << 2 << false << 193.0 << false
                                  << QByteArray("440|200|196|200\r\n330|300|165|250\r\n");
    QTest::newRow("a longer line, track 2 follows")
        << 0 << 1 << true << 350.0 << false << QByteArray("440|350|220|350\r\n330|300|165|250\r\n");
    QTest::newRow("a shorter line, track 2 keeps its own")
        << 1 << 1 << true << 120.0 << false << QByteArray("440|200|220|200\r\n330|120|165|250\r\n");
    QTest::newRow("with Shift, whole hertz")
        << 1 << 1 << false << 0.0 << true << QByteArray();
}

void TestPianoRoll::dragsEditTheSong() {
    QFETCH(int, line);
    QFETCH(int, track);
    QFETCH(bool, edge);
    QFETCH(double, to);
    QFETCH(bool, shift);
    QFETCH(QByteArray, saved);
    AppFixture app;
    TForm1& w = app.main();
    const QStringList before{"440 200 220 200", "330 300 165 250"};
    setSong(w, before);
    w.history->restart();
    w.findChild<QAction*>(QStringLiteral("Notenrolle1"))->trigger();
    auto* window = w.findChild<PianoRollWindow*>();
    QVERIFY(window && window->isVisible());
    window->resize(1000, 600);
    PianoRoll& roll = *window->roll;
    roll.grab(); // the first paint fits the pitches to the song
    roll.roll().setScale(0.5);
    roll.roll().setStart(0);

    const QRectF bar = roll.roll().barRect(line, track);
    const QPoint from = (edge ? QPointF(bar.right() - 1, bar.center().y()) : bar.center()).toPoint();
    QPoint target;
    if (edge)
        target = QPoint(int(roll.roll().xOf(double(w.song->lineStart(line)) + to)), from.y());
    else if (shift)
        target = QPoint(from.x(), from.y() - 7); // somewhere between two notes
    else
        target = QPoint(from.x(), int(std::lround(roll.roll().yOf(to))));
    const Qt::KeyboardModifiers keys = shift ? Qt::ShiftModifier : Qt::NoModifier;
    const int steps = w.history->undoCount();
    QTest::mousePress(&roll, Qt::LeftButton, keys, from);
    QTest::mouseMove(&roll, (from + target) / 2);
    QTest::mouseMove(&roll, target);
    QTest::mouseRelease(&roll, Qt::LeftButton, keys, target);
    QCoreApplication::processEvents();
    QCOMPARE(w.history->undoCount(), steps + 1);
    if (shift) {
        // Not a note of the table: the whole hertz at the place dropped.
        const int hz = int(std::lround(roll.roll().hzAt(target.y())));
        QCOMPARE(w.song->Memo1->item(line), QString::number(hz));
        QVERIFY(hz != 330 && hz != 349 && hz != 370 && hz != 392);
        saved = QStringLiteral("440|200|220|200\r\n%1|300|165|250\r\n").arg(hz).toLatin1();
    }
    const QString path = app.configDir.filePath(QStringLiteral("song.zwk"));
    app.prompts.fileAnswers = {path};
    w.Speichern1->trigger();
    QCOMPARE(readAll(path), saved);
    w.history->undo();
    QCOMPARE(songRows(w), before);
}

QTEST_MAIN(TestPianoRoll)
#include "tst_pianoroll.moc"
