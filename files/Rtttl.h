#pragma once

#include "files/PlayedTones.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class NoteTable;

/// Ringtone texts (RTTTL): "name:d=4,o=5,b=120:8c6,8p,a#.,…", one voice of notes and pauses.
///
/// Note values follow the tempo the way the BPM panel computes them (beat = 60000 div tempo;
/// 1/1 = 4 beats, 1/2 = 2 beats, 1/4 = 1 beat, 1/8 = beat div 2, …; a dot adds half, truncated),
/// so a song built from the BPM panel's note values reads and writes without any loss.
/// Frequencies come from the note table (octave 4 holds A = 440 Hz; "b" and "h" are the note
/// the table calls H).
namespace Rtttl {

/// The format's defaults where the text gives none: a quarter note, octave 6, tempo 63.
constexpr int kDefaultDuration = 4;
constexpr int kDefaultOctave = 6;
constexpr int kDefaultTempo = 63;
/// The tempo range the writer chooses from (the format's own range).
constexpr int kLowestTempo = 25;
constexpr int kHighestTempo = 900;

/// Reads a text into one tone per note or pause (a pause has frequency 0). A text without ":"
/// holds only notes; one ":" separates the name from the notes; with two, the defaults
/// section ("d=…,o=…,b=…", each optional) stands between them. Blanks and line breaks between
/// the parts are ignored. Throws AppError "RTTTL-Fehler bei Zeichen N: …" naming the first bad
/// character (counted from 1) and what was expected there.
QList<PlayedTone> read(const QString& text, const NoteTable& table);

/// The tempo whose note values come nearest to a song's durations.
struct TempoFit {
    int tempo = kDefaultTempo;
    /// The largest difference, in milliseconds, between a line's duration and its note value.
    int largestErrorMs = 0;
};
/// The tempo (25 … 900) that keeps the largest difference between each duration and its
/// nearest note value smallest, then the sum of differences; among equals, the one whose notes
/// are mostly quarters and eighths. Lines of no duration do not count.
TempoFit fitTempo(const QList<PlayedTone>& tones);

/// What write gives: the text and how far its durations are from the song's.
struct Written {
    QByteArray text;
    int tempo = kDefaultTempo;
    /// The largest difference, in milliseconds, between a line's duration and its note value.
    int largestErrorMs = 0;
    /// The notes outside octaves 4 … 7 ("c3", "a8"), each once, in the order they first
    /// sound: strict players refuse them.
    QStringList outsideOctaves;
};

/// Writes tones as a ringtone text: each frequency as the note of the table nearest to it
/// (0 and below as a pause), each duration as the nearest note value at the tempo (25 … 900)
/// that keeps the largest difference smallest (fitTempo). Lines of no duration are left out.
/// The name is written in UTF-8 without the characters the format reserves (":" and ",") and
/// without control characters. The default octave is one of 4 … 7.
Written write(const QList<PlayedTone>& tones, const QString& name, const NoteTable& table);

} // namespace Rtttl
