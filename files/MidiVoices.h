#pragma once

#include "files/MidiFile.h"

#include <QList>

/// Turns the notes of a MIDI file into song lines: the two busiest channels become the two
/// tracks, each reduced to one voice.
namespace MidiVoices {

/// One song line: the MIDI note of each track (MidiFile::kSilent for a rest), its length, and
/// the pitch bend in semitones each note started with.
struct ImportedLine {
    int note1 = MidiFile::kSilent;
    int note2 = MidiFile::kSilent;
    qint64 durationMs = 0;
    double bend1 = 0;
    double bend2 = 0;

    bool operator==(const ImportedLine&) const = default;
};

/// The two channels with the most note starts (on a tie the lower channel), in channel order;
/// the second is -1 when only one channel plays, both are -1 when none does.
QPair<int, int> busiestChannels(const MidiFile::Sequence& sequence);

/// Milliseconds from the start to each tick, following the tempo map (120 beats per minute
/// until the first tempo change); exact to the microsecond, rounded to whole milliseconds.
class TempoMap {
public:
    explicit TempoMap(const MidiFile::Sequence& sequence);
    qint64 milliseconds(qint64 tick) const;

private:
    struct Segment {
        qint64 tick;
        long double microseconds; ///< at the segment's start
        int tempo;
    };
    QList<Segment> m_segments;
    int m_division;
    bool m_timeCode;
};

/// The song lines: the highest sounding note of each chosen channel is its track's voice; a new
/// line starts wherever either voice changes or strikes its note again, and at markers; the last
/// line lasts until the end of the longest track. Lines that round to 0 ms are left out.
QList<ImportedLine> toLines(const MidiFile::Sequence& sequence);

/// Lines shorter than this come from the small gaps and staggered chords of other programs.
constexpr qint64 kShortLineMs = 15;
/// Joins each line shorter than kShortLineMs to a neighbour, the song's length unchanged: a
/// line that starts a note (a chord struck note by note) to the next line, one that starts
/// nothing (a gap between two notes, a chord whose notes stop one after the other) to the line
/// before it. Returns how many lines were joined.
qsizetype joinShortLines(QList<ImportedLine>& lines);

} // namespace MidiVoices
