#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

/// Standard MIDI Files: writing a song's two tracks, reading the notes of format 0 and 1 files.
namespace MidiFile {

/// Ticks per quarter note and microseconds per quarter note of written files: one tick is
/// exactly one millisecond, at 120 beats per minute for programs that show bars.
constexpr int kDivision = 500;
constexpr int kTempo = 500000;
/// The latest time a read file may reach, in ticks: at any tempo its milliseconds, and so the
/// lengths of the song's lines, stay within what a song holds.
constexpr qint64 kMaxTick = 0x7FFFFFFF;
/// A note number that does not sound (a rest, or a frequency without a MIDI note).
constexpr int kSilent = -2;

/// How one song track sounds on MIDI: an instrument on its own channel, or a percussion key on
/// channel 10, with one velocity for all its notes.
struct TrackSetup {
    int channel = 0; ///< 0-based channel of the melody mode
    int program = 0;
    bool drum = false;
    int drumKey = 35;
    int velocity = 100;
    QByteArray name{}; ///< the track's name in the file; empty: "Spur 1" or "Spur 2"
};

/// One song line as MIDI: the note of each track (kSilent for none) and the line's length.
struct Line {
    int note1 = kSilent;
    int note2 = kSilent;
    int durationMs = 0;
};

/// A format 1 file: a tempo track, then one track per song track. Each sounding note starts
/// at its line and stops at the line's end; a line where nothing starts or stops (a rest after
/// a rest) is marked, so a reader finds every line again. Negative lengths count as 0.
QByteArray write(const QList<Line>& lines, const TrackSetup& track1, const TrackSetup& track2);

/// A note starting or stopping, in file order within its tick.
struct NoteEvent {
    qint64 tick = 0;
    int channel = 0;
    int note = 0;
    bool on = false;
};

/// What the reader keeps of a file.
struct Sequence {
    int format = 0;
    int trackCount = 0;
    /// Ticks per quarter note; for time-code files the ticks per second instead.
    int division = 0;
    bool timeCode = false;
    /// Note starts and stops of all tracks, ordered by tick (stable: track order, file order).
    QList<NoteEvent> notes;
    /// Tempo changes: tick, microseconds per quarter note; ordered by tick.
    QList<QPair<qint64, int>> tempos;
    /// Ticks of marker events.
    QList<qint64> markers;
    /// The latest tick any track reaches.
    qint64 endTick = 0;
};

/// Reads a format 0 or 1 file: running status, note-on with velocity 0 as note-off, meta and
/// system exclusive events skipped, unknown chunks skipped. A damaged or unsupported file, or
/// one whose times pass kMaxTick, throws AppError with a German text that says what is wrong
/// and where.
Sequence read(QByteArrayView data);

} // namespace MidiFile
