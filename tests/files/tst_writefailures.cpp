// Every kind of file the program writes, with each step of the write failing in turn: the
// earlier file stays byte for byte, no temporary file is left, and the user reads the failure.
// A full small file system, where the test may mount one, shows the same end to end.

#include "files/SafeFile.h"
#include "settings/ConfigLocation.h"
#include "settings/SettingsDialog.h"
#include "song/Forms.h"
#include "song/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"
#include "tools/HotKeyPad.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/mount.h>

namespace {

const QByteArray kEarlier = "earlier file\r\n";

QByteArray contents(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeBytes(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/// Runs the program's command that writes @p kind to @p target.
void writeKind(AppFixture& app, const QString& kind, const QString& target) {
    TForm1& main = app.main();
    if (kind == QLatin1String("Config.ini")) {
        setConfigFilePath(target);
        forms().Form6->tbfm->setValue(forms().Form6->tbfm->value() == 50 ? 51 : 50);
        forms().Form6->findChild<QAbstractButton*>(QStringLiteral("btUe"))->click();
        return;
    }
    if (kind == QLatin1String("pad")) {
        for (QLineEdit* edit : forms().Form4->edits)
            edit->setText(QStringLiteral("7"));
        app.prompts.fileAnswers = {target};
        forms().Form4->EinstellungenSpeichern1->trigger();
        return;
    }
    // Under 16 KB as a sound: a buffered writer would meet a full disk only at its last flush.
    setSong(main, {"440 100 0 100"});
    app.prompts.fileAnswers = {target};
    const char* item = kind == QLatin1String("song")    ? "Speichern1"
                       : kind == QLatin1String("audio") ? "ExportAudio1"
                                                        : "ExportMidi1";
    main.findChild<QAction*>(QLatin1String(item))->trigger();
}

QString expectedError(const QString& kind, const QString& target) {
    return kind == QLatin1String("Config.ini")
               ? QStringLiteral("In %1 kann nicht geschrieben werden").arg(target)
               : QStringLiteral("Zu wenig Speicherplatz");
}

const char* const kKinds[] = {"song", "pad", "MIDI export", "audio", "Config.ini"};

} // namespace

class TestWriteFailures : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { SafeFile::failStepForTesting(SafeFile::Step::Open, 0); }

    void failedStepKeepsTheEarlierFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("step");
        const std::pair<const char*, SafeFile::Step> steps[] = {{"open", SafeFile::Step::Open},
                                                                {"write", SafeFile::Step::Write},
                                                                {"flush", SafeFile::Step::Flush},
                                                                {"commit", SafeFile::Step::Commit}};
        for (const char* kind : kKinds)
            for (const auto& [name, step] : steps)
                QTest::addRow("%s, %s fails", kind, name) << QString::fromLatin1(kind) << int(step);
    }
    void failedStepKeepsTheEarlierFile() {
        QFETCH(QString, kind);
        QFETCH(int, step);
        QTemporaryDir dir;
        const QString target = dir.filePath(kind == "audio" ? "a.wav" : "target");
        QVERIFY(writeBytes(target, kEarlier));
        AppFixture app;
        SafeFile::failStepForTesting(SafeFile::Step(step), ENOSPC);
        writeKind(app, kind, target);

        QCOMPARE(app.prompts.errors, QStringList{expectedError(kind, target)});
        QCOMPARE(contents(target), kEarlier);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    /// A 64 KB file system filled up: an export over an existing file and the settings written
    /// with a changed value both fail, and both earlier files stay as they were.
    void fullFileSystemKeepsEarlierFiles() {
        QTemporaryDir dir;
        const QString mountPoint = dir.filePath("small");
        QVERIFY(QDir().mkpath(mountPoint));
        if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") !=
            0)
            QSKIP("mounting a small file system needs the administrator");
        const QString export_ = mountPoint + "/song.wav", config = mountPoint + "/Config.ini";
        {
            AppFixture app;
            QVERIFY(writeBytes(export_, kEarlier) && writeBytes(config, kEarlier));
            // Fill what is left, as another program would.
            QFile filler(mountPoint + "/filler");
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (filler.write(QByteArray(4096, 'x')) == 4096) {
            }
            filler.close();
            writeKind(app, "audio", export_);
            writeKind(app, "Config.ini", config);
            QCOMPARE(app.prompts.errors, (QStringList{expectedError("audio", export_),
                                                      expectedError("Config.ini", config)}));
            QCOMPARE(contents(export_), kEarlier);
            QCOMPARE(contents(config), kEarlier);
        }
        ::umount(QFile::encodeName(mountPoint).constData());
    }
};

QTEST_MAIN(TestWriteFailures)
#include "tst_writefailures.moc"
