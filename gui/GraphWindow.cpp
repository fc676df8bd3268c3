#include "gui/GraphWindow.h"

#include "gui/Controls.h"
#include "base/Errors.h"
#include "base/Guard.h"
#include "gui/ListBox.h"
#include "base/StrToInt.h"
#include "gui/MainWindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Pen positions far outside any window are held within a range the painter handles.
int toPixel(long double value) {
    constexpr long double kLimit = INT_MAX / 4;
    return static_cast<int>(std::trunc(std::clamp(value, -kLimit, kLimit)));
}

} // namespace

TForm5::TForm5(TForm1& mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window), m_main(mainWindow) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Graph"));
    resize(kClientSize);
    centerOnScreen(this);
    connectGuarded(mainWindow.GraphischeAusgabe1, &QAction::triggered, this,
                   [this] { GraphischeAusgabe1Click(); });
}

QList<QLine> TForm5::strokesFor(const QStringList& frequencies, const QStringList& durations,
                                QSize client) {
    const qsizetype lines = frequencies.size();
    if (lines == 0)
        return {};
    const auto duration = [&](qsizetype j) {
        if (j >= durations.size())
            throw EListError(int(j));
        return StrToInt(durations[j]);
    };

    // The total time adds up in 64 bits: long songs of long tones do not wrap around.
    long long total = 0;
    for (qsizetype j = 0; j < lines; ++j)
        total += duration(j);
    int lo = StrToInt(frequencies[0]);
    int hi = lo;
    for (qsizetype j = 0; j < lines; ++j) {
        const int f = StrToInt(frequencies[j]);
        lo = std::min(lo, f);
        hi = std::max(hi, f);
    }
    if (total == 0 || hi == lo)
        throw EZeroDivide();
    // The frequency span fills the height less a margin at either edge: the highest tone
    // lies kEdge pixels below the top, the lowest kEdge pixels above the bottom, so that the
    // thick strokes of both stay inside the window.
    const long double xs = static_cast<long double>(client.width()) / total;
    const long double ys = static_cast<long double>(client.height() - 2 * kEdge) /
                           (static_cast<long long>(hi) - lo);

    QList<QLine> strokes;
    strokes.reserve(lines);
    long long t = 0;
    for (qsizetype j = 0; j < lines; ++j) {
        const int f = StrToInt(frequencies[j]);
        const int d = duration(j);
        const int y = toPixel((f * ys) * -1 + hi * ys) + kEdge;
        strokes.append(QLine(toPixel(t * xs), y, toPixel((t + d) * xs), y));
        t += d;
    }
    return strokes;
}

void TForm5::GraphischeAusgabe1Click() {
    show();
    raise();
    activateWindow();
    draw();
}

void TForm5::draw() {
    // Everything is computed before the picture changes, so a song that cannot be drawn
    // leaves the last picture in place. An empty song draws an empty window.
    m_strokes = strokesFor(m_main.Memo1->items(), m_main.Memo2->items(), size());
    update();
}

void TForm5::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, kPenWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawLines(m_strokes);
}
