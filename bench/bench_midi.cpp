// The MIDI engine on the built-in synthesizer, captured by SDL's disk driver: how exactly a
// song keeps time, measured from the captured audio alone (every onset is found without
// looking near where it is expected; the total runs from the first to the last onset of the
// whole capture); the program's CPU use while playing; the synthesizer's rendering cost; and
// the MIDI input path from the device callback to OnMidiInput through the loopback.
//
//   bench_midi [--load] [--runs N] [lines] [duration-ms] [program]
//                                   (defaults: 200 50 115 = "Woodblock")
//
// --load starts two busy processes beside the program for the song runs (and ends them).

#include "BenchLoad.h"

#include "audio/GmSynth.h"
#include "audio/MidiInput.h"
#include "audio/MidiLoopback.h"
#include "audio/PlaybackEngine.h"
#include "audio/SoundDevice.h"
#include "gui/ListBox.h"
#include "gui/SettingsDialog.h"
#include "gui/SettingsMidiPage.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <thread>
#include <vector>

namespace {

constexpr double kRate = SoundDevice::kSampleRate;
using Clock = std::chrono::steady_clock;

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
    const auto index = std::size_t(std::ceil(p * double(v.size()))) - 1;
    return v[std::min(v.size() - 1, index)];
}

void spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

/// Runs the event loop until @p done or @p limitMs pass, sleeping between events: the wait
/// itself costs no CPU. (processEvents(WaitForMoreEvents, ms) would not sleep: its overload
/// with a time limit drops WaitForMoreEvents and spins.)
template <typename Done> void waitUntil(Done done, int limitMs) {
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    look.start(10);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
}

/// Every onset of the capture: a frame (0.5 ms) whose peak rises to at least twice the peak of
/// the frame before, above a fifth of the capture's loudest frame and above every frame of the
/// @p apart samples before it, at least @p apart samples after the onset before; refined to the first sample of that rise above half its new level.
std::vector<std::size_t> onsets(const std::vector<std::int16_t>& s, std::size_t apart) {
    constexpr std::size_t kFrame = 22;
    std::vector<int> peak(s.size() / kFrame, 0);
    for (std::size_t i = 0; i < peak.size() * kFrame; ++i)
        peak[i / kFrame] = std::max(peak[i / kFrame], std::abs(int(s[i])));
    const int loudest = peak.empty() ? 0 : *std::max_element(peak.begin(), peak.end());
    std::vector<std::size_t> found;
    for (std::size_t k = 1; k < peak.size(); ++k) {
        // the rise over the quietest of the two frames before, so a rise split across two
        // frames counts once, at its larger half
        const int before = std::min(peak[k - 1], k > 1 ? peak[k - 2] : peak[k - 1]);
        if (peak[k] < loudest / 5 || peak[k] < 2 * before + 100)
            continue;
        // A note is louder than everything in the third of a line before it; a second
        // transient of the same note (a woodblock's rebound) stays below its first strike.
        const std::size_t from = k > apart / kFrame ? k - apart / kFrame : 0;
        if (*std::max_element(peak.begin() + std::ptrdiff_t(from), peak.begin() + std::ptrdiff_t(k)) >=
            peak[k])
            continue;
        std::size_t at = k * kFrame;
        const int level = std::max(peak[k - 1], peak[k]) / 2;
        for (std::size_t i = (k - 1) * kFrame; i < (k + 1) * kFrame; ++i)
            if (std::abs(int(s[i])) >= level) {
                at = i;
                break;
            }
        if (!found.empty() && at < found.back() + apart)
            continue;
        found.push_back(at);
    }
    return found;
}

