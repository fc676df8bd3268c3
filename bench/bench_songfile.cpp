// Opens and saves a 100,000-line song through the real main window and measures the pure
// song file reader; then opens a 1,000,000-line song and edits it (one line added, one line
// deleted, "Neu"), with the memory it takes and the time it takes to save, measures the
// command line's peak memory rendering it, and opens the largest song file the program accepts.
// Prints figures; it checks nothing.

#include "BenchLoad.h"

#include "gui/ListBox.h"
#include "base/Prompts.h"
#include "base/FileAccess.h"
#include "files/SongFormat.h"
#include "gui/SettingsDialog.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

/// Answers every file dialog with one name and prints whatever would be shown.
class BenchPrompts final : public Prompts {
public:
    QString fileName;
    void showMessage(const QString& text) override { report(text); }
    /// A question is answered "Nein": the song in the window is never saved over, and
    /// "Neu" or "Öffnen" go on.
    Answer messageBox(const QString& text, const QString&, Icon, Buttons buttons) override {
        report(text);
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::No
                                                                            : Answer::Ok;
    }
    void showError(const QString& text) override { report(text); }
    std::optional<QString> openFile(const FileDialog&) override { return fileName; }
    std::optional<QString> saveFile(const FileDialog&) override { return fileName; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    int execModal(QDialog&) override { return 0; }

private:
    static void report(const QString& text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
};

QByteArray songBytes(int lines) {
    static const char* const freqs[] = {"262", "294", "330", "349", "392", "440", "494", "0"};
    static const char* const durs[] = {"125", "250", "500", "1000"};
    QByteArray bytes;
    for (int i = 0; i < lines; ++i) {
        bytes += freqs[i % 8];
        bytes += '|';
        bytes += durs[(i / 3) % 4];
        bytes += '|';
        bytes += freqs[(i * 5 + 3) % 8];
        bytes += '|';
        bytes += durs[(i / 3) % 4];
        bytes += "\r\n";
    }
    return bytes;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/// Processor time of this thread in ms: on a busy machine it shows what the work itself costs.
double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

std::vector<double> g_cpu; ///< processor times of the last timeRuns call

template <typename Fn> std::vector<double> timeRuns(int runs, Fn&& fn) {
    std::vector<double> ms;
    g_cpu.clear();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const double cpu = cpuMs();
        timer.start();
        fn();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        g_cpu.push_back(cpuMs() - cpu);
    }
    return ms;
}

/// The process's resident memory in MB, once freed memory is given back to the system.
double trimmedResidentMb() {
    malloc_trim(0);
    return residentMb();
}

/// Runs the program in processes of its own and reports their peak resident memory. A child's
/// peak counts the memory of the process it was forked from, so the children are started by a
/// small process forked at the bench's start, before the bench itself grows.
class PeakSpawner {
public:
    PeakSpawner() {
        if (pipe(m_request) != 0 || pipe(m_answer) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            close(m_request[1]);
            close(m_answer[0]);
            serve();
            _exit(0);
        }
        close(m_request[0]);
        close(m_answer[1]);
    }
    ~PeakSpawner() {
        close(m_request[1]);
        close(m_answer[0]);
        if (m_pid > 0)
            waitpid(m_pid, nullptr, 0);
    }
    PeakSpawner(const PeakSpawner&) = delete;
    PeakSpawner& operator=(const PeakSpawner&) = delete;

    /// The peak in MB of the program run with the arguments, or −1 when it failed.
    double peakMb(const QStringList& arguments) {
        const std::string line = arguments.join(QLatin1Char('\n')).toStdString() + '\0';
        long kb = -1;
        if (m_pid <= 0 || write(m_request[1], line.data(), line.size()) != ssize_t(line.size()) ||
            read(m_answer[0], &kb, sizeof kb) != ssize_t(sizeof kb))
            return -1;
        return kb < 0 ? -1 : double(kb) / 1024;
    }

private:
    void serve() {
        std::string line;
        char c = 0;
        while (read(m_request[0], &c, 1) == 1) {
            if (c != '\0') {
                line += c;
                continue;
            }
            std::vector<std::string> args{Z1RPW3RK_PROGRAM};
            for (std::size_t from = 0, to; from <= line.size(); from = to + 1) {
                to = std::min(line.find('\n', from), line.size());
                args.push_back(line.substr(from, to - from));
            }
            line.clear();
            std::vector<char*> argv;
            for (std::string& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            long kb = -1;
            const pid_t pid = fork();
            if (pid == 0) {
                execv(argv[0], argv.data());
                _exit(127);
            }
            int status = 0;
            rusage usage{};
            if (pid > 0 && wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) &&
                WEXITSTATUS(status) == 0)
                kb = usage.ru_maxrss;
            if (write(m_answer[1], &kb, sizeof kb) != ssize_t(sizeof kb))
                return;
        }
    }

    int m_request[2] = {-1, -1};
    int m_answer[2] = {-1, -1};
    pid_t m_pid = -1;
};

void print(const char* what, const std::vector<double>& ms) {
    std::printf("%-44s median %8.1f ms   min %8.1f ms   cpu %7.1f ms   (%zu runs)\n", what,
                median(ms), *std::min_element(ms.begin(), ms.end()),
                g_cpu.size() == ms.size() ? median(g_cpu) : 0.0, ms.size());
}

} // namespace

int main(int argc, char* argv[]) {
    PeakSpawner spawner;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kLines = 100000;
    constexpr int kRuns = 7;

    QTemporaryDir dir;
    const QString songPath = dir.filePath(QStringLiteral("bench.zwk"));
    const QByteArray bytes = songBytes(kLines);
    {
        QFile file(songPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
    }
    std::printf("song: %d lines, %.2f MB\n", kLines, bytes.size() / 1e6);

    BenchPrompts prompts;
    setPrompts(&prompts);
    createForms();
    TForm1& window = *forms().Form1;
    window.show();
    QApplication::processEvents();

    // Open: the menu command with its dialog answered, then the first repaint of the lists.
    prompts.fileName = songPath;
    const auto openRuns = timeRuns(kRuns, [&] {
        window.Oeffnen1->trigger();
        QApplication::processEvents();
    });
    if (window.Memo1->count() != kLines || window.Line->count() != kLines)
        std::fprintf(stderr, "open loaded %d lines\n", window.Memo1->count());
    print("open 100,000 lines (Oeffnen1, with repaint)", openRuns);

    const QString savePath = dir.filePath(QStringLiteral("saved.zwk"));
    prompts.fileName = savePath;
    const auto saveRuns = timeRuns(kRuns, [&] { window.Speichern1->trigger(); });
    {
        QFile saved(savePath);
        if (!saved.open(QIODevice::ReadOnly) || saved.readAll() != bytes)
            std::fprintf(stderr, "saved file differs from the opened one\n");
    }
    print("save 100,000 lines (Speichern1)", saveRuns);

    // The pure reader on a larger buffer: bytes to the four track lists.
    const QByteArray large = bytes.repeated(10);
    const auto readRuns = timeRuns(kRuns, [&] {
        const SongFormat::ReadResult result = SongFormat::read(large);
        if (result.song.freq1.size() != 10 * kLines)
            std::fprintf(stderr, "reader gave %lld lines\n", qlonglong(result.song.freq1.size()));
    });
    print("reader, 1,000,000 lines in memory", readRuns);
    std::printf("reader throughput: %.0f MB/s (median), %.0f MB/s (best)\n",
                large.size() / 1e6 / (median(readRuns) / 1e3),
                large.size() / 1e6 / (*std::min_element(readRuns.begin(), readRuns.end()) / 1e3));

    const auto fileRuns =
        timeRuns(kRuns, [&] { (void)SongFormat::read(FileAccess::readAll(songPath)); });
    print("read file + reader, 100,000 lines", fileRuns);

    SongTracks song{window.Memo1->items(), window.Memo2->items(), window.Memo3->items(),
                    window.Memo4->items()};
    const auto writeRuns = timeRuns(kRuns, [&] { (void)SongFormat::write(song); });
    print("writer alone (lists to bytes), 100,000 lines", writeRuns);

    // The .bmm import of 100,000 note lines, progress and event processing included.
    const QString bmmPath = dir.filePath(QStringLiteral("bench.bmm"));
    {
        QFile file(bmmPath);
        const QByteArray bmm =
            "Bleeper Music Maker\r\nRev 1\r\nBPM 120\r\n//Length Note1 Note2\r\n" +
            QByteArray("quarter C#4 D4\r\n1/8 F#5 A4 dot\r\n").repeated(kLines / 2);
        if (!file.open(QIODevice::WriteOnly) || file.write(bmm) != bmm.size())
            return 1;
    }
    forms().Form6->cbBMMINFO->setChecked(true);
    prompts.fileName = bmmPath;
    const auto importRuns = timeRuns(3, [&] {
        window.BleeperMusicMakerbmm1->trigger();
        QApplication::processEvents();
    });
    if (window.Memo1->count() != kLines)
        std::fprintf(stderr, "import gave %d lines\n", window.Memo1->count());
    print("import 100,000 .bmm note lines", importRuns);

    // A song of a million lines: open, memory, one line added and deleted, "Neu".
    constexpr int kBigLines = 1000000;
    window.Neu1->trigger();
    QApplication::processEvents();
    const QString bigPath = dir.filePath(QStringLiteral("big.zwk"));
    {
        const QByteArray big = songBytes(kBigLines);
        QFile file(bigPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(big) != big.size())
            return 1;
        std::printf("song: %d lines, %.2f MB\n", kBigLines, big.size() / 1e6);
    }
    const double idle = trimmedResidentMb();
    prompts.fileName = bigPath;
    std::vector<double> bigOpenRuns;
    std::vector<double> bigOpenCpu;
    double opened = 0;
    for (int run = 0; run < 3; ++run) {
        window.Neu1->trigger();
        QApplication::processEvents();
        const auto once = timeRuns(1, [&] {
            window.Oeffnen1->trigger();
            QApplication::processEvents();
        });
        bigOpenRuns.push_back(once[0]);
        bigOpenCpu.push_back(g_cpu[0]);
        if (run == 0)
            opened = trimmedResidentMb();
    }
    g_cpu = bigOpenCpu;
    if (window.Memo1->count() != kBigLines || window.Line->count() != kBigLines)
        std::fprintf(stderr, "open loaded %d lines\n", window.Memo1->count());
    print("open 1,000,000 lines (goal <= 1000 ms)", bigOpenRuns);
    std::printf("%-44s %8.1f MB above idle (goal <= 50 MB; idle %.1f MB)\n",
                "memory after opening 1,000,000 lines", opened - idle, idle);
    // Saving writes to the file the song came from: no question is asked.
    print("save 1,000,000 lines (goal <= 100 ms cpu)", timeRuns(3, [&] {
              window.Speichern1->trigger();
              QApplication::processEvents();
          }));

    // The command line renders the song in a process of its own: its peak beside that of a
    // one-line song shows what the long song costs.
    const QString tinyPath = dir.filePath(QStringLiteral("tiny.zwk"));
    {
        QFile file(tinyPath);
        if (!file.open(QIODevice::WriteOnly) || file.write("440|250|0|250\r\n") < 0)
            return 1;
    }
    for (const char* suffix : {"zwk", "mid", "png"}) {
        const QString out = dir.filePath(QStringLiteral("render.") + QLatin1String(suffix));
        const double tiny = spawner.peakMb({QStringLiteral("--render"), tinyPath,
                                           QStringLiteral("-o"), out});
        const double big = spawner.peakMb({QStringLiteral("--render"), bigPath,
                                          QStringLiteral("-o"), out});
        std::printf("--render 1,000,000 lines to .%-4s peak %7.1f MB (one line: %.1f MB; goal <= "
                    "100 MB)\n",
                    suffix, big, tiny);
    }

    const auto clickAndPaint = [](QPushButton* button) {
        button->click();
        QApplication::processEvents();
    };
    window.Line->setItemIndex(-1);
    print("add one line at 1,000,000 (goal <= 5 ms)",
          timeRuns(kRuns, [&] { clickAndPaint(window.btadd); }));
    print("delete the last line at 1,000,000 (<= 5 ms)",
          timeRuns(kRuns, [&] { clickAndPaint(window.btloeschen); }));
    print("delete line 500,000 of 1,000,000 (<= 5 ms)", timeRuns(kRuns, [&] {
              window.Memo1->setItemIndex(kBigLines / 2);
              window.Memo1Click();
              clickAndPaint(window.btloeschen);
          }));
    if (window.Memo1->count() != kBigLines - kRuns || window.Line->count() != kBigLines - kRuns)
        std::fprintf(stderr, "editing left %d lines\n", window.Memo1->count());
    const int before = window.Memo1->count();
    print("\"Neu\" with 1,000,000 lines (goal <= 50 ms)", timeRuns(1, [&] {
              window.Neu1->trigger();
              QApplication::processEvents();
          }));
    if (window.Memo1->count() != 0 || window.Line->count() != 0)
        std::fprintf(stderr, "\"Neu\" left %d of %d lines\n", window.Memo1->count(), before);

    // The most memory a line can take: every field a text of its own (none shared).
    const QString distinctPath = dir.filePath(QStringLiteral("distinct.zwk"));
    {
        QByteArray distinct;
        for (int i = 0; i < kBigLines; ++i)
            distinct += QByteArray::number(1000000 + i) + '|' + QByteArray::number(2000000 + i) +
                        '|' + QByteArray::number(3000000 + i) + '|' +
                        QByteArray::number(4000000 + i) + '\n';
        QFile file(distinctPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(distinct) != distinct.size())
            return 1;
    }
    window.Neu1->trigger();
    QApplication::processEvents();
    prompts.fileName = distinctPath;
    const double beforeDistinct = trimmedResidentMb();
    print("open 1,000,000 lines of distinct texts", timeRuns(1, [&] {
              window.Oeffnen1->trigger();
              QApplication::processEvents();
          }));
    std::printf("%-44s %8.0f bytes a line\n", "memory, every field a text of its own",
                (trimmedResidentMb() - beforeDistinct) * 1024 * 1024 / kBigLines);

    // The largest file the program accepts: the most lines of the shortest kind ("|||").
    const QString largestPath = dir.filePath(QStringLiteral("largest.zwk"));
    {
        QFile file(largestPath);
        const QByteArray largest = QByteArray("|||\n").repeated(SongFormat::kMaxLines);
        if (!file.open(QIODevice::WriteOnly) || file.write(largest) != largest.size())
            return 1;
    }
    prompts.fileName = largestPath;
    window.Neu1->trigger();
    QApplication::processEvents();
    const double beforeLargest = trimmedResidentMb();
    const auto largestRuns = timeRuns(3, [&] {
        window.Neu1->trigger();
        QApplication::processEvents();
        window.Oeffnen1->trigger();
        QApplication::processEvents();
    });
    if (window.Memo1->count() != SongFormat::kMaxLines)
        std::fprintf(stderr, "largest file loaded %d lines\n", window.Memo1->count());
    std::printf("largest accepted file: %lld lines of \"|||\", %.1f MB above idle\n",
                qlonglong(SongFormat::kMaxLines), trimmedResidentMb() - beforeLargest);
    print("open the largest accepted file", largestRuns);

    destroyForms();
    setPrompts(nullptr);
    return 0;
}
