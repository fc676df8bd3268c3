// One-line edits on a 1,000,000-line song: adding a line, deleting line 500,000 and changing
// one line, each with its undo and redo, timed from the command to the closed undo step (the
// step closes when control returns to the event loop), in wall time and in CPU time of the
// window's thread (on a loaded machine the wall time also holds the waits for a processor).
// Every command is a real keystroke sent through the window as the user's would come: Enter
// in the frequency field, Space on a focused button, Ctrl+Z and Ctrl+Y.
// Prints figures; it checks nothing.

#include "BenchLoad.h"
#include "BenchPrompts.h"
#include "BenchSong.h"
#include "gui/ListBox.h"
#include "base/Prompts.h"
#include "gui/Forms.h"
#include "gui/LineEditor.h"
#include "gui/MainWindow.h"
#include "song/SongHistory.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kLines = 1000000;
constexpr int kRuns = 7;

/// The line editor: a new frequency for track 1, then OK.
class EditorPrompts final : public QuietPrompts {
public:
    int execModal(QDialog& dialog) override {
        if (auto* editor = qobject_cast<TForm2*>(&dialog)) {
            editor->edFreq1->setText(QStringLiteral("1234"));
            editor->btOk->click();
            return QDialog::Accepted;
        }
        return QDialog::Rejected;
    }
};

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

struct Times {
    std::vector<double> wall;
    std::vector<double> cpu;
};

/// Milliseconds of `action` including the events it leaves (the undo step closing).
void timed(Times& times, const std::function<void()>& action) {
    QElapsedTimer timer;
    const double cpu = mainThreadCpuSeconds();
    timer.start();
    action();
    settle();
    times.wall.push_back(double(timer.nsecsElapsed()) / 1e6);
    times.cpu.push_back((mainThreadCpuSeconds() - cpu) * 1e3);
}

struct Figures {
    Times command;
    Times undo;
    Times redo;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double maximum(const std::vector<double>& values) {
    return *std::max_element(values.begin(), values.end());
}

/// A key pressed and released on @p target, through the window's shortcuts and the focused
/// control's own handling, as a user's keystroke arrives.
void key(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    target->setFocus();
    QTest::keyClick(target, key, modifiers);
}

void selectLine(TForm1& w, int line) {
    for (ListBox* list : {w.Line, w.Memo1, w.Memo2, w.Memo3, w.Memo4})
        list->setItemIndex(line);
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    EditorPrompts prompts;
    setPrompts(&prompts);
    createForms();
    TForm1& w = *forms().Form1;
    w.show();
    // Window shortcuts (Ctrl+Z) reach only the active window.
    w.activateWindow();
    QApplication::setActiveWindow(&w);
    settle();

    QElapsedTimer load;
    load.start();
    fillLongSong(w, kLines);
    settle();
    // The song as opened: a history of its own.
    w.history->restart();
    std::printf("%d-line song built in %.0f ms\n", kLines, double(load.nsecsElapsed()) / 1e6);

    struct Case {
        const char* name;
        std::function<void()> command;
    };
    const Case cases[] = {
        {"add one line (Enter)", [&] { key(w.edFreq1, Qt::Key_Return); }},
        {"delete line 500,000 (Space on the button)", [&] { key(w.btloeschen, Qt::Key_Space); }},
        {"change line 500,000 (Space, line editor)", [&] { key(w.btAendern, Qt::Key_Space); }},
    };
    std::printf("load average %.1f; each figure: wall median / max, CPU median (ms)\n",
                loadAverage());
    std::printf("%-42s %24s %24s %24s %8s\n", "", "command", "undo", "redo", "step");
    for (const Case& c : cases) {
        Figures figures;
        qint64 stepBytes = 0;
        for (int run = 0; run < kRuns; ++run) {
            // Only this command's step is held: what it keeps is the step's size.
            w.history->restart();
            // Line 500,000 is selected before the command: that is the user's click.
            selectLine(w, kLines / 2);
            settle();
            timed(figures.command, c.command);
            stepBytes = w.history->storedBytes();
            timed(figures.undo, [&] { key(&w, Qt::Key_Z, Qt::ControlModifier); });
            timed(figures.redo, [&] { key(&w, Qt::Key_Y, Qt::ControlModifier); });
            w.history->undo();
            settle();
        }
        const auto column = [](const Times& t) {
            return QString::asprintf("%6.2f / %6.2f, %5.2f", median(t.wall), maximum(t.wall),
                                     median(t.cpu));
        };
        std::printf("%-42s %24s %24s %24s %6lld B\n", c.name, qPrintable(column(figures.command)),
                    qPrintable(column(figures.undo)), qPrintable(column(figures.redo)),
                    static_cast<long long>(stepBytes));
    }
    std::printf("(goal: every figure <= 5 ms; the song has %d lines after the runs)\n",
                w.Memo1->count());
    // After a one-line edit a whole track is read packed, as saving and the exports read it
    // (sharing its blocks), and as a string per row, as the few whole-song commands do.
    Times packed;
    Times strings;
    for (int run = 0; run < kRuns; ++run) {
        selectLine(w, kLines / 2);
        w.btloeschen->click();
        settle();
        timed(packed, [&] { (void)w.Memo1->texts(); });
        timed(strings, [&] { (void)w.Memo1->items(); });
    }
    std::printf("%-34s %24s %24s\n", "read a track whole after an edit",
                qPrintable(QString::asprintf("packed: %6.2f / %6.2f, %5.2f", median(packed.wall),
                                             maximum(packed.wall), median(packed.cpu))),
                qPrintable(QString::asprintf("strings: %6.2f / %6.2f, %5.2f",
                                             median(strings.wall), maximum(strings.wall),
                                             median(strings.cpu))));
    destroyForms();
    setPrompts(nullptr);
    return 0;
}
