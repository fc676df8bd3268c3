#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class NoteTable;

/// What a song line's fields accept when the user enters them (the entry fields, the line
/// editor, pasted lines), and the transposition of frequencies.
namespace SongEntry {

/// Frequencies in hertz the outputs take: 0 is a rest; the beep service takes up to 32767.
constexpr int kMaxFrequency = 32767;
/// Durations in milliseconds: up to an hour a line.
constexpr int kMaxDuration = 3600000;

/// The row of the note table that a note name stands for: a letter C, D, E, F, G, A, H or B
/// (English B is German H) in either case, then "#" (sharp) or "b" (flat), an optional "-",
/// and the octave ("E4", "e4", "A#3", "Bb2", "H4", "E-4"). None when the text is no note name
/// or the note lies outside the table.
std::optional<int> noteRow(const NoteTable& table, const QString& name);

/// The text a frequency field's text goes into the song as: a whole number 0 … kMaxFrequency
/// as typed, a note name as the note table's frequency; none when it is neither.
std::optional<QString> frequency(const NoteTable& table, const QString& text);
/// The text a duration field's text goes into the song as: a whole number 0 … kMaxDuration.
std::optional<QString> duration(const QString& text);

/// As frequency() and duration(), but a text neither accepts raises an AppError that names
/// the field (`field`, for example "Frequenz Spur 1") and what it accepts.
QString checkedFrequency(const NoteTable& table, const QString& field, const QString& text);
QString checkedDuration(const QString& field, const QString& text);

/// Frequencies moved by `semitones`: a frequency of the note table moves to the row that many
/// rows away; any other one is multiplied by 2^(semitones / 12) and rounded. Rests (0) and
/// texts that are no positive whole number stay as they are. Raises an AppError naming the
/// first line (counted from `firstLine`, shown from 1) whose result would leave
/// 1 … kMaxFrequency; then nothing is changed.
QStringList transposed(const NoteTable& table, const QStringList& frequencies, int semitones,
                       int firstLine);

} // namespace SongEntry
