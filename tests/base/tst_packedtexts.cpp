#include "base/PackedTexts.h"

#include <QRandomGenerator>
#include <QTest>

/// The packed lists against plain lists of strings under the same edits: the block
/// boundaries, shared blocks and joins are where the packed lists could go wrong, so long
/// lists get many edits of every size at random places.
class TestPackedTexts : public QObject {
    Q_OBJECT

    static QString someText(QRandomGenerator& random) {
        static const QString kinds[] = {QString(), QStringLiteral("440"), QStringLiteral("\uFEFFä|ö"),
                                        QStringLiteral("A#4 €"), QStringLiteral("x").repeated(300)};
        return kinds[random.bounded(5)] + QString::number(random.bounded(100));
    }

    static QStringList someTexts(QRandomGenerator& random, qsizetype n) {
        QStringList texts;
        for (qsizetype i = 0; i < n; ++i)
            texts.append(someText(random));
        return texts;
    }

private slots:
    void editsMatchAListOfStrings_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("largestRun");
        QTest::newRow("short list, single rows") << 10 << 2;
        QTest::newRow("blocks, runs within one") << 9000 << 300;
        QTest::newRow("blocks, runs across many") << 20000 << 9000;
    }

    void editsMatchAListOfStrings() {
        QFETCH(int, rows);
        QFETCH(int, largestRun);
        QRandomGenerator random{quint32(rows)};
        QStringList plain = someTexts(random, rows);
        PackedTexts packed(plain);
        // Earlier states stay as they were, whatever is done to the list they were taken of.
        QList<std::pair<QStringList, PackedTexts>> kept;
        for (int step = 0; step < 300; ++step) {
            const qsizetype at = random.bounded(plain.size() + 1);
            const qsizetype run = 1 + random.bounded(largestRun);
            switch (random.bounded(6)) {
            case 0: {
                const QStringList texts = someTexts(random, run);
                plain = plain.first(at) + texts + plain.sliced(at);
                packed.insert(at, PackedTexts(texts));
                break;
            }
            case 1: {
                const qsizetype n = std::min(run, plain.size() - at);
                plain.remove(at, n);
                packed.remove(at, n);
                break;
            }
            case 2: {
                const qsizetype n = std::min(run, plain.size() - at);
                const QStringList texts = someTexts(random, n);
                std::copy(texts.begin(), texts.end(), plain.begin() + at);
                packed.replace(at, PackedTexts(texts));
                break;
            }
            case 3:
                if (at < plain.size()) {
                    plain[at] = someText(random);
                    packed.set(at, plain[at]);
                }
                break;
            case 4: {
                // A run of the list itself goes back in elsewhere, sharing its blocks.
                const PackedTexts part = packed.mid(at, run);
                const QStringList partPlain = plain.mid(at, run);
                QCOMPARE(part.toList(), partPlain);
                const qsizetype to = random.bounded(plain.size() + 1);
                plain = plain.first(to) + partPlain + plain.sliced(to);
                packed.insert(to, part);
                break;
            }
            default:
                if (!plain.isEmpty() && random.bounded(4) == 0) {
                    // A row of the list itself, whose bytes move as the list grows.
                    const qsizetype k = random.bounded(plain.size());
                    plain.append(plain[k]);
                    packed.appendUtf8(packed.utf8(k));
                } else {
                    plain.append(someText(random));
                    packed.append(plain.last());
                }
                if (random.bounded(10) == 0)
                    kept.append({plain, packed});
            }
            QCOMPARE(packed.size(), plain.size());
        }
        QCOMPARE(packed.toList(), plain);
        const qsizetype probe = plain.size() / 2;
        QCOMPARE(packed.value(probe), plain.value(probe));
        QCOMPARE(packed.value(plain.size()), QString());
        PackedTexts::Cursor cursor(packed, probe);
        for (qsizetype i = probe; i < plain.size(); ++i)
            QCOMPARE(PackedTexts::decoded(cursor.next()), plain[i]);
        for (const auto& [before, packedBefore] : kept)
            QCOMPARE(packedBefore.toList(), before);
        QVERIFY(PackedTexts(plain) == packed);
    }
};

QTEST_GUILESS_MAIN(TestPackedTexts)
#include "tst_packedtexts.moc"
