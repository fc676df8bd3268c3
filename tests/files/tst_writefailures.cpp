// Every kind of file the program writes, with each step of the write failing in turn and on a
// full small disk (where the test may mount one): the earlier file stays byte for byte, no
// temporary file is left, and the user reads the failure.

#include "base/SafeFile.h"
#include "settings/ConfigLocation.h"
#include "gui/SettingsDialog.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"
#include "gui/HotKeyPad.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScopeGuard>
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
        for (QLineEdit* edit : forms().Form4()->edits)
            edit->setText(QStringLiteral("7"));
        app.prompts.fileAnswers = {target};
        forms().Form4()->EinstellungenSpeichern1->trigger();
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
constexpr int kFullDisk = -1;

/// A 64 KB file system at @p folder holding the earlier @p target, then filled up to the last
/// byte by another file.
bool mountFullDisk(const QString& folder, const QString& target) {
    if (!QDir().mkpath(folder) ||
        ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0)
        return false;
    QFile filler(folder + "/filler");
    if (writeBytes(target, kEarlier) && filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        while (filler.write(QByteArray(4096, 'x')) == 4096) {
        }
    return true;
}

} // namespace

class TestWriteFailures : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { SafeFile::failStepForTesting(SafeFile::Step::Open, 0); }

    void failedStepKeepsTheEarlierFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("step");
        const std::pair<const char*, int> steps[] = {{"open", int(SafeFile::Step::Open)},
                                                     {"write", int(SafeFile::Step::Write)},
                                                     {"flush", int(SafeFile::Step::Flush)},
                                                     {"commit", int(SafeFile::Step::Commit)},
                                                     {"a full 64 KB disk", kFullDisk}};
        for (const char* kind : kKinds)
            for (const auto& [name, step] : steps)
                QTest::addRow("%s, %s", kind, name) << QString::fromLatin1(kind) << step;
    }
    void failedStepKeepsTheEarlierFile() {
        QFETCH(QString, kind);
        QFETCH(int, step);
        QTemporaryDir dir;
        const QString folder = step == kFullDisk ? dir.filePath("small") : dir.path();
        const QString target = folder + (kind == "audio" ? "/a.wav" : "/target");
        if (step == kFullDisk && !mountFullDisk(folder, target))
            QSKIP("mounting a small file system needs the administrator");
        const auto unmount = qScopeGuard([&] {
            if (step == kFullDisk)
                ::umount(QFile::encodeName(folder).constData());
        });
        QVERIFY(step == kFullDisk || writeBytes(target, kEarlier));
        AppFixture app;
        if (step != kFullDisk)
            SafeFile::failStepForTesting(SafeFile::Step(step), ENOSPC);
        writeKind(app, kind, target);

        QCOMPARE(app.prompts.errors, QStringList{expectedError(kind, target)});
        QCOMPARE(contents(target), kEarlier);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(),
                 step == kFullDisk ? 2 : 1);
    }
};

QTEST_MAIN(TestWriteFailures)
#include "tst_writefailures.moc"
