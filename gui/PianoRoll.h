#pragma once

#include "files/PianoRollPainter.h"

#include <QWidget>

#include <vector>

class TForm1;

/// The piano roll's drawing surface: the song's lines as bars (PianoRollPainter), only those
/// in view painted. It shares the song's selection with the lists, follows the playback cursor
/// and edits with the mouse: a bar dragged up or down changes its frequency (to the note
/// table's notes; with Shift to whole hertz), its right end dragged changes the line's
/// duration, a double click opens the line editor. Each drag is one step of the song's undo
/// history. Ctrl+wheel and +/− zoom the time, the wheel scrolls.
class PianoRoll final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PianoRoll)

public:
    explicit PianoRoll(TForm1& form, QWidget* parent = nullptr);
    ~PianoRoll() override;

    PianoRollPainter& roll() { return m_roll; }
    const PianoRollPainter& roll() const { return m_roll; }

    /// Zooms the time by @p factor, keeping the time at @p anchorX where it is.
    void zoom(double factor, double anchorX);
    void zoomIn();
    void zoomOut();
    /// "Ganzes Lied": the whole song and all its notes in view.
    void fitSong();
    /// Shows the time from @p ms on (within the song).
    void scrollTo(double ms);
    /// The playback cursor at @p ms (below 0: none); the view pages along with it.
    void setPlayCursor(double ms);
    double playCursor() const { return m_marks.cursorMs; }
    /// The frequency a drag to @p y gives: the nearest note of the note table, or with
    /// @p wholeHertz the whole hertz there.
    int frequencyAt(double y, bool wholeHertz) const;

signals:
    /// The shown time or zoom changed.
    void viewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Drag { None, Pitch, Duration };
    void watchSong();
    void linesChanged(int first, int last);
    void selectionMoved();
    void extendSelection(int line, Qt::KeyboardModifiers modifiers);
    /// Where line @p line is drawn, the height of the bars; empty outside the view.
    QRect lineColumn(int line) const;
    int currentLine() const;
    void selectLine(int line);
    void showLine(int line);
    void stepPitch(int steps);
    void finishDrag(QPointF at, Qt::KeyboardModifiers modifiers);
    QRectF dragRect(QPointF at, Qt::KeyboardModifiers modifiers) const;
    void clampStart();

    TForm1& m_form;
    PianoRollPainter m_roll;
    PianoRollPainter::Marks m_marks;
    /// The note table's frequencies, ascending: where a dragged bar snaps to.
    std::vector<int> m_notes;
    bool m_fitPitch = true;
    /// The focus line as last painted.
    int m_shownCurrent = -1;
    /// Where a selection extended with Shift begins.
    int m_anchor = -1;
    Drag m_drag = Drag::None;
    int m_dragTrack = 0;
    QPointF m_pressAt;
    bool m_moved = false;
};
