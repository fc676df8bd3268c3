// Plays a song through the real playback engine into SDL's disk driver and reports, from the
// captured samples, how exactly the song keeps time: total length against the sum of the
// durations, the largest gap between joined tones, and each tone's onset error. Then it plays
// one tone and reports the program's CPU use second by second while it idles afterwards.
//
//   bench_playback [--load] [--runs N] [--loop ROUNDS] [lines] [duration-ms] [frequency]
//   (defaults: 200 50 440)
//
// --load starts two busy processes beside the program for the playback runs (and ends them);
// --runs plays the song N times on each output; --loop plays it ROUNDS times over with
// "Schleife" (the loop points are joins like any other: the gap and onset figures cover them).

#include "BenchLoad.h"

#include "audio/PlaybackEngine.h"
#include "audio/SoundDevice.h"
#include "gui/ListBox.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <vector>


namespace {

constexpr double kRate = SoundDevice::kSampleRate;

std::vector<std::int16_t> readSamples(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::vector<std::int16_t> out(std::size_t(bytes.size()) / 2);
    std::memcpy(out.data(), bytes.constData(), out.size() * 2);
    return out;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(std::ceil(p * v.size())) - (p > 0 ? 1 : 0))];
}

bool loud(std::int16_t s) {
    return std::abs(int(s)) > 1024;
}

struct Run {
    const char* name;
    bool waveform;
};

void report(const Run& run, int lines, int durationMs, int frequency,
            const std::vector<std::int16_t>& s, qint64 wallMs) {
    const auto perLine = std::size_t(std::int64_t(durationMs) * SoundDevice::kSampleRate / 1000);
    std::size_t first = 0;
    while (first < s.size() && !loud(s[first]))
        ++first;
    std::size_t last = s.size();
    while (last > first && !loud(s[last - 1]))
        --last;
    if (first >= last) {
        std::printf("%s: nothing was heard\n", run.name);
        return;
    }

    std::vector<double> onsetErrors;
    double largestGapMs = 0;
    std::vector<int> gapsAt; // tones that started late after a gap
    std::size_t lengthSamples = 0;
    if (!run.waveform) {
        // Joined tones: any quiet stretch inside the song is a gap. Tone k is the k-th stretch of
        // perLine sounding samples; its onset is where its first sample lies in the stream.
        std::size_t sounding = 0;
        std::size_t quietRun = 0;
        for (std::size_t i = first; i < last; ++i) {
            if (!loud(s[i])) {
                ++quietRun;
                continue;
            }
            largestGapMs = std::max(largestGapMs, quietRun * 1000.0 / kRate);
            if (quietRun * 1000.0 / kRate > 1.0)
                gapsAt.push_back(int(sounding / perLine));
            quietRun = 0;
            if (sounding % perLine == 0) {
                const double expected = double(first + sounding);
                onsetErrors.push_back(std::abs(double(i) - expected) * 1000.0 / kRate);
            }
            ++sounding;
        }
        lengthSamples = last - first;
    } else {
        // Half-length tones: each tone starts after a silence; its onset should fall on the
        // line grid counted from the first.
        std::size_t i = first;
        std::size_t k = 0;
        while (i < last) {
            const double expected = double(first + k * perLine);
            onsetErrors.push_back(std::abs(double(i) - expected) * 1000.0 / kRate);
            ++k;
            std::size_t quiet = 0;
            while (i < last && quiet <= 44) { // a tone ends after 1 ms of quiet
                quiet = loud(s[i]) ? 0 : quiet + 1;
                ++i;
            }
            while (i < last && !loud(s[i]))
                ++i;
        }
        // the song's length: the grid start to the end of the last line's silence
        lengthSamples = (last - first) + (perLine - perLine / 2);
    }

    const double totalMs = lengthSamples * 1000.0 / kRate;
    const double expectedMs = double(lines) * durationMs;
    std::printf("%s: %d lines of %d ms at %d Hz\n", run.name, lines, durationMs, frequency);
    std::printf("  total length      %.3f s (sum of durations %.3f s, %+.3f %%)\n", totalMs / 1000,
                expectedMs / 1000, (totalMs - expectedMs) / expectedMs * 100);
    std::printf("  tones found       %zu\n", onsetErrors.size());
    if (!run.waveform) {
        std::printf("  largest gap       %.3f ms\n", largestGapMs);
        std::printf("  gaps over 1 ms    %zu", gapsAt.size());
        for (std::size_t g = 0; g < std::min<std::size_t>(gapsAt.size(), 10); ++g)
            std::printf("%s tone %d", g ? "," : " before", gapsAt[g]);
        std::printf("\n");
    }
    const auto late =
        std::find_if(onsetErrors.begin(), onsetErrors.end(), [](double e) { return e > 1.0; });
    if (late != onsetErrors.end())
        std::printf("  first late tone   %d\n", int(late - onsetErrors.begin()));
    std::printf("  onset error       p50 %.3f ms, p99 %.3f ms, max %.3f ms\n",
                percentile(onsetErrors, 0.5), percentile(onsetErrors, 0.99),
                percentile(onsetErrors, 1.0));
    std::printf("  wall clock        %.3f s from Play to Stop\n", wallMs / 1000.0);
}

