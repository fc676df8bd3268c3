#include "gui/PianoRoll.h"

#include "base/Guard.h"
#include "base/ListItems.h"
#include "base/ListTextModel.h"
#include "base/StrToInt.h"
#include "gui/EditCommands.h"
#include "gui/MainWindow.h"
#include "song/LineTimes.h"
#include "song/NoteTable.h"
#include "song/Song.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kZoomStep = 1.25;
/// A press moves this far before it drags.
constexpr double kDragDistance = 3;

} // namespace

PianoRoll::PianoRoll(TForm1& form, QWidget* parent)
    : QWidget(parent), m_form(form), m_roll(*form.song) {
    setObjectName(QStringLiteral("PianoRoll"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setMinimumSize(PianoRollPainter::kKeyboardWidth + 100, PianoRollPainter::kRulerHeight + 60);
    const NoteTable& table = NoteTable::stored();
    for (int row = 1; row < table.rowCount(); ++row)
        if (const auto hz = TryStrToInt(table.cell(NoteTable::kFrequencyColumn, row)); hz && *hz > 0)
            m_notes.push_back(*hz);
    std::sort(m_notes.begin(), m_notes.end());
    watchSong();
}

PianoRoll::~PianoRoll() = default;

void PianoRoll::watchSong() {
    Song& song = *m_form.song;
    for (ListItems* list : {song.Memo1, song.Memo2, song.Memo3, song.Memo4}) {
        const QAbstractItemModel* model = list->model();
        connect(model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& from, const QModelIndex& to) {
                    linesChanged(from.row(), to.row());
                });
        connect(model, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex&, int first, int last) { linesChanged(first, last); });
        connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { update(); });
        connect(model, &QAbstractItemModel::modelReset, this, [this] {
            // A new song: its notes decide the pitches shown, at the next paint.
            m_fitPitch = true;
            update();
        });
    }
    connect(&song, &Song::selectionChanged, this, [this] { selectionMoved(); });
}

void PianoRoll::selectionMoved() {
    // From one line to another (playback moves the selection at every line), only the
    // columns of the two lines are painted again.
    const QList<LineRange> now = m_form.song->selection();
    const auto single = [](const QList<LineRange>& ranges) {
        return ranges.isEmpty() || (ranges.size() == 1 && ranges[0].count() == 1);
    };
    if (single(now) && single(m_marks.selected)) {
        for (const QList<LineRange>& ranges : {m_marks.selected, now})
            if (!ranges.isEmpty())
                update(lineColumn(ranges[0].first));
        update(lineColumn(m_shownCurrent));
        update(lineColumn(currentLine()));
    } else {
        update();
    }
    m_marks.selected = now;
    m_shownCurrent = currentLine();
    // One line chosen, here or in the lists: a selection extended with Shift begins there.
    if (now.size() == 1 && now[0].count() == 1)
        m_anchor = now[0].first;
    // A line chosen in the lists comes into view.
    if (m_shownCurrent >= 0 && isVisible() && m_drag == Drag::None)
        showLine(m_shownCurrent);
}

QRect PianoRoll::lineColumn(int line) const {
    const Song& song = *m_form.song;
    if (line < 0 || line >= song.times().count())
        return {};
    const double x0 = m_roll.xOf(double(song.lineStart(line)));
    const double x1 = m_roll.xOf(double(song.lineStart(line + 1)));
    if (x1 < 0 || x0 > width())
        return {};
    return QRect(int(std::floor(std::max(x0, 0.0))) - 2, PianoRollPainter::kRulerHeight,
                 int(std::ceil(std::min(x1, double(width())) - std::max(x0, 0.0))) + 5,
                 height() - PianoRollPainter::kRulerHeight);
}

void PianoRoll::linesChanged(int first, int last) {
    // New notes outside the pitches shown widen them; a change costs what it changed.
    const Song& song = *m_form.song;
    for (const ListItems* list : {song.Memo1, song.Memo3}) {
        const ListTextModel* texts = list->textModel();
        for (int line = first; line <= last && line < texts->count(); ++line)
            m_roll.includePitch(TryStrToInt(texts->text(line)).value_or(0));
    }
    update();
}

int PianoRoll::currentLine() const {
    return m_form.song->currentLine();
}

void PianoRoll::selectLine(int line) {
    Song& song = *m_form.song;
    if (line < 0 || line >= song.lineCount())
        return;
    song.selectLine(line);
    m_anchor = line;
    showLine(line);
}

void PianoRoll::showLine(int line) {
    const double from = double(m_form.song->lineStart(line));
    const double to = double(m_form.song->lineStart(line + 1));
    const double span = m_roll.visibleSpan();
    if (from < m_roll.start())
        scrollTo(from - span * 0.1);
    else if (to > m_roll.start() + span)
        scrollTo(std::min(from - span * 0.1, to - span * 0.9));
}

