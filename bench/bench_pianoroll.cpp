// The piano roll on a 1,000,000-line song: the time from "Notenrolle" to the first painted
// picture (the line times and the song's pitch range are made then), a repaint, and scrolling
// by a page, in wall time and CPU time of the window's thread; then playing 200 lines of
// 50 ms with and without the roll open, the process's CPU time over the same wall time.
// Prints figures; it checks nothing.

#include "BenchLoad.h"
#include "audio/PlaybackEngine.h"
#include "gui/Forms.h"
#include "gui/ListBox.h"
#include "gui/MainWindow.h"
#include "gui/PianoRoll.h"
#include "gui/PianoRollWindow.h"
#include "song/Song.h"
#include "song/SongHistory.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kLines = 1000000;
constexpr int kRuns = 7;

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

struct Figure {
    double wall = 0;
    double cpu = 0;
};

Figure timed(const std::function<void()>& action) {
    QElapsedTimer timer;
    const double cpu = mainThreadCpuSeconds();
    timer.start();
    action();
    return {double(timer.nsecsElapsed()) / 1e6, (mainThreadCpuSeconds() - cpu) * 1e3};
}

void print(const char* name, std::vector<Figure> runs) {
    std::sort(runs.begin(), runs.end(), [](auto a, auto b) { return a.wall < b.wall; });
    std::vector<double> cpu;
    for (const Figure& f : runs)
        cpu.push_back(f.cpu);
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-44s wall %7.2f ms median, %7.2f max; CPU %7.2f ms median\n", name,
                runs[runs.size() / 2].wall, runs.back().wall, cpu[cpu.size() / 2]);
}

void fill(TForm1& w, int lines, int duration) {
    QStringList f1, d1, f2;
    for (int i = 0; i < lines; ++i) {
        f1 << QString::number(200 + i % 800);
        d1 << QString::number(duration > 0 ? duration : 50 + i % 200);
        f2 << QString::number(i % 5 ? 0 : 100 + i % 300);
    }
    w.Memo1->setItems(f1);
    w.Memo2->setItems(d1);
    w.Memo3->setItems(f2);
    w.Memo4->setItems(d1);
    w.RenumberLines();
    settle();
    w.history->restart();
}

/// The process's CPU time while @p w plays its song to the end.
double playCpu(TForm1& w) {
    const double cpu = processCpuSeconds();
    w.btplay->click();
    while (!w.playback->PlayStopped)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return processCpuSeconds() - cpu;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    createForms();
    TForm1& w = *forms().Form1;
    w.show();
    settle();
    fill(w, kLines, 0);
    std::printf("load average %.1f; %d lines\n", loadAverage(), kLines);

    QAction* item = w.findChild<QAction*>(QStringLiteral("Notenrolle1"));
    PianoRollWindow* window = nullptr;
    // Opening: the window made and shown, its first picture painted.
    const Figure open = timed([&] {
        item->trigger();
        window = w.findChild<PianoRollWindow*>();
        QImage picture(window->roll->size(), QImage::Format_RGB32);
        window->roll->render(&picture);
    });
    print("open the roll and paint it first", {open});
    settle();

    PianoRoll& roll = *window->roll;
    QImage picture(roll.size(), QImage::Format_RGB32);
    std::vector<Figure> repaint, page, whole;
    for (int run = 0; run < kRuns; ++run) {
        repaint.push_back(timed([&] { roll.render(&picture); }));
        page.push_back(timed([&] {
            roll.scrollTo(roll.roll().start() + roll.roll().visibleSpan());
            roll.render(&picture);
        }));
    }
    print("repaint (about 100 lines in view)", repaint);
    print("scroll a page and repaint", page);
    roll.scrollTo(double(w.song->totalDuration()) / 2);
    page.clear();
    for (int run = 0; run < kRuns; ++run)
        page.push_back(timed([&] {
            roll.scrollTo(roll.roll().start() + roll.roll().visibleSpan());
            roll.render(&picture);
        }));
    print("scroll a page and repaint, mid-song", page);
    roll.fitSong();
    for (int run = 0; run < 3; ++run)
        whole.push_back(timed([&] { roll.render(&picture); }));
    print("repaint \"Ganzes Lied\" (all 1,000,000 lines)", whole);

    // Playing: 200 lines of 50 ms, the roll hidden, then shown and following.
    fill(w, 200, 50);
    window->hide();
    settle();
    // Twice each, in turn, so that a change of the machine's load falls on both.
    double without = 0;
    double with = 0;
    for (int run = 0; run < 2; ++run) {
        window->hide();
        settle();
        without += playCpu(w);
        window->Notenrolle1Click();
        roll.fitSong();
        settle();
        with += playCpu(w);
    }
    std::printf("play 200 x 50 ms (twice): CPU %.1f ms without the roll, %.1f ms with it: "
                "%.2f %% of a core more over the song's 20 s\n",
                without * 1e3, with * 1e3, (with - without) / 20.0 * 100);
    destroyForms();
    return 0;
}
