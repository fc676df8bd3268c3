#include "files/PianoRollPainter.h"

#include "base/Errors.h"
#include "base/ListItems.h"
#include "base/ListTextModel.h"
#include "base/SafeFile.h"
#include "base/StrToInt.h"
#include "song/LineTimes.h"
#include "song/NoteTable.h"
#include "song/Song.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>

#include <algorithm>
#include <array>
#include <cmath>

const QColor PianoRollPainter::kTrack1(30, 90, 200);
const QColor PianoRollPainter::kTrack1Edge(10, 40, 110);
const QColor PianoRollPainter::kTrack2(255, 190, 90);
const QColor PianoRollPainter::kTrack2Edge(120, 60, 0);
const QColor PianoRollPainter::kBackground(250, 250, 250);
const QColor PianoRollPainter::kSelected(255, 240, 170);
const QColor PianoRollPainter::kCursor(220, 0, 0);

namespace {

const QColor kRuler(225, 225, 225);
const QColor kGuide(215, 215, 225);
const QColor kText(40, 40, 40);

/// A font of 3 × 5 dots, drawn 2 pixels a dot: the digits, the note names' letters and
/// signs, and what the ruler writes.
struct Glyph {
    char c;
    std::array<const char*, 5> rows;
};
constexpr int kDot = 2;
constexpr int kAdvance = 4 * kDot;
constexpr int kLabelHeight = 5 * kDot;
constexpr Glyph kGlyphs[] = {
    {'0', {"111", "101", "101", "101", "111"}}, {'1', {"010", "110", "010", "010", "111"}},
    {'2', {"111", "001", "111", "100", "111"}}, {'3', {"111", "001", "111", "001", "111"}},
    {'4', {"101", "101", "111", "001", "001"}}, {'5', {"111", "100", "111", "001", "111"}},
    {'6', {"111", "100", "111", "101", "111"}}, {'7', {"111", "001", "001", "001", "001"}},
    {'8', {"111", "101", "111", "101", "111"}}, {'9', {"111", "101", "111", "001", "111"}},
    {'A', {"010", "101", "111", "101", "101"}}, {'B', {"110", "101", "110", "101", "110"}},
    {'C', {"011", "100", "100", "100", "011"}}, {'D', {"110", "101", "101", "101", "110"}},
    {'E', {"111", "100", "110", "100", "111"}}, {'F', {"111", "100", "110", "100", "100"}},
    {'G', {"011", "100", "101", "101", "011"}}, {'H', {"101", "101", "111", "101", "101"}},
    {'#', {"101", "111", "101", "111", "101"}}, {'-', {"000", "000", "111", "000", "000"}},
    {'s', {"011", "100", "010", "001", "110"}}, {':', {"000", "010", "000", "010", "000"}},
    {'.', {"000", "000", "000", "000", "010"}}, {' ', {"000", "000", "000", "000", "000"}},
};

const Glyph* glyphOf(QChar c) {
    for (const Glyph& g : kGlyphs)
        if (QLatin1Char(g.c) == c)
            return &g;
    return nullptr;
}

int frequencyOf(const QString& text) {
    return std::max(TryStrToInt(text).value_or(0), 0);
}

/// A text of a list, or empty text past its end (lists of unequal length while a MIDI
/// recording completes a line).
QString textOf(const ListItems& list, int row) {
    const ListTextModel* texts = list.textModel();
    return texts ? texts->texts().value(row) : QString();
}

/// A whole number of milliseconds as the ruler writes it: "1.5 s", "12 s", "2:05".
QString timeLabel(qint64 ms) {
    if (ms >= 60000 && ms % 1000 == 0)
        return QStringLiteral("%1:%2").arg(ms / 60000).arg((ms / 1000) % 60, 2, 10, QLatin1Char('0'));
    if (ms % 1000 == 0)
        return QStringLiteral("%1 s").arg(ms / 1000);
    return QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'g', 6);
}

} // namespace

PianoRollPainter::PianoRollPainter(const Song& song) : PianoRollPainter(song, NoteTable::stored()) {}

PianoRollPainter::PianoRollPainter(const Song& song, const NoteTable& notes)
    : m_song(song), m_notes(notes) {}