void PianoRoll::clampStart() {
    const double total = double(m_form.song->totalDuration());
    const double latest = std::max(0.0, total - m_roll.visibleSpan() * 0.9);
    m_roll.setStart(std::clamp(m_roll.start(), 0.0, latest));
}

void PianoRoll::scrollTo(double ms) {
    const double before = m_roll.start();
    m_roll.setStart(ms);
    clampStart();
    if (m_roll.start() != before) {
        update();
        emit viewChanged();
    }
}

void PianoRoll::zoom(double factor, double anchorX) {
    const double anchorMs = m_roll.msAt(anchorX);
    m_roll.setScale(m_roll.scale() * factor);
    m_roll.setStart(anchorMs - (anchorX - PianoRollPainter::kKeyboardWidth) / m_roll.scale());
    clampStart();
    update();
    emit viewChanged();
}

void PianoRoll::zoomIn() {
    zoom(kZoomStep, m_roll.barsArea().center().x());
}

void PianoRoll::zoomOut() {
    zoom(1 / kZoomStep, m_roll.barsArea().center().x());
}

void PianoRoll::fitSong() {
    m_roll.fitPitch();
    m_fitPitch = false;
    m_roll.fitTime();
    update();
    emit viewChanged();
}

void PianoRoll::setPlayCursor(double ms) {
    const double old = m_marks.cursorMs;
    if (ms == old)
        return;
    m_marks.cursorMs = ms;
    const double span = m_roll.visibleSpan();
    if (ms >= 0 && (ms < m_roll.start() || ms > m_roll.start() + span * 0.97)) {
        // Pages along: the cursor starts again near the left edge.
        m_roll.setStart(ms - span * 0.03);
        clampStart();
        update();
        emit viewChanged();
        return;
    }
    // Only the strips the cursor leaves and enters are painted again.
    for (double at : {old, ms})
        if (at >= 0)
            update(QRect(int(std::floor(m_roll.xOf(at))) - 2, PianoRollPainter::kRulerHeight, 5,
                         height() - PianoRollPainter::kRulerHeight));
}

int PianoRoll::frequencyAt(double y, bool wholeHertz) const {
    const double hz = m_roll.hzAt(y);
    if (wholeHertz || m_notes.empty())
        return std::max(1, int(std::lround(hz)));
    // The nearest note by pitch, not by hertz.
    const auto above = std::lower_bound(m_notes.begin(), m_notes.end(), hz);
    if (above == m_notes.begin())
        return *above;
    if (above == m_notes.end())
        return m_notes.back();
    const int high = *above;
    const int low = *(above - 1);
    return std::log2(hz / low) < std::log2(high / hz) ? low : high;
}

void PianoRoll::paintEvent(QPaintEvent* event) {
    if (m_fitPitch) {
        m_roll.fitPitch();
        m_fitPitch = false;
    }
    QPainter painter(this);
    m_marks.current = m_shownCurrent = currentLine();
    m_marks.selected = m_form.song->selection();
    m_roll.paint(painter, m_marks, event->rect());
}

void PianoRoll::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_roll.setSize(size());
    clampStart();
    emit viewChanged();
}

void PianoRoll::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const PianoRollPainter::Hit hit = m_roll.hitTest(event->position());
    m_drag = Drag::None;
    m_moved = false;
    if (hit.line < 0)
        return;
    // Ctrl+click adds or takes out a line; Shift+click extends the selection, unless the
    // press becomes a drag (which Shift then makes one of whole hertz).
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (event->modifiers() & Qt::ControlModifier || (shift && hit.track == 0)) {
        extendSelection(hit.line, event->modifiers());
        return;
    }
    if (!shift) {
        m_form.song->selectLine(hit.line);
        m_anchor = hit.line;
    }
    if (hit.track == 0)
        return;
    m_drag = hit.edge ? Drag::Duration : Drag::Pitch;
    m_dragTrack = hit.track;
    m_pressAt = event->position();
    m_marks.dragLine = hit.line;
    m_marks.dragTrack = hit.track;
    m_marks.dragRect = {};
}

QRectF PianoRoll::dragRect(QPointF at, Qt::KeyboardModifiers modifiers) const {
    const QRectF bar = m_roll.barRect(m_marks.dragLine, m_dragTrack);
    if (m_drag == Drag::Pitch) {
        const double y = m_roll.yOf(frequencyAt(at.y(), modifiers & Qt::ShiftModifier));
        return bar.translated(0, y - bar.center().y());
    }
    const double start = double(m_form.song->lineStart(m_marks.dragLine));
    const double ms = std::max(1.0, std::round(m_roll.msAt(at.x()) - start));
    return QRectF(bar.left(), bar.top(), m_roll.xOf(start + ms) - bar.left(), bar.height());
}

