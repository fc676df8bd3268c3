#pragma once

#include "base/LineRange.h"

#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

class NoteTable;
class QPainter;
class Song;

/// Draws a song as a piano roll: time from left to right (each line starts where the lines
/// before it end), pitch from bottom to top on a logarithmic scale beside a keyboard strip
/// that names the note table's notes, track 1 and track 2 as bars (track 1 solid, track 2 a
/// lighter bar with a dark outline, so the two differ without colour too), rests as gaps, and
/// a ruler of seconds and line numbers above. The window, the exported picture and the command
/// line draw with this one painter, into a widget, an image or an SVG file alike.
///
/// It draws only the lines between the first and the last visible time: the first is found
/// by binary search in the song's line times. Where lines grow narrower than a pixel, each
/// pixel column of a track becomes one stroke from its lowest to its highest note.
///
/// Labels are drawn in a small font of the painter's own, as filled pixels: the picture
/// looks the same everywhere and needs no font from the system (the command line draws
/// without any window system).
class PianoRollPainter {
public:
    static constexpr int kKeyboardWidth = 40;
    static constexpr int kRulerHeight = 28;
    /// Half the width in pixels of the zone at a bar's right end that changes its duration.
    static constexpr int kEdgeGrip = 4;

    static const QColor kTrack1;
    static const QColor kTrack1Edge;
    static const QColor kTrack2;
    static const QColor kTrack2Edge;
    static const QColor kBackground;
    static const QColor kSelected;
    static const QColor kCursor;

    explicit PianoRollPainter(const Song& song);
    PianoRollPainter(const Song& song, const NoteTable& notes);

    const Song& song() const { return m_song; }

    /// The whole painted size: keyboard strip, ruler and bars.
    void setSize(QSize size) { m_size = size; }
    QSize size() const { return m_size; }
    /// Where the bars are drawn.
    QRectF barsArea() const;

    /// The time at the left edge of the bars, in ms.
    void setStart(double ms) { m_startMs = ms; }
    double start() const { return m_startMs; }
    /// Pixels per millisecond.
    void setScale(double pixelsPerMs);
    double scale() const { return m_scale; }
    /// The time the bars' width shows, in ms.
    double visibleSpan() const { return barsArea().width() / m_scale; }
    /// The whole song across the bars' width (a song of no length shows one second).
    void fitTime();

    /// The pitches shown, lowest and highest, in hertz.
    void setPitchRange(double lowHz, double highHz);
    double lowPitch() const { return m_lowHz; }
    double highPitch() const { return m_highHz; }
    /// The song's notes from whole octave to whole octave (at least one octave; A-4 ± an octave
    /// for a song without notes). Reads every line.
    void fitPitch();
    /// Widens the range to take in @p hz where it lies outside.
    void includePitch(double hz);

    double xOf(double ms) const;
    double msAt(double x) const;
    double yOf(double hz) const;
    double hzAt(double y) const;
    /// The height of one semitone in pixels.
    double semitone() const;

    /// Line @p line's bar of track @p track (1 or 2) in the painted area; empty for a rest (a
    /// frequency that is 0, not a whole number or below 0), a line of no duration or a line
    /// outside the song. Track 2's bar lasts its own duration, up to the line's end.
    QRectF barRect(int line, int track) const;

    /// What lies under a point: the line whose bar it is on (track 2's drawn above track 1's),
    /// or which the time is in with track 0; on the right end of a bar, @p edge.
    struct Hit {
        int line = -1;
        int track = 0;
        bool edge = false;
    };
    Hit hitTest(QPointF point) const;

    /// What is drawn besides the song.
    struct Marks {
        /// Selected lines, sorted.
        QList<LineRange> selected;
        /// The focus line: drawn with a frame.
        int current = -1;
        /// The playback cursor's time; below 0 none.
        double cursorMs = -1;
        /// A bar being dragged: its line, track and new rectangle.
        int dragLine = -1;
        int dragTrack = 0;
        QRectF dragRect;
    };
    /// Draws the part of @p clip that lies in the painted area (all of it for an empty clip).
    void paint(QPainter& painter, const Marks& marks, QRectF clip = {}) const;

    /// Writes the whole song as a picture, time linear across @p width pixels (at least 800):
    /// PNG for a ".png" file name, SVG for ".svg". Throws AppError with the reason.
    static void writePicture(const Song& song, const QString& fileName, int width = 1200,
                             int height = 480);
    /// Whether writePicture() takes such a file name.
    static bool supports(const QString& fileName);

    /// Draws @p text in the painter's own font with its top left at @p at; returns its width.
    static double drawLabel(QPainter& painter, QPointF at, const QString& text,
                            const QColor& colour);
    static double labelWidth(const QString& text);

private:
    struct Tone {
        int hz = 0;
        qint64 ms = 0;
    };
    Tone tone(int line, int track) const;
    QRectF barFor(double startMs, double ms, int hz, int track) const;
    double barHeight(int track) const;
    void paintKeyboard(QPainter& painter) const;
    void paintRuler(QPainter& painter, int first, int last) const;
    void paintBars(QPainter& painter, int first, int last) const;
    void paintSelection(QPainter& painter, const Marks& marks, int first, int last) const;

    const Song& m_song;
    const NoteTable& m_notes;
    QSize m_size{800, 400};
    double m_startMs = 0;
    double m_scale = 0.1;
    double m_lowHz = 220;
    double m_highHz = 880;
};
