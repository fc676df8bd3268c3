// Times the wave generator through the real main window: appending the tones with progress,
// keeping the window responsive, and renumbering the lines. Prints figures; asserts nothing.
#include "gui/ListBox.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "gui/GeneratorPanels.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>

namespace {

double runWave(TForm1& window, int count) {
    window.Neu1Click();
    window.generators->edAnzahl->setText(QString::number(count));
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    window.generators->btokwelle->click();
    const double ms = timer.nsecsElapsed() / 1e6;
    if (window.Line->count() != count)
        std::fprintf(stderr, "unexpected line count %d\n", window.Line->count());
    return ms;
}

double runShredder(TForm1& window, int count) {
    window.Neu1Click();
    window.generators->EditShredderVon->setText(QStringLiteral("1"));
    window.generators->EditSchredderBis->setText(QString::number(count));
    window.generators->EditSchredderInterval->setText(QStringLiteral("1"));
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    window.generators->ButtonSchredder->click();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    createForms();
    TForm1& window = *forms().Form1;
    window.show();
    window.Welle1->trigger();
    QApplication::processEvents();

    std::printf("%-34s %12s %10s\n", "run", "lines", "ms");
    // bench_generators N: one wave of N lines only (e.g. the largest run allowed).
    if (argc > 1) {
        const int count = QString::fromLocal8Bit(argv[1]).toInt();
        std::printf("%-34s %12d %10.1f\n", "wave (Welle), visible lists", count,
                    runWave(window, count));
        destroyForms();
        return 0;
    }
    for (const int count : {2000, 2000, 2000, 100000, 100000}) {
        const double ms = runWave(window, count);
        std::printf("%-34s %12d %10.1f\n", "wave (Welle), visible lists", count, ms);
    }
    for (const int count : {2000, 100000}) {
        const double ms = runShredder(window, count);
        std::printf("%-34s %12d %10.1f\n", "sweep (Schredder), visible lists", count, ms);
    }
    std::printf("targets: 2000 lines <= 100 ms, 100000 lines <= 3000 ms\n");
    destroyForms();
    return 0;
}
