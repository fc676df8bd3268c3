#include "files/BmmFormat.h"
#include "files/SongFormat.h"

#include <QTest>

// The song file and .bmm formats on bytes, without windows.
class TestSongFormat : public QObject {
    Q_OBJECT

private slots:
    void writeBytes_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("two lines") << QStringList{"440 250 0 250", "0 100 523 100"}
                                   << QByteArray("440|250|0|250\r\n0|100|523|100\r\n");
        QTest::newRow("empty song") << QStringList{} << QByteArray();
        QTest::newRow("empty items") << QStringList{"440  0 250"} << QByteArray("440||0|250\r\n");
        QTest::newRow("separator kept") << QStringList{"4|4 1 2 3"} << QByteArray("4|4|1|2|3\r\n");
        QTest::newRow("latin-1") << QStringList{QString::fromUtf8("ä ö ü ß")}
                                 << QByteArray("\xe4|\xf6|\xfc|\xdf\r\n");
        QTest::newRow("outside latin-1")
            << QStringList{QString::fromUtf8("€ 1 2 3")} << QByteArray("?|1|2|3\r\n");
    }

    void writeBytes() {
        QFETCH(QStringList, rows);
        QFETCH(QByteArray, bytes);
        SongTracks song;
        for (const QString& row : rows) {
            // Rows are split at single blanks so that "|" can stand inside an item.
            const QStringList f = row.split(QLatin1Char(' '));
            song.freq1 << f[0];
            song.dur1 << f[1];
            song.freq2 << f[2];
            song.dur2 << f[3];
        }
        QCOMPARE(SongFormat::write(song), bytes);
    }

    void splitLine_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("plain") << QByteArray("440|250|0|250")
                               << QStringList{"440", "250", "0", "250"};
        QTest::newRow("leading blanks and controls") << QByteArray(" \t\x01\x1f"
                                                                   "1|2")
                                                     << QStringList{"1", "2"};
        QTest::newRow("blanks around fields")
            << QByteArray(" 440 | 250 |0|250") << QStringList{"440", "250", "0", "250"};
        QTest::newRow("empty between separators")
            << QByteArray("440||0") << QStringList{"440", "", "0"};
        QTest::newRow("leading separator") << QByteArray("|1") << QStringList{"", "1"};
        QTest::newRow("separator at the end") << QByteArray("1|2|") << QStringList{"1", "2", ""};
        QTest::newRow("separator and blank at the end")
            << QByteArray("1|2| ") << QStringList{"1", "2"};
        QTest::newRow("only a separator") << QByteArray("|") << QStringList{"", ""};
        QTest::newRow("blank splits a field")
            << QByteArray("440 450|250") << QStringList{"440", "450", "250"};
        QTest::newRow("tab splits a field") << QByteArray("1\t2") << QStringList{"1", "2"};
        QTest::newRow("quoted field") << QByteArray("\"4 4\"|5") << QStringList{"4 4", "5"};
        QTest::newRow("doubled quote") << QByteArray("\"a\"\"b\"|c") << QStringList{"a\"b", "c"};
        QTest::newRow("separator inside quotes")
            << QByteArray("\"1|2\"|3") << QStringList{"1|2", "3"};
        QTest::newRow("empty quotes") << QByteArray("\"\"|3") << QStringList{"", "3"};
        QTest::newRow("text after closing quote")
            << QByteArray("\"ab\"cd|e") << QStringList{"ab", "cd", "e"};
        QTest::newRow("unterminated quote") << QByteArray("\"ab|c") << QStringList{"ab|c"};
        QTest::newRow("quote inside a field") << QByteArray("a\"b|c") << QStringList{"a\"b", "c"};
        QTest::newRow("lone CR is a blank") << QByteArray("1|2\r3") << QStringList{"1", "2", "3"};
        QTest::newRow("empty line") << QByteArray("") << QStringList{};
        QTest::newRow("blank line") << QByteArray("   \t ") << QStringList{};
        QTest::newRow("NUL belongs to the field") << QByteArray("4\x00"
                                                                "0|1",
                                                                5)
                                                  << QStringList{QString::fromLatin1("4\0"
                                                                                     "0",
                                                                                     3),
                                                                 "1"};
        QTest::newRow("high bytes are Latin-1")
            << QByteArray("\xc3\x28|\xff")
            << QStringList{QString::fromLatin1("\xc3\x28"), QString::fromLatin1("\xff")};
    }

    void splitLine() {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, fields);
        QCOMPARE(SongFormat::splitLine(line), fields);
    }

    void bmmLines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("CR") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("LF") << QByteArray("a\nb") << QStringList{"a", "b"};
        QTest::newRow("LF CR is two ends") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
        QTest::newRow("empty lines kept") << QByteArray("\n\nx") << QStringList{"", "", "x"};
        QTest::newRow("empty") << QByteArray() << QStringList{};
    }

    void bmmLines() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(BmmFormat::splitLines(bytes), lines);
    }

    void bmmTempo_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("tempo");
        QTest::newRow("three digits") << QStringList{"x", "BPM 120"} << 1 << "120";
        QTest::newRow("two digits at the end") << QStringList{"BPM 95"} << 0 << "95";
        QTest::newRow("more text after") << QStringList{"BPM 1200 fast"} << 0 << "120";
        QTest::newRow("short line") << QStringList{"BPM"} << 0 << "";
        QTest::newRow("last one counts")
            << QStringList{"BPM 100", "y", "BPM 150", "z"} << 2 << "150";
        QTest::newRow("case-sensitive") << QStringList{"bpm 100", "BP  090"} << 1 << "090";
        QTest::newRow("none") << QStringList{"bpm 100", " BPM 100"} << -1 << "";
    }

    void bmmTempo() {
        QFETCH(QStringList, lines);
        QFETCH(int, index);
        QFETCH(QString, tempo);
        const std::optional<int> found = BmmFormat::tempoLine(lines);
        QCOMPARE(found.value_or(-1), index);
        if (found)
            QCOMPARE(BmmFormat::tempoText(lines.at(*found)), tempo);
    }
};

QTEST_GUILESS_MAIN(TestSongFormat)
#include "tst_songformat.moc"
