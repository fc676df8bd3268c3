#include "base/ListItems.h"
#include "song/LineTimes.h"
#include "song/Song.h"

#include <QtTest>

/// The song's line times against the durations summed afresh, after each kind of change.
class TestLineTimes : public QObject {
    Q_OBJECT

private slots:
    void followsChanges_data();
    void followsChanges();
};

namespace {

/// Applies one change: "add d", "ins at d", "del at", "set at d" or "all d,d,…".
void apply(Song& song, const QString& change) {
    ListItems& durations = *song.Memo2;
    const QStringList w = change.split(QLatin1Char(' '));
    if (w[0] == QLatin1String("add"))
        durations.add(w[1]);
    else if (w[0] == QLatin1String("ins"))
        durations.insert(w[1].toInt(), w[2]);
    else if (w[0] == QLatin1String("del"))
        durations.remove(w[1].toInt());
    else if (w[0] == QLatin1String("set"))
        durations.setItem(w[1].toInt(), w[2]);
    else
        durations.setItems(w[1].split(QLatin1Char(',')));
}

} // namespace

void TestLineTimes::followsChanges_data() {
    QTest::addColumn<QStringList>("changes");
    QTest::newRow("append") << QStringList{"add 100", "add 250", "add 0", "add 50"};
    QTest::newRow("insert in the middle")
        << QStringList{"all 100,200,300,400,500", "ins 2 7", "ins 0 1", "ins 7 9"};
    QTest::newRow("remove") << QStringList{"all 10,20,30,40,50,60,70,80,90", "del 4", "del 0"};
    QTest::newRow("set after reading")
        << QStringList{"all 10,20,30,40,50,60,70,80", "set 0 15", "set 7 1", "set 5 x1F"};
    QTest::newRow("not a number or below 0")
        << QStringList{"all 100,abc,-5,200", "set 1 300", "set 2 -1"};
    QTest::newRow("empty") << QStringList{"all 5,5", "del 1", "del 0"};
}

void TestLineTimes::followsChanges() {
    QFETCH(QStringList, changes);
    Song song;
    const LineTimes& times = song.times();
    for (const QString& change : changes) {
        apply(song, change);
        // Every query reads the sums: each change meets valid sums before it.
        qint64 sum = 0;
        const QStringList texts = song.Memo2->items();
        QCOMPARE(times.count(), texts.size());
        for (int line = 0; line < texts.size(); ++line) {
            QCOMPARE(song.lineStart(line), sum);
            const qint64 d = LineTimes::millisecondsOf(texts[line]);
            if (d > 0) {
                QCOMPARE(song.lineAt(sum), line);
                QCOMPARE(song.lineAt(sum + d - 1), line);
            }
            sum += d;
        }
        QCOMPARE(song.totalDuration(), sum);
        QCOMPARE(song.lineAt(sum), int(texts.size()));
        QCOMPARE(song.lineAt(-1), 0);
    }
}

QTEST_GUILESS_MAIN(TestLineTimes)
#include "tst_linetimes.moc"
