#pragma once

#include "song/NoteTable.h"

#include <QString>

/// The speed change of one duration: trunc(value × (100 ÷ percent)), computed in extended
/// precision (64-bit significand), each step rounded to nearest. A percent of 0 raises
/// "Gleitkommadivision durch Null". The rounding is part of the result: 3 % turns 15 into 499.
long long ScaleDuration(int value, int percent);

/// The pitch change of one frequency: trunc(value × (percent ÷ 100)) in extended precision.
/// 13 % turns 900 into 116.
long long ScaleFrequency(int value, int percent);

/// Where an octave move takes one frequency text.
struct OctaveMove {
    enum class Kind {
        NotANote,     ///< no note row has exactly this frequency text: it stays as it is
        Moved,        ///< the text of the note 12 × octaves rows further on
        OutsideTable, ///< the note exists, but its target lies before C-0 or after the last row
    };
    Kind kind = Kind::NotANote;
    QString text; ///< the new frequency text when moved
};

/// Moves a frequency text by whole octaves along the note table. Only the note rows are
/// compared, character by character without trimming ("0440", " 440" and "" are no notes);
/// when several rows carry the text, the last one decides.
OctaveMove MoveByOctaves(const NoteTable& table, const QString& frequency, int octaves);
