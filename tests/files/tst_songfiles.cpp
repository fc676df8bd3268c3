#include "base/ListItems.h"
#include "files/SongFiles.h"
#include "settings/Settings.h"
#include "song/Song.h"
#include "support/ScriptedPrompts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The song file commands on a song of their own: no window, no widget application.
namespace {

QStringList rowsOf(const Song& song) {
    QStringList rows;
    for (int i = 0; i < song.lineCount(); ++i)
        rows << QStringLiteral("%1 %2 %3 %4")
                    .arg(song.Memo1->item(i), song.Memo2->item(i), song.Memo3->item(i),
                         song.Memo4->item(i));
    return rows;
}

/// A song with its file commands, as the command line holds them.
struct Document {
    explicit Document(const Settings& settings) : files(song, settings, view, progress) {}
    Song song;
    SongFileView view;
    NoProgress progress;
    SongFiles files;
};

} // namespace

class TestSongFiles : public QObject {
    Q_OBJECT

private slots:
    // Each kind of file opens into the song; its MIDI export imports back to the same song,
    // and so does the song file it is saved as.
    void openExportAndSave_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // empty: the sample file of that name
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("song file")
            << "zwk/two-lines.zwk" << QByteArray() << QStringList{"440 250 0 250", "0 100 523 100"};
        QTest::newRow(".bmm") << "bmm/quarter.bmm" << QByteArray()
                              << QStringList{"277 500 294 500"};
        QTest::newRow("ringtone") << "tune.rtttl" << QByteArray("T::a,8f")
                                  << QStringList{"1760 952 0 952", "1397 476 0 476"};
    }
    void openExportAndSave() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        QString path = QStringLiteral(Z1RPW3RK_TEST_DATA "/") + name;
        if (!bytes.isEmpty()) {
            path = dir.filePath(name);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        Settings settings;
        settings.bmmInfoHidden = true;
        Document opened(settings);
        QVERIFY(opened.files.open(path));
        QCOMPARE(rowsOf(opened.song), rows);

        const QString midi = dir.filePath(QStringLiteral("song.mid"));
        QFile out(midi);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(opened.files.midiFiles.exportBytes());
        out.close();
        Document imported(settings);
        QVERIFY(imported.files.open(midi));
        QCOMPARE(rowsOf(imported.song), rows);

        const QString saved = dir.filePath(QStringLiteral("saved.zwk"));
        prompts.fileAnswers = {saved};
        opened.files.songFiles.Speichern1Click();
        Document reread(settings);
        QVERIFY(reread.files.open(saved));
        QCOMPARE(rowsOf(reread.song), rows);
        QCOMPARE(prompts.texts(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSongFiles)
#include "tst_songfiles.moc"
