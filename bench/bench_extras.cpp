// Figures for export, rendering and undo: render speed as a multiple of real time for a
// ten-minute song with each output, undo of a 100,000-line song, memory after 100 steps.
// Prints figures; it checks nothing.

#include "BenchPrompts.h"
#include "audio/OfflineRender.h"
#include "gui/ListBox.h"
#include "base/Prompts.h"
#include "files/MidiFile.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "song/SongHistory.h"
#include <QAction>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <malloc.h>
#include <unistd.h>

namespace {


double residentMb() {
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

/// A ten-minute song of 150 ms lines wandering over three octaves.
QList<OfflineRender::Line> tenMinutes() {
    QList<OfflineRender::Line> lines;
    for (int i = 0; i < 4000; ++i)
        lines.append({i % 7 == 6 ? 0 : 220 + (i * 37) % 660, (i % 3) ? 0 : 110 + i % 200, 150,
                      i % 7 == 6 ? MidiFile::kSilent : 48 + i % 36,
                      (i % 3) ? MidiFile::kSilent : 40 + i % 12});
    return lines;
}

void renderSpeed() {
    QTemporaryDir dir;
    const QList<OfflineRender::Line> lines = tenMinutes();
    struct Case {
        const char* name;
        OfflineRender::Settings settings;
        const char* file;
    };
    const Case cases[] = {
        {"beep -> WAV", {OfflineRender::Output::Beep, 80, 1}, "a.wav"},
        {"waveform square -> WAV", {OfflineRender::Output::Wave, 80, 1}, "b.wav"},
        {"waveform sine -> WAV", {OfflineRender::Output::Wave, 80, 0}, "c.wav"},
        {"beep -> FLAC", {OfflineRender::Output::Beep, 80, 1}, "d.flac"},
        {"beep -> OGG", {OfflineRender::Output::Beep, 80, 1}, "e.ogg"},
        {"beep -> MP3", {OfflineRender::Output::Beep, 80, 1}, "f.mp3"},
        {"MIDI-Out synth -> WAV", {OfflineRender::Output::Midi, 80, 1}, "g.wav"},
    };
    std::printf("Render of a 10-minute song (4,000 lines of 150 ms):\n");
    for (const Case& c : cases) {
        QElapsedTimer timer;
        timer.start();
        OfflineRender(lines, c.settings).writeFile(dir.filePath(QString::fromLatin1(c.file)), {});
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf("  %-24s %7.3f s  = %6.0f x real time\n", c.name, seconds, 600.0 / seconds);
    }
    QList<MidiFile::Line> midi;
    for (const auto& l : lines)
        midi.append({qint16(48 + l.freq1 % 36), qint16(l.freq2 ? 40 : MidiFile::kSilent), l.durationMs});
    QElapsedTimer timer;
    timer.start();
    const QByteArray bytes = MidiFile::write(midi, {}, {1});
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("  %-24s %7.3f s  = %6.0f x real time (%lld bytes)\n", "MIDI file", seconds,
                600.0 / seconds, static_cast<long long>(bytes.size()));
}

void undoFigures(QuietPrompts& prompts) {
    const double empty = residentMb();
    createForms();
    TForm1& w = *forms().Form1;
    constexpr int kLines = 100000;
    QStringList f1, d1, f2, d2;
    for (int i = 0; i < kLines; ++i) {
        f1 << QString::number(200 + i % 800);
        d1 << QString::number(50 + i % 200);
        f2 << QString::number(i % 5 ? 0 : 100 + i % 300);
        d2 << d1.last();
    }
    w.Memo1->addAll(f1);
    w.Memo2->addAll(d1);
    w.Memo3->addAll(f2);
    w.Memo4->addAll(d2);
    f1.clear(), d1.clear(), f2.clear(), d2.clear();
    w.RenumberLines();
    settle();
    const double withSong = residentMb();
    const double song = withSong - empty;
    std::printf(
        "\nUndo on a %d-line song (the program with the song: %.1f MB, the song %.1f MB):\n",
        kLines, withSong, song);

    const auto timeUndo = [&](const char* name, const std::function<void()>& command) {
        command();
        settle();
        QElapsedTimer timer;
        timer.start();
        w.history->undo();
        const double undoMs = timer.nsecsElapsed() / 1e6;
        timer.restart();
        w.history->redo();
        const double redoMs = timer.nsecsElapsed() / 1e6;
        w.history->undo();
        std::printf("  %-34s undo %7.1f ms, redo %7.1f ms\n", name, undoMs, redoMs);
    };
    timeUndo("add one line", [&] { w.btadd->click(); });
    timeUndo("delete line 50,000", [&] {
        w.Memo1->setItemIndex(50000);
        w.Line->setItemIndex(50000);
        w.btloeschen->click();
    });
    timeUndo("speed of every line (+50 %)", [&] {
        prompts.input = QStringLiteral("150");
        w.Geschwindigkeitndern1->trigger();
    });
    timeUndo("Neu (the whole song)", [&] { w.Neu1Click(); });

    const auto steps = [&](const char* name, const std::function<void(int)>& command) {
        for (int i = 0; i < 100; ++i) {
            command(i);
            settle();
        }
        const double now = residentMb();
        std::printf("  after 100 steps of %-22s %7.1f MB above the empty program = %.2f x the "
                    "song (history keeps %d steps, %.1f MB of texts)\n",
                    name, now - empty, (now - empty) / song, w.history->undoCount(),
                    w.history->storedBytes() / (1024.0 * 1024.0));
    };
    std::printf("\nMemory (program without song: %.1f MB):\n", empty);
    steps("adding a line:", [&](int) { w.btadd->click(); });
    prompts.input = QStringLiteral("101");
    steps("speed +1 % (all lines):", [&](int) { w.Geschwindigkeitndern1->trigger(); });
    destroyForms();
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    QuietPrompts prompts;
    setPrompts(&prompts);
    renderSpeed();
    undoFigures(prompts);
    setPrompts(nullptr);
    return 0;
}
