// Commands on many lines of a 1,000,000-line song, through the keys a user presses on the
// window: Ctrl+A then Ctrl+C; Ctrl+V of 100,000 lines into the song and its undo; Ctrl+Up
// (a semitone up) on all lines and its undo. Each figure runs from the key press to the closed
// undo step, in CPU time of the window's thread and in wall time. Prints figures; it checks
// nothing.

#include "BenchLoad.h"
#include "BenchPrompts.h"
#include "BenchSong.h"
#include "base/Prompts.h"
#include "gui/Forms.h"
#include "gui/ListBox.h"
#include "gui/MainWindow.h"
#include "song/Song.h"
#include "song/SongHistory.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>
#include <functional>

namespace {

constexpr int kLines = 1000000;
constexpr int kPasted = 100000;


void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void timed(const char* name, const std::function<void()>& action, const char* goal) {
    QElapsedTimer timer;
    const double cpu = mainThreadCpuSeconds();
    timer.start();
    action();
    settle();
    std::printf("%-40s CPU %7.1f ms   wall %7.1f ms   (goal: %s)\n", name,
                (mainThreadCpuSeconds() - cpu) * 1e3, double(timer.nsecsElapsed()) / 1e6, goal);
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    QuietPrompts prompts;
    setPrompts(&prompts);
    createForms();
    TForm1& w = *forms().Form1;
    w.show();
    settle();

    fillLongSong(w, kLines);
    settle();
    w.history->restart();
    std::printf("%d-line song; load average %.1f\n", kLines, loadAverage());

    w.Memo1->setFocus();
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers m) { QTest::keyClick(w.Memo1, k, m); };
    timed("Ctrl+A", [&] { key(Qt::Key_A, Qt::ControlModifier); }, "<= 200 ms");
    timed("Ctrl+C (1,000,000 lines)", [&] { key(Qt::Key_C, Qt::ControlModifier); }, "<= 200 ms");
    std::printf("clipboard: %lld characters\n",
                static_cast<long long>(QApplication::clipboard()->text().size()));

    QString pasted;
    for (int i = 0; i < kPasted; ++i)
        pasted += QStringLiteral("%1|%2|%3|%2\r\n").arg(300 + i % 500).arg(60 + i % 100).arg(i % 7);
    QApplication::clipboard()->setText(pasted);
    w.song->selectLine(kLines / 2);
    settle();
    const int steps = w.history->undoCount();
    timed("Ctrl+V (100,000 lines at line 500,000)", [&] { key(Qt::Key_V, Qt::ControlModifier); },
          "<= 200 ms");
    std::printf("lines now %d, undo steps added %d\n", w.Memo1->count(),
                w.history->undoCount() - steps);
    timed("Ctrl+Z (undo the paste)", [&] { QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier); },
          "<= 200 ms");
    std::printf("lines now %d\n", w.Memo1->count());

    key(Qt::Key_A, Qt::ControlModifier);
    settle();
    timed("Ctrl+Up (1,000,000 lines a semitone up)", [&] { key(Qt::Key_Up, Qt::ControlModifier); },
          "<= 1000 ms");
    std::printf("line 0 now %s (was 200)\n", qPrintable(w.Memo1->item(0)));
    timed("Ctrl+Z (undo the transposition)",
          [&] { QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier); }, "-");
    std::printf("line 0 now %s\n", qPrintable(w.Memo1->item(0)));
    destroyForms();
    setPrompts(nullptr);
    return 0;
}