// One tone, then the window idles: the program's CPU use in each second after the tone ends.
void reportIdleCpu(TForm1& w) {
    SoundDevice::shutdown();
    SoundDevice::instance();
    w.Neu1Click();
    w.Memo1->addAll({QStringLiteral("440")});
    w.Memo2->addAll({QStringLiteral("100")});
    w.Memo3->addAll({QStringLiteral("0")});
    w.Memo4->addAll({QStringLiteral("100")});
    w.RenumberLines();
    w.playback->btplayClick();
    while (!w.playback->PlayStopped)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("idle after the last tone, CPU use per second (all threads but the window's "
                "/ the window's thread):\n ");
    QElapsedTimer clock;
    clock.start();
    double lastAll = processCpuSeconds();
    double lastMain = mainThreadCpuSeconds();
    int quietFrom = -1;
    for (int second = 1; second <= 12; ++second) {
        QEventLoop idle;
        QTimer::singleShot(std::max<qint64>(0, second * 1000 - clock.elapsed()), &idle,
                           &QEventLoop::quit);
        idle.exec();
        const double all = processCpuSeconds();
        const double main = mainThreadCpuSeconds();
        const double others = std::max(0.0, ((all - lastAll) - (main - lastMain)) * 100);
        std::printf(" %2d s: %.3f / %.2f %%%s", second, others, (main - lastMain) * 100,
                    second % 4 == 0 ? "\n " : ",");
        lastAll = all;
        lastMain = main;
        if (others >= 0.01)
            quietFrom = -1;
        else if (quietFrom < 0)
            quietFrom = second;
    }
    std::printf("device streaming at the end: %s; the sound threads stay below 0.01 %% from "
                "second %d on\n",
                SoundDevice::instance().isStreaming() ? "yes" : "no", quietFrom);
    SoundDevice::shutdown();
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/bench.raw");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", path.toLocal8Bit());

    QApplication app(argc, argv);
    QStringList args = app.arguments();
    const bool load = args.removeAll(QStringLiteral("--load")) > 0;
    int runs = 1;
    if (const qsizetype at = args.indexOf(QStringLiteral("--runs")); at > 0 && at + 1 < args.size()) {
        runs = std::max(1, args[at + 1].toInt());
        args.remove(at, 2);
    }
    int rounds = 1;
    if (const qsizetype at = args.indexOf(QStringLiteral("--loop")); at > 0 && at + 1 < args.size()) {
        rounds = std::max(1, args[at + 1].toInt());
        args.remove(at, 2);
    }
    const int lines = args.size() > 1 ? args[1].toInt() : 200;
    const int durationMs = args.size() > 2 ? args[2].toInt() : 50;
    const int frequency = args.size() > 3 ? args[3].toInt() : 440;

    createForms();
    TForm1& w = *forms().Form1;
    QAction* loop = w.findChild<QAction*>(QStringLiteral("Schleife1"));
    loop->setChecked(rounds > 1);
    w.show();
    // The window's first drawing and its background picture come before the first Play: they
    // are the start-up's, not playing's.
    {
        QEventLoop shown;
        QTimer::singleShot(500, &shown, &QEventLoop::quit);
        shown.exec();
    }

    std::printf("%s\n", load ? "with two busy processes beside the program"
                             : "without other load of its own");
    std::optional<BusyProcesses> busy;
    if (load)
        busy.emplace(2);
    for (int round = 0; round < runs; ++round)
    for (const Run run :
         {Run{"speaker (system beep)", false}, Run{"waveform (FM-Synthese)", true}}) {
        SoundDevice::shutdown();
        SoundDevice::instance();
        if (run.waveform != w.FMSynthese1->isChecked())
            w.playback->FMSynthese1Click();

        w.Neu1Click();
        QStringList freqs, durs, zeros;
        for (int i = 0; i < lines; ++i) {
            freqs << QString::number(frequency);
            durs << QString::number(durationMs);
            zeros << QStringLiteral("0");
        }
        w.Memo1->addAll(freqs);
        w.Memo2->addAll(durs);
        w.Memo3->addAll(zeros);
        w.Memo4->addAll(durs);
        w.RenumberLines();

        QElapsedTimer clock;
        clock.start();
        const double windowCpuBefore = mainThreadCpuSeconds();
        const double processCpuBefore = processCpuSeconds();
        w.playback->btplayClick();
        // With the loop: Stop once the rounds are heard.
        const std::uint64_t loopEnd = SoundDevice::instance().playedSamples() +
                                      std::uint64_t(rounds) * lines * durationMs * 441 / 10;
        while (!w.playback->PlayStopped) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (rounds > 1 && SoundDevice::instance().playedSamples() >= loopEnd)
                w.playback->btstopClick();
        }
        const qint64 wall = clock.elapsed();
        const double windowCpu = mainThreadCpuSeconds() - windowCpuBefore;
        const double processCpu = processCpuSeconds() - processCpuBefore;
        SoundDevice::instance().drain();
        SoundDevice::shutdown();
        report(run, lines * rounds, durationMs, frequency, readSamples(path), wall);
        std::printf("  window's thread   %.3f s of CPU from Play to Stop\n", windowCpu);
        std::printf("  program's CPU     %.2f %% of a core while playing (all threads; load "
                    "average %.1f)\n",
                    wall > 0 ? processCpu * 100000.0 / double(wall) : 0.0, loadAverage());
    }
    busy.reset();
    loop->setChecked(false);
    reportIdleCpu(w);
    destroyForms();
    return 0;
}
