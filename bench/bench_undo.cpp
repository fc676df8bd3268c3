// One-line edits on a 1,000,000-line song: adding a line, deleting line 500,000 and changing
// one line, each with its undo and redo, timed from the command to the closed undo step (the
// step closes when control returns to the event loop). Prints figures; it checks nothing.

#include "base/ListBox.h"
#include "base/Prompts.h"
#include "song/Forms.h"
#include "song/LineEditor.h"
#include "song/MainWindow.h"
#include "song/SongHistory.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kLines = 1000000;
constexpr int kRuns = 7;

class QuietPrompts final : public Prompts {
public:
    void showMessage(const QString& text) override {
        std::printf("message: %s\n", qPrintable(text));
    }
    Answer messageBox(const QString& text, const QString&, Icon, Buttons) override {
        showMessage(text);
        return Answer::Ok;
    }
    void showError(const QString& text) override { showMessage(text); }
    std::optional<QString> openFile(const FileDialog&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialog&) override { return std::nullopt; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    /// The line editor: a new frequency for track 1, then OK.
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

/// Milliseconds of `action` including the events it leaves (the undo step closing).
double timed(const std::function<void()>& action) {
    QElapsedTimer timer;
    timer.start();
    action();
    settle();
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Figures {
    std::vector<double> command;
    std::vector<double> undo;
    std::vector<double> redo;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double maximum(const std::vector<double>& values) {
    return *std::max_element(values.begin(), values.end());
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
    QuietPrompts prompts;
    setPrompts(&prompts);
    createForms();
    TForm1& w = *forms().Form1;
    w.show();
    settle();

    QElapsedTimer load;
    load.start();
    QStringList f1, d1, f2;
    for (int i = 0; i < kLines; ++i) {
        f1 << QString::number(200 + i % 800);
        d1 << QString::number(50 + i % 200);
        f2 << QString::number(i % 5 ? 0 : 100 + i % 300);
    }
    w.Memo1->addAll(f1);
    w.Memo2->addAll(d1);
    w.Memo3->addAll(f2);
    w.Memo4->addAll(d1);
    f1.clear(), d1.clear(), f2.clear();
    w.RenumberLines();
    settle();
    // The song as opened: a history of its own.
    w.history->restart();
    std::printf("%d-line song built in %.0f ms\n", kLines, double(load.nsecsElapsed()) / 1e6);

    struct Case {
        const char* name;
        std::function<void()> command;
    };
    const Case cases[] = {
        {"add one line", [&] { w.btadd->click(); }},
        {"delete line 500,000", [&] { w.btloeschen->click(); }},
        {"change line 500,000 (line editor)", [&] { w.btAendern->click(); }},
    };
    std::printf("%-36s %22s %22s %22s %10s\n", "", "command (median/max)", "undo (median/max)",
                "redo (median/max)", "step");
    for (const Case& c : cases) {
        Figures figures;
        qint64 stepBytes = 0;
        for (int run = 0; run < kRuns; ++run) {
            // Only this command's step is held: what it keeps is the step's size.
            w.history->restart();
            // Line 500,000 is selected before the command: that is the user's click.
            selectLine(w, kLines / 2);
            settle();
            figures.command.push_back(timed(c.command));
            stepBytes = w.history->storedBytes();
            figures.undo.push_back(timed([&] { w.history->undo(); }));
            figures.redo.push_back(timed([&] { w.history->redo(); }));
            w.history->undo();
            settle();
        }
        std::printf("%-36s %9.2f / %6.2f ms  %9.2f / %6.2f ms  %9.2f / %6.2f ms %7lld B\n",
                    c.name, median(figures.command), maximum(figures.command),
                    median(figures.undo), maximum(figures.undo), median(figures.redo),
                    maximum(figures.redo), static_cast<long long>(stepBytes));
    }
    std::printf("(goal: every figure <= 5 ms; the song has %d lines after the runs)\n",
                w.Memo1->count());
    destroyForms();
    setPrompts(nullptr);
    return 0;
}
