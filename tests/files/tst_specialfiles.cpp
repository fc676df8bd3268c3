// Saves aimed at names that hold something other than a regular file: the song's "Speichern",
// the HotKeyPad's "Einstellungen Speichern" and the settings file leave named pipes and device
// nodes as they are and say so, and write through a link to a regular file.

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
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

const QString kRefused = QStringLiteral("Dateizugriff verweigert");

QByteArray path(const QTemporaryDir& dir, const char* name) {
    return QFile::encodeName(dir.filePath(QLatin1String(name)));
}

/// The kind of what `name` names itself (a link is a link), or 0 when nothing is there.
mode_t kindOf(const QByteArray& name) {
    struct stat info {};
    return ::lstat(name.constData(), &info) == 0 ? (info.st_mode & S_IFMT) : 0;
}

QByteArray contents(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

/// Makes what the row asks for under the name "target" in `dir`; false when the system does
/// not let this process make it (a device node needs root).
bool makeTarget(const QTemporaryDir& dir, const QString& kind) {
    const QByteArray target = path(dir, "target");
    if (kind == QLatin1String("pipe"))
        return ::mkfifo(target.constData(), 0600) == 0;
    if (kind == QLatin1String("device")) // the numbers of /dev/null
        return ::mknod(target.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    if (kind == QLatin1String("link to file")) {
        QFile file(dir.filePath(QStringLiteral("real")));
        return file.open(QIODevice::WriteOnly) && file.write("old") == 3 &&
               QFile::link(QStringLiteral("real"), dir.filePath(QStringLiteral("target")));
    }
    if (kind == QLatin1String("link to pipe"))
        return ::mkfifo(path(dir, "pipe").constData(), 0600) == 0 &&
               QFile::link(QStringLiteral("pipe"), dir.filePath(QStringLiteral("target")));
    return false;
}

void addTargets() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("error");
    QTest::newRow("named pipe") << "pipe" << kRefused;
    QTest::newRow("device node") << "device" << kRefused;
    QTest::newRow("link to a named pipe") << "link to pipe" << kRefused;
    QTest::newRow("link to a regular file") << "link to file" << QString();
}

/// After the save: the name keeps its kind and nothing else appeared in the folder.
void checkTargetKept(const QTemporaryDir& dir, mode_t before) {
    QCOMPARE(kindOf(path(dir, "target")), before);
    const QStringList left =
        QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : left)
        QVERIFY2(name == QLatin1String("target") || name == QLatin1String("real") ||
                     name == QLatin1String("pipe"),
                 qPrintable(name));
}

} // namespace

class TestSpecialFiles : public QObject {
    Q_OBJECT

private slots:
    void songSave_data() { addTargets(); }

    void songSave() {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        QTemporaryDir dir;
        if (!makeTarget(dir, kind))
            QSKIP("this system does not let the test make it");
        const mode_t before = kindOf(path(dir, "target"));
        AppFixture app;
        setSong(app.main(), {"440 250 0 250"});
        app.prompts.fileAnswers = {dir.filePath(QStringLiteral("target"))};
        app.main().Speichern1->trigger();

        QCOMPARE(app.prompts.errors, error.isEmpty() ? QStringList() : QStringList{error});
        checkTargetKept(dir, before);
        if (kind == QLatin1String("link to file"))
            QCOMPARE(contents(dir.filePath(QStringLiteral("real"))),
                     QByteArray("440|250|0|250\r\n"));
    }

    void padSave_data() { addTargets(); }

    void padSave() {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        QTemporaryDir dir;
        if (!makeTarget(dir, kind))
            QSKIP("this system does not let the test make it");
        const mode_t before = kindOf(path(dir, "target"));
        AppFixture app;
        TForm4& pad = *forms().Form4();
        for (QLineEdit* edit : pad.edits)
            edit->setText(QStringLiteral("7"));
        app.prompts.fileAnswers = {dir.filePath(QStringLiteral("target"))};
        pad.EinstellungenSpeichern1->trigger();

        QCOMPARE(app.prompts.errors, error.isEmpty() ? QStringList() : QStringList{error});
        checkTargetKept(dir, before);
        if (kind == QLatin1String("link to file"))
            QCOMPARE(contents(dir.filePath(QStringLiteral("real"))),
                     QByteArray("7\r\n").repeated(8));
    }

    /// Written at every close; the audio export's refusals are in the command line's table.
    void settingsFile_data() { addTargets(); }
    void settingsFile() {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        QTemporaryDir dir;
        if (!makeTarget(dir, kind))
            QSKIP("this system does not let the test make it");
        const mode_t before = kindOf(path(dir, "target"));
        const QString target = dir.filePath(QStringLiteral("target"));
        AppFixture app(target);
        forms().Form6->findChild<QAbstractButton*>(QStringLiteral("btUe"))->click();
        const QString refused = QStringLiteral("In %1 kann nicht geschrieben werden").arg(target);
        QCOMPARE(app.prompts.errors, error.isEmpty() ? QStringList() : QStringList{refused});
        checkTargetKept(dir, before);
        if (error.isEmpty())
            QVERIFY(contents(dir.filePath(QStringLiteral("real"))).contains("[Anzeige]"));
    }
};

QTEST_MAIN(TestSpecialFiles)
#include "tst_specialfiles.moc"
