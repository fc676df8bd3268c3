#pragma once

#include "files/PlayedTones.h"

#include <QByteArray>
#include <QString>

/// The song for places outside the program: a sketch for a board with a piezo buzzer, and a
/// shell script for the Linux `beep` command. Both play the tones as Play joins the tracks,
/// each for its exact duration in milliseconds.
namespace BuzzerExport {

/// The pin the sketch plays on unless the user changes the line at its top.
constexpr int kDefaultPin = 8;

/// The lowest frequency the Arduino tone() plays on an Uno, and the Uno's program memory
/// beside its boot loader.
constexpr int kLowestToneHz = 31;
constexpr int kUnoProgramBytes = 32256;

/// A sketch and what the board makes of it.
struct Sketch {
    QByteArray text;
    /// The program memory it takes on an Arduino Uno, in bytes.
    qint64 programBytes = 0;
    /// The tones below kLowestToneHz, which it rests: indexes into the tones.
    QList<qsizetype> tooLow;
};

/// A self-contained sketch: the frequencies and durations as tables in program memory (so that
/// long songs fit the board's small working memory), played once from setup() with tone() on
/// the pin named at the top, a rest (or a tone below kLowestToneHz) as noTone() for its
/// duration. Durations take 16 bits each when all fit, else 32. Lines of no duration are left
/// out; frequencies are kept within 0 … 65535.
Sketch sketch(const QList<PlayedTone>& tones, const QString& name);

/// The lowest frequency `beep` refuses.
constexpr int kBeepLimitHz = 20000;

/// A script and the tones it could not give to `beep`.
struct Script {
    QByteArray text;
    /// The tones of kBeepLimitHz and above, which it rests: indexes into the tones.
    QList<qsizetype> tooHigh;
};

/// A shell script calling `beep` with "-f F -l L" per tone, the tones joined by "-n"; a rest
/// becomes the delay after the tone before it ("-D"), a rest at the start a sleep. A tone of
/// kBeepLimitHz or more becomes a rest with a comment naming it. Long songs are split over
/// several calls so that no command line grows too long.
Script beepScript(const QList<PlayedTone>& tones, const QString& name);

} // namespace BuzzerExport