QRectF PianoRollPainter::barsArea() const {
    return QRectF(kKeyboardWidth, kRulerHeight, std::max(1, m_size.width() - kKeyboardWidth),
                  std::max(1, m_size.height() - kRulerHeight));
}

void PianoRollPainter::setScale(double pixelsPerMs) {
    // From a whole day across a pixel to a millisecond across 200 pixels.
    m_scale = std::clamp(pixelsPerMs, 1e-8, 200.0);
}

void PianoRollPainter::fitTime() {
    const qint64 total = m_song.totalDuration();
    m_startMs = 0;
    setScale(barsArea().width() / double(total > 0 ? total : 1000));
}

void PianoRollPainter::setPitchRange(double lowHz, double highHz) {
    lowHz = std::max(lowHz, 1.0);
    m_lowHz = lowHz;
    m_highHz = std::max(highHz, lowHz * 1.01);
}

void PianoRollPainter::fitPitch() {
    int low = 0;
    int high = 0;
    const int n = m_song.lineCount();
    for (const ListItems* list : {m_song.Memo1, m_song.Memo3}) {
        for (int line = 0; line < n; ++line) {
            const int hz = frequencyOf(textOf(*list, line));
            if (hz <= 0)
                continue;
            low = low ? std::min(low, hz) : hz;
            high = std::max(high, hz);
        }
    }
    if (!low) {
        setPitchRange(220, 880);
        return;
    }
    // Whole octaves of C, the lowest note half a semitone above the bottom.
    constexpr double kC0 = 16.351597831287414;
    const double lowOctave = std::floor(std::log2(low / kC0 / std::pow(2.0, 0.5 / 12)));
    const double highOctave = std::max(std::ceil(std::log2(high / kC0 * std::pow(2.0, 0.5 / 12))),
                                       lowOctave + 1);
    setPitchRange(kC0 * std::pow(2.0, lowOctave) / std::pow(2.0, 0.5 / 12),
                  kC0 * std::pow(2.0, highOctave) / std::pow(2.0, 0.5 / 12));
}

void PianoRollPainter::includePitch(double hz) {
    if (hz <= 0)
        return;
    if (hz < m_lowHz)
        setPitchRange(hz / std::pow(2.0, 1.0 / 12), m_highHz);
    if (hz > m_highHz)
        setPitchRange(m_lowHz, hz * std::pow(2.0, 1.0 / 12));
}

double PianoRollPainter::xOf(double ms) const {
    return kKeyboardWidth + (ms - m_startMs) * m_scale;
}

double PianoRollPainter::msAt(double x) const {
    return m_startMs + (x - kKeyboardWidth) / m_scale;
}

double PianoRollPainter::yOf(double hz) const {
    const QRectF area = barsArea();
    const double share = std::log2(hz / m_lowHz) / std::log2(m_highHz / m_lowHz);
    return area.bottom() - share * area.height();
}

double PianoRollPainter::hzAt(double y) const {
    const QRectF area = barsArea();
    const double share = (area.bottom() - y) / area.height();
    return m_lowHz * std::pow(m_highHz / m_lowHz, share);
}

double PianoRollPainter::semitone() const {
    return barsArea().height() / (12.0 * std::log2(m_highHz / m_lowHz));
}

double PianoRollPainter::barHeight(int track) const {
    const double full = std::clamp(semitone() * 0.9, 3.0, 16.0);
    return track == 1 ? full : std::max(3.0, std::round(full * 0.6));
}

PianoRollPainter::Tone PianoRollPainter::tone(int line, int track) const {
    const qint64 lineMs = LineTimes::millisecondsOf(textOf(*m_song.Memo2, line));
    if (track == 1)
        return {frequencyOf(textOf(*m_song.Memo1, line)), lineMs};
    return {frequencyOf(textOf(*m_song.Memo3, line)),
            std::min(lineMs, LineTimes::millisecondsOf(textOf(*m_song.Memo4, line)))};
}

QRectF PianoRollPainter::barFor(double startMs, double ms, int hz, int track) const {
    if (hz <= 0 || ms <= 0)
        return {};
    const double h = barHeight(track);
    const double x = xOf(startMs);
    return QRectF(x, yOf(hz) - h / 2, xOf(startMs + ms) - x, h);
}

