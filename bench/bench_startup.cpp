// Start-up: the time from starting the program's process to its main window being painted,
// next to a bare toolkit window started the same way, in turns within one run. Prints
// figures; it checks nothing.

#include "song/Forms.h"
#include "song/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

/// Reports the first paint of a window on standard output and ends the program.
class FirstPaint final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

int runChild(int argc, char* argv[], bool program) {
    QApplication app(argc, argv);
    FirstPaint watcher;
    if (!program) {
        QWidget window;
        window.resize(529, 346);
        window.installEventFilter(&watcher);
        window.show();
        return QApplication::exec();
    }
    // As the program starts: every window created, the main window shown.
    QElapsedTimer phase;
    phase.start();
    createForms();
    const double created = double(phase.nsecsElapsed()) / 1e6;
    forms().Form1->installEventFilter(&watcher);
    forms().Form1->show();
    if (qEnvironmentVariableIsSet("BENCH_STARTUP_PHASES"))
        std::fprintf(stderr, "windows created in %.1f ms, shown %.1f ms\n", created,
                     double(phase.nsecsElapsed()) / 1e6 - created);
    const int result = QApplication::exec();
    destroyForms();
    return result;
}

/// Milliseconds from starting the process to its first painted window; negative on failure.
double timeToWindow(const QString& self, const char* mode) {
    QProcess child;
    QElapsedTimer timer;
    timer.start();
    child.start(self, {QString::fromLatin1(mode)});
    double ms = -1;
    while (child.waitForReadyRead(10000)) {
        if (child.readAllStandardOutput().contains("shown")) {
            ms = double(timer.nsecsElapsed()) / 1e6;
            break;
        }
    }
    if (!child.waitForFinished(10000))
        child.kill();
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
    if (argc > 1 && std::strcmp(argv[1], "--bare") == 0)
        return runChild(argc, argv, false);
    if (argc > 1 && std::strcmp(argv[1], "--program") == 0)
        return runChild(argc, argv, true);

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
    std::printf("ratio, run by run           median %6.2f     (goal <= 2)\n", median(ratios));
    return 0;
}