void songTiming(int lines, int durationMs, int program, bool busy) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/out.raw");
    SoundDevice::shutdown();
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", path.toLocal8Bit());
    SoundDevice::instance();

    createForms();
    TForm1& w = *forms().Form1;
    SettingsMidiPage& page = *forms().Form6->midiPage;
    if (page.combMidiG->itemText(0) != QLatin1String(GmSynth::kDeviceName)) {
        std::printf("built-in synthesizer not available\n");
        destroyForms();
        return;
    }
    QStringList freq, dur;
    for (int i = 0; i < lines; ++i) {
        freq << QStringLiteral("523");
        dur << QString::number(durationMs);
    }
    w.Memo1->addAll(freq);
    w.Memo2->addAll(dur);
    w.Memo3->addAll(QStringList(lines, QStringLiteral("0")));
    w.Memo4->addAll(dur);
    page.cbMidiNote1->setCurrentIndex(program);
    page.TrackBar1->setValue(127);
    page.cbMIDI->setChecked(true);
    w.show();
    spin(300);

    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = processCpuSeconds();
    w.btplay->click();
    waitUntil([&] { return w.playback->PlayStopped; }, 24 * 3600 * 1000);
    const qint64 wallMs = wall.elapsed();
    const double cpu = processCpuSeconds() - cpuBefore;
    spin(500);
    destroyForms();
    SoundDevice::instance().drain();
    SoundDevice::shutdown();
    const auto s = readSamples(path);
    if (qEnvironmentVariableIsSet("BENCH_MIDI_KEEP"))
        QFile::copy(path, qEnvironmentVariable("BENCH_MIDI_KEEP"));

    const double perLine = durationMs * kRate / 1000.0;
    const std::vector<std::size_t> at = onsets(s, std::size_t(perLine / 3));
    if (at.size() < 2) {
        std::printf("no song captured (%zu onsets)\n", at.size());
        return;
    }
    // Each onset against the grid of the durations from the first one; intervals between
    // neighbours show gaps and bursts.
    std::vector<double> errors;
    double shortest = 1e9, longest = 0;
    int gaps = 0;
    for (std::size_t k = 0; k < at.size(); ++k) {
        const double expected = double(at.front()) + double(k) * perLine;
        errors.push_back(std::abs(double(at[k]) - expected) * 1000.0 / kRate);
        if (k > 0) {
            const double interval = double(at[k] - at[k - 1]) * 1000.0 / kRate;
            shortest = std::min(shortest, interval);
            longest = std::max(longest, interval);
            if (interval > durationMs * 1.5)
                ++gaps;
        }
    }
    const double totalMs = double(at.back() - at.front()) * 1000.0 / kRate;
    const double ideal = double(lines - 1) * durationMs;
    std::printf("MIDI engine on the built-in synthesizer, %d lines of %d ms, program %d%s:\n",
                lines, durationMs, program, busy ? ", two busy processes beside" : "");
    std::printf("  onsets found in the capture     %zu of %d\n", at.size(), lines);
    std::printf("  first to last onset             %.2f ms (ideal %.0f, %+.3f %%)\n", totalMs,
                ideal, (totalMs - ideal) * 100.0 / ideal);
    std::printf("  intervals                       shortest %.2f ms, longest %.2f ms, gaps %d\n",
                shortest, longest, gaps);
    std::printf("  onset error  median %.2f ms  p99 %.2f ms  max %.2f ms\n",
                percentile(errors, 0.5), percentile(errors, 0.99), percentile(errors, 1.0));
    std::printf("  wall time Play to stop %lld ms; program's CPU %.2f %% of a core; load "
                "average %.1f\n",
                static_cast<long long>(wallMs), wallMs > 0 ? cpu * 100000.0 / double(wallMs) : 0.0,
                loadAverage());
}

/// The window's resident memory before and after a Play on MIDI-Out with two instruments:
/// the sound font's samples load for the instruments chosen, not the whole font.
void residentAfterPlay() {
    SoundDevice::shutdown();
    qputenv("SDL_AUDIODRIVER", "dummy");
    SoundDevice::instance();
    createForms();
    TForm1& w = *forms().Form1;
    SettingsMidiPage& page = *forms().Form6->midiPage;
    if (page.combMidiG->itemText(0) != QLatin1String(GmSynth::kDeviceName)) {
        destroyForms();
        return;
    }
    constexpr int kLines = 20;
    w.Memo1->addAll(QStringList(kLines, QStringLiteral("523")));
    w.Memo2->addAll(QStringList(kLines, QStringLiteral("50")));
    w.Memo3->addAll(QStringList(kLines, QStringLiteral("330")));
    w.Memo4->addAll(QStringList(kLines, QStringLiteral("50")));
    page.cbMidiNote1->setCurrentIndex(0);
    page.cbMidiNote2->setCurrentIndex(40);
    page.cbMIDI->setChecked(true);
    w.show();
    spin(300);
    const double before = residentMb();
    w.btplay->click();
    waitUntil([&] { return w.playback->PlayStopped; }, 60 * 1000);
    spin(300);
    std::printf("resident memory: window %.1f MB, after a MIDI-Out Play with two instruments "
                "%.1f MB (sound font %s)\n",
                before, residentMb(), qPrintable(GmSynth::soundFontPath()));
    destroyForms();
    SoundDevice::shutdown();
}