QRectF PianoRollPainter::barRect(int line, int track) const {
    if (line < 0 || line >= m_song.times().count())
        return {};
    const Tone t = tone(line, track);
    return barFor(double(m_song.lineStart(line)), double(t.ms), t.hz, track);
}

PianoRollPainter::Hit PianoRollPainter::hitTest(QPointF point) const {
    Hit hit;
    if (!barsArea().contains(point))
        return hit;
    const LineTimes& times = m_song.times();
    const double ms = msAt(point.x());
    // The edge grip reaches a little past a bar's end: look at the line before too.
    const int at = times.lineAt(qint64(std::floor(ms)));
    const int from = std::max(0, times.lineAt(qint64(std::floor(msAt(point.x() - kEdgeGrip)))));
    for (int line = std::min(at, times.count() - 1); line >= from && line >= 0; --line) {
        for (int track : {2, 1}) {
            const QRectF bar = barRect(line, track);
            if (bar.isEmpty())
                continue;
            const QRectF grip(bar.right() - kEdgeGrip, bar.top(), 2 * kEdgeGrip, bar.height());
            if (track == 1 && grip.contains(point) && bar.width() >= 3 * kEdgeGrip)
                return {line, track, true};
            if (bar.contains(point))
                return {line, track, false};
        }
    }
    hit.line = at < times.count() ? at : -1;
    return hit;
}

void PianoRollPainter::paint(QPainter& painter, const Marks& marks, QRectF clip) const {
    const QRectF whole(QPointF(0, 0), QSizeF(m_size));
    clip = clip.isEmpty() ? whole : clip.intersected(whole);
    const QRectF area = barsArea();
    const QRectF bars = clip.intersected(area);
    const LineTimes& times = m_song.times();
    const int n = times.count();
    // The lines the clip shows, found by binary search in the line times.
    const int first = std::min(times.lineAt(qint64(std::floor(msAt(clip.left())))), n);
    const int last = std::min(times.lineAt(qint64(std::floor(msAt(clip.right())))), n - 1);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (!bars.isEmpty()) {
        painter.save();
        painter.setClipRect(bars);
        painter.fillRect(bars, kBackground);
        paintSelection(painter, marks, first, last);
        // A guide at every C.
        for (int row = 1; row < m_notes.rowCount(); ++row) {
            const QString name = m_notes.cell(NoteTable::kNameColumn, row);
            if (!name.startsWith(QLatin1String("C-")))
                continue;
            const double y = std::round(yOf(m_notes.cell(NoteTable::kFrequencyColumn, row).toDouble()));
            if (y >= bars.top() && y <= bars.bottom())
                painter.fillRect(QRectF(bars.left(), y, bars.width(), 1), kGuide);
        }
        paintBars(painter, first, last);
        if (marks.dragLine >= 0 && !marks.dragRect.isEmpty()) {
            painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
            painter.setBrush(marks.dragTrack == 1 ? kTrack1 : kTrack2);
            painter.drawRect(marks.dragRect);
        }
        if (marks.current >= 0 && marks.current < n) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(Qt::black, 2));
            for (int track : {1, 2}) {
                const QRectF bar = barRect(marks.current, track);
                if (!bar.isEmpty())
                    painter.drawRect(bar.adjusted(-1, -1, 1, 1));
            }
        }
        if (marks.cursorMs >= 0) {
            const double x = std::round(xOf(marks.cursorMs));
            painter.fillRect(QRectF(x - 1, area.top(), 2, area.height()), kCursor);
        }
        painter.restore();
    }
    if (clip.left() < kKeyboardWidth)
        paintKeyboard(painter);
    if (clip.top() < kRulerHeight)
        paintRuler(painter, std::min(first, n), last);
    painter.restore();
}

void PianoRollPainter::paintSelection(QPainter& painter, const Marks& marks, int first,
                                      int last) const {
    const QRectF area = barsArea();
    for (const auto& [from, to] : marks.selected) {
        if (to < first || from > last)
            continue;
        const double x0 = xOf(double(m_song.lineStart(std::max(from, first))));
        const double x1 = xOf(double(m_song.lineStart(std::min(to, last) + 1)));
        painter.fillRect(QRectF(x0, area.top(), std::max(x1 - x0, 1.0), area.height()), kSelected);
    }
}

