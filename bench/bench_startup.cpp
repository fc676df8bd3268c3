// Start-up: the time from starting the program's process to its main window being painted,
// next to a bare toolkit window started the same way (bare_window, a separate minimal widgets
// program beside this one), in turns within one run; also with
// auto-connect to a library host that accepts the connection but never answers, where the
// window must appear as fast and the caption and status reach the offline state afterwards.
// Prints figures; it checks nothing.

#include "settings/ConfigLocation.h"
#include "gui/SettingsDialog.h"
#include "gui/SettingsNetworkPage.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

/// Reports the first paint of a window on standard output and ends the program, or with a
/// library to wait for, reports how the start-up connection ended and ends then.
class FirstPaint final : public QObject {
public:
    explicit FirstPaint(bool awaitLibrary = false) : m_awaitLibrary(awaitLibrary) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            m_sincePaint.start();
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            if (m_awaitLibrary)
                awaitLibrary();
            else
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void awaitLibrary() {
        const TForm6* settings = forms().Form6;
        if (settings->libraryConnectionPending()) {
            QTimer::singleShot(10, this, [this] { awaitLibrary(); });
            return;
        }
        const auto* page = settings->findChild<SettingsNetworkPage*>();
        std::printf("library \"%s\", status \"%s\", time %s, %.0f ms after the window\n",
                    qPrintable(forms().Form1->windowTitle()), qPrintable(page->Label13->text()),
                    qPrintable(page->Label12->text()),
                    double(m_sincePaint.nsecsElapsed()) / 1e6);
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }

    bool m_seen = false;
    bool m_awaitLibrary = false;
    QElapsedTimer m_sincePaint;
};

int runProgram(int argc, char* argv[]) {
    QApplication app(argc, argv);
    FirstPaint watcher;
    // As the program starts: every window created, the main window shown.
    QElapsedTimer phase;
    phase.start();
    if (argc > 2)
        setConfigFilePath(QString::fromLocal8Bit(argv[2]));
    createForms();
    const double created = double(phase.nsecsElapsed()) / 1e6;
    FirstPaint libraryWatcher(true);
    forms().Form1->installEventFilter(argc > 2 ? &libraryWatcher : &watcher);
    forms().Form1->show();
    if (qEnvironmentVariableIsSet("BENCH_STARTUP_PHASES"))
        std::fprintf(stderr, "windows created in %.1f ms, shown %.1f ms\n", created,
                     double(phase.nsecsElapsed()) / 1e6 - created);
    const int result = QApplication::exec();
    destroyForms();
    return result;
}

/// Milliseconds from starting the process to its first painted window; negative on failure.
/// With a settings file, what the child reports after the window goes to `report`.
double timeToWindow(const QString& self, const char* mode, const QString& config = {},
                    QByteArray* report = nullptr) {
    QProcess child;
    QElapsedTimer timer;
    timer.start();
    // The bare window is a program of its own: this one links the whole program.
    const bool bare = std::strcmp(mode, "--bare") == 0;
    QStringList arguments;
    if (!bare)
        arguments << QString::fromLatin1(mode);
    if (!config.isEmpty())
        arguments << config;
    child.start(bare ? QFileInfo(self).absolutePath() + QStringLiteral("/bare_window") : self,
                arguments);
    double ms = -1;
    QByteArray output;
    while (child.waitForReadyRead(10000)) {
        output += child.readAllStandardOutput();
        if (output.contains("shown")) {
            ms = double(timer.nsecsElapsed()) / 1e6;
            break;
        }
    }
    if (!child.waitForFinished(30000))
        child.kill();
    output += child.readAllStandardOutput();
    if (report)
        *report = output.mid(output.indexOf("shown\n") + 6).trimmed();
    return ms;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && std::strcmp(argv[1], "--program") == 0)
        return runProgram(argc, argv);

    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    constexpr int kRuns = 15;
    // One of each first, not counted: the files are in the page cache afterwards.
    timeToWindow(self, "--bare");
    timeToWindow(self, "--program");
    std::vector<double> bare;
    std::vector<double> program;
    std::vector<double> ratios;
    for (int run = 0; run < kRuns; ++run) {
        const double b = timeToWindow(self, "--bare");
        const double p = timeToWindow(self, "--program");
        if (b <= 0 || p <= 0) {
            std::fprintf(stderr, "a window did not appear\n");
            return 1;
        }
        bare.push_back(b);
        program.push_back(p);
        ratios.push_back(p / b);
    }
    std::printf("bare window shown after     median %6.1f ms  min %6.1f ms  (%d runs)\n",
                median(bare), *std::min_element(bare.begin(), bare.end()), kRuns);
    std::printf("main window shown after     median %6.1f ms  min %6.1f ms  (%d runs)\n",
                median(program), *std::min_element(program.begin(), program.end()), kRuns);
    std::printf("ratio, run by run           median %6.2f     (goal <= 1.5)\n", median(ratios));

    // Auto-connect to an own library host that accepts the connection but never answers: the
    // kernel completes the connection from the listening socket's backlog, nobody greets.
    QTcpServer silent;
    if (!silent.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "cannot listen for the silent library host\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("Config.ini"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QStringLiteral("[OnlineDB]\r\nAuswahl=5\r\nAdresse=127.0.0.1:%1\r\n"
                                  "User=z\r\nPasswort=z\r\nAutoconnect=1\r\n")
                       .arg(silent.serverPort())
                       .toLatin1()) < 0)
        return 1;
    file.close();
    constexpr int kSilentRuns = 3;
    std::vector<double> silentBare;
    std::vector<double> silentProgram;
    std::vector<double> silentRatios;
    QByteArray report;
    for (int run = 0; run < kSilentRuns; ++run) {
        const double b = timeToWindow(self, "--bare");
        const double p = timeToWindow(self, "--program", config, &report);
        if (b <= 0 || p <= 0) {
            std::fprintf(stderr, "a window did not appear\n");
            return 1;
        }
        silentBare.push_back(b);
        silentProgram.push_back(p);
        silentRatios.push_back(p / b);
        std::printf("silent library host, run %d: window after %6.1f ms (bare %6.1f ms); %s\n",
                    run + 1, p, b, report.constData());
    }
    std::printf("silent library host: window median %6.1f ms, ratio to bare median %6.2f "
                "(goal <= 1.5)\n",
                median(silentProgram), median(silentRatios));
    return 0;
}