void renderCost() {
    GmSynth synth(GmSynth::soundFontPath());
    if (!synth.loaded())
        return;
    synth.post(0xC0 | 80 << 8, 0);
    synth.post(0xC1 | 0 << 8, 0);
    const int seconds = 20;
    const int line = int(kRate / 20);
    for (int i = 0; i < seconds * 20; ++i) {
        const auto at = std::uint64_t(i) * std::uint64_t(line);
        if (i > 0) {
            synth.post(std::uint32_t(0x80 | (60 + (i - 1) % 12) << 8), at);
            synth.post(std::uint32_t(0x81 | (48 + (i - 1) % 12) << 8), at);
        }
        synth.post(std::uint32_t(0x90 | (60 + i % 12) << 8 | 100 << 16), at);
        synth.post(std::uint32_t(0x91 | (48 + i % 12) << 8 | 100 << 16), at);
    }
    std::vector<std::int32_t> mix(441);
    timespec a{}, b{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
    for (std::uint64_t t = 0; t < std::uint64_t(seconds * kRate); t += 441) {
        std::fill(mix.begin(), mix.end(), 0);
        synth.mixInto(mix.data(), 441, t);
    }
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
    const double cpu = double(b.tv_sec - a.tv_sec) + double(b.tv_nsec - a.tv_nsec) / 1e9;
    std::printf("synthesizer rendering: %.2f ms CPU per second of audio (two tracks, 441-sample "
                "blocks)\n",
                cpu * 1000.0 / seconds);
}

void inputPath(int rate, int count) {
    MidiLoopback loop({}, {QStringLiteral("Loop In")});
    setMidiPlatform(&loop);
    {
        TMidiInput in;
        std::vector<Clock::time_point> sentAt(static_cast<std::size_t>(count));
        std::vector<double> latencies;
        latencies.reserve(std::size_t(count));
        std::atomic<int> overflows{0};
        int received = 0;
        in.OnMidiInput = [&](TMidiInput* input) {
            if (const auto event = input->ReadEvent()) {
                const int index = event->Data1 | event->Data2 << 7;
                latencies.push_back(
                    std::chrono::duration<double, std::micro>(Clock::now() - sentAt[index])
                        .count());
                ++received;
            }
        };
        in.OnOverflow = [&](TMidiInput*) { ++overflows; };
        in.Open();
        in.Start();
        std::thread sender([&] {
            const auto start = Clock::now();
            for (int i = 0; i < count; ++i) {
                std::this_thread::sleep_until(
                    start + std::chrono::microseconds(std::int64_t(i) * 1000000 / rate));
                sentAt[std::size_t(i)] = Clock::now();
                loop.inject(0, {0x90, std::uint8_t(i & 0x7F), std::uint8_t((i >> 7) & 0x7F)});
            }
        });
        waitUntil([&] { return received + overflows >= count; }, 30000);
        sender.join();
        std::printf("MIDI input at %5d messages/s (%d messages): callback to OnMidiInput median "
                    "%.0f us, p99 %.0f us; received %d, overflows %d\n",
                    rate, count, percentile(latencies, 0.5), percentile(latencies, 0.99), received,
                    overflows.load());
        in.Close();
    }
    setMidiPlatform(nullptr);
}

void burstBelowCapacity(int count) {
    MidiLoopback loop({}, {QStringLiteral("Loop In")});
    setMidiPlatform(&loop);
    {
        TMidiInput in;
        int received = 0;
        int overflows = 0;
        bool inOrder = true;
        in.OnMidiInput = [&](TMidiInput* input) {
            if (const auto event = input->ReadEvent()) {
                inOrder = inOrder && (event->Data1 | event->Data2 << 7) == received;
                ++received;
            }
        };
        in.OnOverflow = [&](TMidiInput*) { ++overflows; };
        in.Open();
        in.Start();
        // All at once while the GUI thread reads nothing: the ring holds them.
        std::thread sender([&] {
            for (int i = 0; i < count; ++i)
                loop.inject(0, {0x90, std::uint8_t(i & 0x7F), std::uint8_t(i >> 7)});
        });
        sender.join();
        QElapsedTimer t;
        t.start();
        while (received + overflows < count && t.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::printf("burst of %d messages (ring %d): received %d in order %s, overflows %d\n",
                    count, int(in.Capacity()), received, inOrder ? "yes" : "no", overflows);
        in.Close();
    }
    setMidiPlatform(nullptr);
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    const bool load = args.removeAll(QStringLiteral("--load")) > 0;
    int runs = 1;
    if (const qsizetype at = args.indexOf(QStringLiteral("--runs")); at > 0 && at + 1 < args.size()) {
        runs = std::max(1, args[at + 1].toInt());
        args.remove(at, 2);
    }
    const int lines = args.size() > 1 ? args[1].toInt() : 200;
    const int duration = args.size() > 2 ? args[2].toInt() : 50;
    const int program = args.size() > 3 ? args[3].toInt() : 115;
    residentAfterPlay();
    {
        std::optional<BusyProcesses> busy;
        if (load)
            busy.emplace(2);
        for (int run = 0; run < runs; ++run)
            songTiming(lines, duration, program, load);
    }
    renderCost();
    inputPath(1000, 3000);
    inputPath(10000, 16000);
    burstBelowCapacity(1000);
    return 0;
}
