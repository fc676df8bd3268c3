#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

/// Standard MIDI Files: writing a song's two tracks, reading the notes of format 0 and 1 files.
namespace MidiFile {

/// Ticks per quarter note and microseconds per quarter note of a file whose writer names no
/// tempo: 120 beats per minute. Written files keep one tick per millisecond at any tempo.
constexpr int kDivision = 500;
constexpr int kTempo = 500000;
/// The pitch bend range written files set on each melody channel (RPN 0), in semitones.
constexpr int kBendRange = 2;
/// The name of the first track of files this program writes.
constexpr char kWriterName[] = "Z1rpW3rk";
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

/// One song line as MIDI: the note of each track (kSilent for none), the pitch bend that
/// tunes it (-8192 … 8191 around the centre, at kBendRange) and the line's length. Small
/// fields: a long song's lines are all held while its file is written.
struct Line {
    qint16 note1 = kSilent;
    qint16 note2 = kSilent;
    int durationMs = 0;
    qint16 bend1 = 0;
    qint16 bend2 = 0;
};

/// A frequency as the nearest MIDI note and the bend that reaches it within the bend range.
struct Pitch {
    int note = kSilent;
    int bend = 0;
};
/// The note and bend that sound @p hertz within a hundredth of a cent; nothing for a
/// frequency beyond what notes 0 … 127 reach with the bend (about 8 … 12,900 Hz).
std::optional<Pitch> pitchOf(double hertz);
/// The frequency a note sounds at with a bend of @p semitones.
double frequencyOf(int note, double semitones);

/// A format 1 file: a tempo track, then one track per song track. One tick is one millisecond:
/// a quarter note has @p quarterMs ticks (1 … 32767) and lasts as many milliseconds, so a song
/// of note values at that beat reads as note values. Each melody channel first sets its bend
/// range (RPN 0) to kBendRange; a note whose bend differs from the one in force is preceded by
/// its pitch bend. Each sounding note starts at its line and stops at the line's end; a line
/// where nothing starts or stops (a rest after a rest) is marked, so a reader finds every line
/// again. Negative lengths count as 0.
QByteArray write(const QList<Line>& lines, const TrackSetup& track1, const TrackSetup& track2,
                 int quarterMs = kDivision);

/// A note starting or stopping, in file order within its tick.
struct NoteEvent {
    qint64 tick = 0;
    int channel = 0;
    int note = 0;
    bool on = false;
    /// The channel's pitch bend when the note starts, in semitones.
    double bend = 0;
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
    /// The name of the first track (its first track name event), if any.
    QByteArray firstTrackName;
};

/// Reads a format 0 or 1 file: running status, note-on with velocity 0 as note-off, meta and
/// system exclusive events skipped, unknown chunks skipped. A damaged or unsupported file, or
/// one whose times pass kMaxTick, throws AppError with a German text that says what is wrong
/// and where.
Sequence read(QByteArrayView data);

} // namespace MidiFile
