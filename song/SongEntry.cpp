#include "song/SongEntry.h"

#include "base/Errors.h"
#include "base/StrToInt.h"
#include "song/NoteTable.h"

#include <QHash>

#include <cmath>

namespace SongEntry {

namespace {

std::optional<int> wholeNumber(const QString& text, int max) {
    const std::optional<int> value = TryStrToInt(text);
    if (!value || *value < 0 || *value > max)
        return std::nullopt;
    return value;
}

int semitoneOf(QChar letter) {
    switch (letter.toUpper().toLatin1()) {
    case 'C': return 0;
    case 'D': return 2;
    case 'E': return 4;
    case 'F': return 5;
    case 'G': return 7;
    case 'A': return 9;
    case 'H':
    case 'B': return 11;
    default: return -1;
    }
}

} // namespace

std::optional<int> noteRow(const NoteTable& table, const QString& name) {
    const QString text = name.trimmed();
    if (text.size() < 2)
        return std::nullopt;
    int semitone = semitoneOf(text[0]);
    if (semitone < 0)
        return std::nullopt;
    qsizetype at = 1;
    if (text[at] == QLatin1Char('#')) {
        ++semitone;
        ++at;
    } else if (text[at] == QLatin1Char('b') && at + 1 < text.size()) {
        --semitone;
        ++at;
    }
    if (at < text.size() && text[at] == QLatin1Char('-'))
        ++at;
    const QString octave = text.sliced(at);
    if (octave.isEmpty() || octave.size() > 2)
        return std::nullopt;
    for (const QChar c : octave)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    // Row 1 holds C-0, and the rows run up by semitones.
    const int row = 12 * octave.toInt() + semitone + 1;
    if (row < 1 || row >= table.rowCount())
        return std::nullopt;
    return row;
}

std::optional<QString> frequency(const NoteTable& table, const QString& text) {
    if (wholeNumber(text, kMaxFrequency))
        return text;
    if (const std::optional<int> row = noteRow(table, text))
        return table.cell(NoteTable::kFrequencyColumn, *row).trimmed();
    return std::nullopt;
}

std::optional<QString> duration(const QString& text) {
    if (wholeNumber(text, kMaxDuration))
        return text;
    return std::nullopt;
}

QString checkedFrequency(const NoteTable& table, const QString& field, const QString& text) {
    if (std::optional<QString> value = frequency(table, text))
        return *value;
    throw AppError(QStringLiteral("%1: '%2' ist weder eine ganze Zahl von 0 bis %3 noch ein "
                                  "Notenname wie A4, C#5, Bb3 oder H4")
                       .arg(field, text)
                       .arg(kMaxFrequency));
}

QString checkedDuration(const QString& field, const QString& text) {
    if (std::optional<QString> value = duration(text))
        return *value;
    throw AppError(QStringLiteral("%1: '%2' ist keine ganze Zahl von 0 bis %3 (Millisekunden)")
                       .arg(field, text)
                       .arg(kMaxDuration));
}

QStringList transposed(const NoteTable& table, const QStringList& frequencies, int semitones,
                       int firstLine) {
    QHash<int, int> rows;
    for (int r = 1; r < table.rowCount(); ++r)
        if (const std::optional<int> hz = TryStrToInt(table.cell(NoteTable::kFrequencyColumn, r)))
            rows.insert(*hz, r);
    const double factor = std::exp2(semitones / 12.0);
    QStringList out = frequencies;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const std::optional<int> hz = TryStrToInt(out[i]);
        if (!hz || *hz <= 0)
            continue;
        long long moved = 0;
        const auto row = rows.constFind(*hz);
        const int target = row == rows.constEnd() ? -1 : *row + semitones;
        if (target >= 1 && target < table.rowCount())
            moved = StrToInt(table.cell(NoteTable::kFrequencyColumn, target));
        else
            moved = std::llround(*hz * factor);
        if (moved < 1 || moved > kMaxFrequency)
            throw AppError(QStringLiteral("Zeile %1: %2 Hz lassen sich nicht so weit "
                                          "transponieren (1 bis %3 Hz)")
                               .arg(firstLine + i + 1)
                               .arg(*hz)
                               .arg(kMaxFrequency));
        out[i] = QString::number(moved);
    }
    return out;
}

} // namespace SongEntry
