// The real program, started on a virtual display, plays a tone and is then asked to end.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

/// An X server of its own on a free display number, which the server picks and reports.
class VirtualDisplay {
public:
    VirtualDisplay() {
        const QString server = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (server.isEmpty())
            return;
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        // Only the writing end goes to the server, which writes the display number into it.
        m_server.setChildProcessModifier([fd = fds[1]] { ::fcntl(fd, F_SETFD, 0); });
        m_server.start(server, {QStringLiteral("-displayfd"), QString::number(fds[1]),
                                QStringLiteral("-screen"), QStringLiteral("0"),
                                QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                QStringLiteral("tcp")});
        ::close(fds[1]);
        QByteArray number;
        pollfd reader{fds[0], POLLIN, 0};
        char c = 0;
        while (::poll(&reader, 1, 30000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number.append(c);
        ::close(fds[0]);
        if (!number.isEmpty())
            m_name = QStringLiteral(":") + QString::fromLatin1(number);
    }
    ~VirtualDisplay() {
        m_server.terminate();
        m_server.waitForFinished(10000);
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    /// ":<n>", or empty when no server could be started.
    QString name() const { return m_name; }

private:
    QProcess m_server;
    QString m_name;
};

/// Runs xdotool on the display; its output, trimmed.
QString xdotool(const QString& display, const QStringList& arguments, bool* ok = nullptr) {
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral("xdotool"), arguments);
    const bool done = tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit &&
                      tool.exitCode() == 0;
    if (ok != nullptr)
        *ok = done;
    return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
}

/// True once the captured sound holds a sample that is not silence.
bool soundPlayed(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        if (bytes[i] != 0 || bytes[i + 1] != 0)
            return true;
    return false;
}

} // namespace

class TestProgramSignals : public QObject {
    Q_OBJECT

private slots:
    void endsAfterATone_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("kill -TERM") << int(SIGTERM);
        QTest::newRow("Ctrl+C") << int(SIGINT);
        QTest::newRow("terminal closed") << int(SIGHUP);
    }

    void endsAfterATone() {
        QFETCH(int, signalNumber);
        const QString program = QCoreApplication::applicationDirPath() + "/../z1rpw3rk";
        if (!QFileInfo::exists(program))
            QSKIP("the program is not built");
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("xdotool is not installed (scripts/install-deps --test)");
        VirtualDisplay display;
        if (display.name().isEmpty())
            QSKIP("no virtual display (Xvfb; scripts/install-deps --test)");

        QTemporaryDir dir;
        const QString sound = dir.filePath(QStringLiteral("out.raw"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display.name());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
        env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), sound);
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        process.start(program, {});
        QVERIFY(process.waitForStarted());

        bool ok = false;
        const QString window = xdotool(
            display.name(), {"search", "--sync", "--onlyvisible", "--name", "^Z1rpW3rk 3.3$"}, &ok);
        QVERIFY2(ok && !window.isEmpty(), "the main window did not appear");
        const QString id = window.section('\n', 0, 0);
        xdotool(display.name(), {"windowfocus", "--sync", id}, &ok);
        QVERIFY(ok);
        // Enter adds the entered tone as a line, F5 plays the song.
        xdotool(display.name(), {"key", "--delay", "100", "Return", "F5"}, &ok);
        QVERIFY(ok);
        QTRY_VERIFY_WITH_TIMEOUT(soundPlayed(sound), 30000);
        QCOMPARE(process.state(), QProcess::Running);

        QElapsedTimer clock;
        clock.start();
        ::kill(pid_t(process.processId()), signalNumber);
        // It ends at once; the margin is for a machine under load.
        QVERIFY2(process.waitForFinished(10000), "the program is still running");
        qInfo("ended %lld ms after the signal", static_cast<long long>(clock.elapsed()));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

    // A reader of its messages that has gone away (a closed terminal, `| head`) must not end
    // the program at its first line on stderr.
    void outlivesAClosedErrorPipe() {
        const QString program = QCoreApplication::applicationDirPath() + "/../z1rpw3rk";
        if (!QFileInfo::exists(program))
            QSKIP("the program is not built");
        int fds[2];
        QVERIFY(::pipe2(fds, O_CLOEXEC) == 0);
        ::close(fds[0]); // nobody reads
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_DEBUG_PLUGINS"), QStringLiteral("1")); // lines at start
        QProcess process;
        process.setProcessEnvironment(env);
        process.setChildProcessModifier([fd = fds[1]] { ::dup2(fd, STDERR_FILENO); });
        process.start(program, {});
        ::close(fds[1]);
        QVERIFY(process.waitForStarted());
        QVERIFY2(!process.waitForFinished(3000), "the program ended by itself");
        process.terminate();
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }
};

QTEST_MAIN(TestProgramSignals)
#include "tst_programsignals.moc"