void PianoRoll::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (m_drag == Drag::None) {
        const PianoRollPainter::Hit hit = m_roll.hitTest(at);
        QWidget::setCursor(hit.edge ? QCursor(Qt::SizeHorCursor)
                           : hit.track ? QCursor(Qt::SizeVerCursor) : QCursor());
        return;
    }
    if (!m_moved && (at - m_pressAt).manhattanLength() < kDragDistance)
        return;
    m_moved = true;
    m_marks.dragRect = dragRect(at, event->modifiers());
    update();
}

void PianoRoll::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_drag == Drag::None)
        return QWidget::mouseReleaseEvent(event);
    const QPointF at = event->position();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    guarded([&] {
        if (m_moved)
            finishDrag(at, modifiers);
        else if (modifiers & Qt::ShiftModifier)
            extendSelection(m_marks.dragLine, Qt::ShiftModifier);
    });
    m_drag = Drag::None;
    m_marks.dragLine = -1;
    m_marks.dragRect = {};
    update();
}

void PianoRoll::finishDrag(QPointF at, Qt::KeyboardModifiers modifiers) {
    Song& song = *m_form.song;
    const int line = m_marks.dragLine;
    if (line < 0 || line >= song.lineCount())
        return;
    if (m_drag == Drag::Pitch) {
        ListItems& list = m_dragTrack == 1 ? *song.Memo1 : *song.Memo3;
        const QString hz = IntToStr(frequencyAt(at.y(), modifiers & Qt::ShiftModifier));
        if (list.item(line) != hz)
            list.setItem(line, hz);
        return;
    }
    // The line's duration; track 2's follows where it was the same.
    const double start = double(song.lineStart(line));
    const QString ms = IntToStr(qint64(std::max(1.0, std::round(m_roll.msAt(at.x()) - start))));
    const QString old = song.Memo2->item(line);
    if (old == ms)
        return;
    if (line < song.Memo4->count() && song.Memo4->item(line) == old)
        song.Memo4->setItem(line, ms);
    song.Memo2->setItem(line, ms);
}

void PianoRoll::extendSelection(int line, Qt::KeyboardModifiers modifiers) {
    Song& song = *m_form.song;
    // Ctrl: the line joins the selection or leaves it; Shift: all lines from the current one.
    const int current = currentLine();
    if (modifiers & Qt::ShiftModifier) {
        const int from = m_anchor >= 0 && m_anchor < song.lineCount() ? m_anchor
                         : current >= 0                                ? current
                                                                       : line;
        song.setSelection({LineRange{std::min(from, line), std::max(from, line)}}, line);
        return;
    }
    m_anchor = line;
    song.setSelection(toggledLine(song.selection(), line), line);
}

void PianoRoll::mouseDoubleClickEvent(QMouseEvent* event) {
    const PianoRollPainter::Hit hit = m_roll.hitTest(event->position());
    if (event->button() != Qt::LeftButton || hit.line < 0)
        return QWidget::mouseDoubleClickEvent(event);
    m_drag = Drag::None;
    m_form.song->selectLine(hit.line);
    guarded([this] { m_form.Memo1DblClick(); });
}

void PianoRoll::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    const int steps = delta.y() != 0 ? delta.y() : delta.x();
    if (steps == 0)
        return;
    if (event->modifiers() & Qt::ControlModifier) {
        zoom(std::pow(kZoomStep, steps / 120.0), event->position().x());
    } else {
        // A notch scrolls an eighth of the view, towards later times when turned down.
        scrollTo(m_roll.start() - steps / 120.0 * m_roll.visibleSpan() / 8);
    }
    event->accept();
}

void PianoRoll::keyPressEvent(QKeyEvent* event) {
    const int line = currentLine();
    switch (event->key()) {
    case Qt::Key_Plus:
        zoomIn();
        return;
    case Qt::Key_Minus:
        zoomOut();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int next = event->key() == Qt::Key_Left ? std::max(line - 1, 0) : line + 1;
        if (event->modifiers() & Qt::ShiftModifier && next < m_form.song->lineCount()) {
            extendSelection(next, Qt::ShiftModifier);
            showLine(next);
        } else {
            selectLine(next);
        }
        return;
    }
    case Qt::Key_Home:
        selectLine(0);
        return;
    case Qt::Key_End:
        selectLine(m_form.song->lineCount() - 1);
        return;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        // The lists' commands: Alt moves the lines; otherwise their notes go a semitone (Shift:
        // an octave) up or down, as Ctrl+Up and Ctrl+Down do in the lists.
        EditCommands* edit = m_form.editCommands;
        if (!edit)
            return;
        const int direction = event->key() == Qt::Key_Up ? 1 : -1;
        guarded([&] {
            if (event->modifiers() & Qt::AltModifier)
                edit->moveLines(-direction);
            else
                edit->transpose(direction * (event->modifiers() & Qt::ShiftModifier ? 12 : 1));
        });
        return;
    }
    case Qt::Key_Delete:
        if (EditCommands* edit = m_form.editCommands)
            guarded([edit] { edit->deleteLines(); });
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (line >= 0)
            guarded([this] { m_form.Memo1DblClick(); });
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