void PianoRollPainter::paintBars(QPainter& painter, int first, int last) const {
    if (first > last)
        return;
    const double startMs = double(m_song.lineStart(first));
    for (int track : {1, 2}) {
        const QColor fill = track == 1 ? kTrack1 : kTrack2;
        const QColor edge = track == 1 ? kTrack1Edge : kTrack2Edge;
        const double h = barHeight(track);
        // Lines narrower than a pixel: one stroke per pixel column, lowest to highest note.
        double column = -1e300;
        double top = 0;
        double bottom = 0;
        const auto flush = [&] {
            if (column > -1e300)
                painter.fillRect(QRectF(column, top - h / 2, 1, bottom - top + h), fill);
            column = -1e300;
        };
        double ms = startMs;
        for (int line = first; line <= last; ++line) {
            const Tone t = tone(line, track);
            const double lineMs = double(LineTimes::millisecondsOf(textOf(*m_song.Memo2, line)));
            const QRectF bar = barFor(ms, double(t.ms), t.hz, track);
            ms += lineMs;
            if (bar.isEmpty())
                continue;
            if (bar.width() < 1.5) {
                const double x = std::floor(bar.left());
                const double y = bar.center().y();
                if (x != column) {
                    flush();
                    column = x;
                    top = bottom = y;
                } else {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
                continue;
            }
            flush();
            if (track == 1) {
                painter.fillRect(bar, fill);
                if (bar.width() >= 4)
                    painter.fillRect(QRectF(bar.right() - 1, bar.top(), 1, bar.height()), edge);
            } else {
                painter.fillRect(bar, fill);
                painter.setPen(QPen(edge, 1));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(bar.adjusted(0.5, 0.5, -0.5, -0.5));
            }
        }
        flush();
    }
}

void PianoRollPainter::paintKeyboard(QPainter& painter) const {
    const QRectF area = barsArea();
    const QRectF strip(0, area.top(), kKeyboardWidth, area.height());
    painter.save();
    painter.setClipRect(strip);
    painter.fillRect(strip, Qt::white);
    const double step = semitone();
    // Keys first, then the names above them.
    for (int pass = 0; pass < 2; ++pass) {
        for (int row = 1; row < m_notes.rowCount(); ++row) {
            const QString name = m_notes.cell(NoteTable::kNameColumn, row);
            const double hz = m_notes.cell(NoteTable::kFrequencyColumn, row).toDouble();
            if (hz <= 0)
                continue;
            const double y = yOf(hz);
            if (y < area.top() - step || y > area.bottom() + step)
                continue;
            const bool black = name.contains(QLatin1Char('#'));
            if (pass == 0) {
                if (black)
                    painter.fillRect(QRectF(0, y - step / 2, kKeyboardWidth * 0.6, step),
                                     QColor(60, 60, 60));
                else if (name.startsWith(QLatin1Char('C')) || name.startsWith(QLatin1Char('F')))
                    painter.fillRect(QRectF(0, std::round(y + step / 2), kKeyboardWidth, 1),
                                     QColor(170, 170, 170));
                continue;
            }
            const bool named = name.startsWith(QLatin1String("C-")) || step >= kLabelHeight + 1;
            if (named && !black) {
                // On white, over the black keys next to it.
                const QPointF at(kKeyboardWidth - 2 - labelWidth(name), y - kLabelHeight / 2.0);
                painter.fillRect(QRectF(at.x() - 2, std::round(at.y()) - 1, labelWidth(name) + 3,
                                        kLabelHeight + 2),
                                 Qt::white);
                drawLabel(painter, at, name, kText);
            }
            else if (named && step >= kLabelHeight + 1)
                drawLabel(painter, QPointF(kKeyboardWidth - 2 - labelWidth(name), y - kLabelHeight / 2.0),
                          name, Qt::white);
        }
    }
    painter.fillRect(QRectF(kKeyboardWidth - 1, area.top(), 1, area.height()), QColor(120, 120, 120));
    painter.restore();
    painter.fillRect(QRectF(0, 0, kKeyboardWidth, kRulerHeight), kRuler);
}

void PianoRollPainter::paintRuler(QPainter& painter, int first, int last) const {
    const QRectF area = barsArea();
    const QRectF ruler(area.left(), 0, area.width(), kRulerHeight);
    painter.save();
    painter.setClipRect(ruler);
    painter.fillRect(ruler, kRuler);
    painter.fillRect(QRectF(ruler.left(), kRulerHeight - 1, ruler.width(), 1), QColor(120, 120, 120));
    // Seconds: the smallest step whose labels stand apart.
    static constexpr qint64 kSteps[] = {1,     2,     5,      10,     20,     50,      100,
                                        200,   500,   1000,   2000,   5000,   10000,   15000,
                                        30000, 60000, 120000, 300000, 600000, 1800000, 3600000};
    qint64 step = kSteps[std::size(kSteps) - 1];
    for (qint64 s : kSteps) {
        if (s * m_scale >= 70) {
            step = s;
            break;
        }
    }
    const double fromMs = std::max(0.0, msAt(ruler.left()));
    const double toMs = msAt(ruler.right());
    for (qint64 ms = qint64(std::ceil(fromMs / double(step))) * step; double(ms) <= toMs;
         ms += step) {
        const double x = std::round(xOf(double(ms)));
        painter.fillRect(QRectF(x, 0, 1, 13), kText);
        drawLabel(painter, QPointF(x + 3, 2), timeLabel(ms), kText);
    }
    // Line numbers at the lines' starts, where they stand apart.
    double free = -1e300;
    double ms = first < m_song.times().count() ? double(m_song.lineStart(first)) : 0;
    for (int line = first; line <= last; ++line) {
        const double x = std::round(xOf(ms));
        ms += double(LineTimes::millisecondsOf(textOf(*m_song.Memo2, line)));
        if (x < free)
            continue;
        const QString number = QString::number(line);
        painter.fillRect(QRectF(x, 15, 1, kRulerHeight - 15), QColor(90, 90, 90));
        drawLabel(painter, QPointF(x + 3, 16), number, QColor(70, 70, 140));
        free = x + 3 + labelWidth(number) + 6;
    }
    painter.restore();
}

double PianoRollPainter::labelWidth(const QString& text) {
    return text.isEmpty() ? 0 : double(text.size() * kAdvance - kDot);
}

double PianoRollPainter::drawLabel(QPainter& painter, QPointF at, const QString& text,
                                   const QColor& colour) {
    QPainterPath path;
    double x = std::round(at.x());
    const double y = std::round(at.y());
    for (QChar c : text) {
        if (const Glyph* g = glyphOf(c)) {
            for (int row = 0; row < 5; ++row) {
                // Runs of dots become one rectangle.
                for (int col = 0; col < 3;) {
                    if (g->rows[std::size_t(row)][col] != '1') {
                        ++col;
                        continue;
                    }
                    int end = col;
                    while (end < 3 && g->rows[std::size_t(row)][end] == '1')
                        ++end;
                    path.addRect(x + col * kDot, y + row * kDot, (end - col) * kDot, kDot);
                    col = end;
                }
            }
        }
        x += kAdvance;
    }
    painter.fillPath(path, colour);
    return labelWidth(text);
}

bool PianoRollPainter::supports(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == QLatin1String("png") || suffix == QLatin1String("svg");
}

void PianoRollPainter::writePicture(const Song& song, const QString& fileName, int width,
                                    int height) {
    PianoRollPainter roll(song);
    roll.setSize(QSize(std::max(width, 800), std::max(height, 200)));
    roll.fitPitch();
    roll.fitTime();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (QFileInfo(fileName).suffix().toLower() == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(roll.size());
        svg.setViewBox(QRect(QPoint(0, 0), roll.size()));
        svg.setTitle(QFileInfo(fileName).completeBaseName());
        QPainter painter(&svg);
        roll.paint(painter, {});
        painter.end();
    } else {
        QImage image(roll.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        roll.paint(painter, {});
        painter.end();
        if (!image.save(&buffer, "PNG"))
            throw AppError(QStringLiteral("Das Bild %1 kann nicht geschrieben werden.")
                               .arg(QFileInfo(fileName).fileName()));
    }
    SafeFile::save(fileName, bytes);
}
