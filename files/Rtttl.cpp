#include "files/Rtttl.h"

#include "base/Errors.h"
#include "song/NoteTable.h"

#include <QHash>
#include <QMap>

#include <algorithm>
#include <array>
#include <bit>
#include <tuple>
#include <cmath>
#include <climits>
#include <cstdlib>
#include <limits>
#include <optional>
#include <vector>

namespace {

// The note letters in semitone order, as the note table names them and as the format writes
// them.
const std::array<const char*, 12> kTableNames = {"C", "C#", "D", "D#", "E", "F",
                                                 "F#", "G", "G#", "A", "A#", "H"};
const std::array<const char*, 12> kTextNames = {"c", "c#", "d", "d#", "e", "f",
                                                "f#", "g", "g#", "a", "a#", "b"};
constexpr std::array<int, 7> kNoteValues = {1, 2, 4, 8, 16, 32, 64};

[[noreturn]] void fail(qsizetype index, const QString& reason) {
    throw AppError(QStringLiteral("RTTTL-Fehler bei Zeichen %1: %2").arg(index + 1).arg(reason));
}

/// The length of a note value at a tempo, as the BPM panel computes it.
qint64 noteLength(int tempo, int value, bool dotted) {
    const qint64 beat = 60000 / tempo;
    const qint64 length = value <= 4 ? beat * (4 / value) : beat / (value / 4);
    return dotted ? length + length / 2 : length;
}

/// Reads one text from left to right, remembering where it is for the error message.
class Reader {
public:
    Reader(const QString& text, const NoteTable& table) : m_text(text), m_table(table) {}

    QList<PlayedTone> read() {
        const qsizetype first = m_text.indexOf(QLatin1Char(':'));
        qsizetype notes = 0;
        if (first >= 0) {
            const qsizetype second = m_text.indexOf(QLatin1Char(':'), first + 1);
            if (second >= 0) {
                readDefaults(first + 1, second);
                notes = second + 1;
            } else {
                notes = first + 1;
            }
        }
        return readNotes(notes);
    }

private:
    QChar at(qsizetype i) const { return i < m_end ? m_text[i] : QChar(); }
    bool isBlank(qsizetype i) const {
        const QChar c = at(i);
        return i < m_end && (c == QLatin1Char(' ') || c == QLatin1Char('\t') ||
                             c == QLatin1Char('\r') || c == QLatin1Char('\n'));
    }
    void skipBlanks(qsizetype& i) const {
        while (isBlank(i))
            ++i;
    }
    std::optional<int> number(qsizetype& i) const {
        const qsizetype start = i;
        qint64 value = 0;
        while (i < m_end && at(i).isDigit() && at(i).unicode() < 128) {
            value = value * 10 + (at(i).unicode() - '0');
            if (value > 1000000)
                fail(start, QStringLiteral("Zahl zu groß"));
            ++i;
        }
        return i > start ? std::optional<int>(int(value)) : std::nullopt;
    }

    void readDefaults(qsizetype i, qsizetype end) {
        m_end = end;
        skipBlanks(i);
        while (i < end) {
            const QChar key = at(i).toLower();
            if (key != QLatin1Char('d') && key != QLatin1Char('o') && key != QLatin1Char('b'))
                fail(i, QStringLiteral("d=, o= oder b= erwartet"));
            ++i;
            skipBlanks(i);
            if (at(i) != QLatin1Char('='))
                fail(i, QStringLiteral("\"=\" erwartet"));
            ++i;
            skipBlanks(i);
            const qsizetype valueAt = i;
            const auto value = number(i);
            if (!value)
                fail(i, QStringLiteral("Zahl erwartet"));
            if (key == QLatin1Char('d')) {
                if (std::find(kNoteValues.begin(), kNoteValues.end(), *value) == kNoteValues.end())
                    fail(valueAt, QStringLiteral("Notenwert 1, 2, 4, 8, 16, 32 oder 64 erwartet"));
                m_duration = *value;
            } else if (key == QLatin1Char('o')) {
                if (*value > 9)
                    fail(valueAt, QStringLiteral("Oktave 0 bis 9 erwartet"));
                m_octave = *value;
            } else {
                if (*value < 1 || *value > 60000)
                    fail(valueAt, QStringLiteral("Tempo 1 bis 60000 erwartet"));
                m_tempo = *value;
            }
            skipBlanks(i);
            if (i < end) {
                if (at(i) != QLatin1Char(','))
                    fail(i, QStringLiteral("\",\" erwartet"));
                ++i;
                skipBlanks(i);
                if (i >= end)
                    fail(i, QStringLiteral("d=, o= oder b= erwartet"));
            }
        }
    }

    QList<PlayedTone> readNotes(qsizetype i) {
        m_end = m_text.size();
        QList<PlayedTone> tones;
        skipBlanks(i);
        while (i < m_end) {
            tones.append(readNote(i));
            skipBlanks(i);
            if (i < m_end) {
                if (at(i) != QLatin1Char(','))
                    fail(i, QStringLiteral("\",\" erwartet"));
                ++i;
                skipBlanks(i); // a comma at the very end is forgiven
            }
        }
        return tones;
    }

    PlayedTone readNote(qsizetype& i) {
        const qsizetype valueAt = i;
        const auto value = number(i);
        if (value &&
            std::find(kNoteValues.begin(), kNoteValues.end(), *value) == kNoteValues.end())
            fail(valueAt, QStringLiteral("Notenwert 1, 2, 4, 8, 16, 32 oder 64 erwartet"));
        static const QString kLetters = QStringLiteral("cdefgabhp");
        static const std::array<int, 8> kSemitones = {0, 2, 4, 5, 7, 9, 11, 11};
        const qsizetype letter = kLetters.indexOf(at(i).toLower());
        if (i >= m_end || letter < 0)
            fail(i, QStringLiteral("Note (c, d, e, f, g, a, b, h) oder Pause (p) erwartet"));
        const bool pause = letter == 8;
        const qsizetype noteAt = i;
        ++i;
        int semitone = pause ? 0 : kSemitones[std::size_t(letter)];
        if (at(i) == QLatin1Char('#')) {
            if (pause)
                fail(i, QStringLiteral("Eine Pause hat kein \"#\""));
            ++semitone;
            ++i;
        }
        bool dotted = false;
        if (at(i) == QLatin1Char('.')) {
            dotted = true;
            ++i;
        }
        int octave = m_octave;
        if (at(i).isDigit() && at(i).unicode() < 128) {
            octave = at(i).unicode() - '0';
            ++i;
        }
        if (at(i) == QLatin1Char('.')) {
            if (dotted)
                fail(i, QStringLiteral("\",\" erwartet"));
            dotted = true;
            ++i;
        }
        const qint64 length = noteLength(m_tempo, value.value_or(m_duration), dotted);
        if (pause)
            return {0, int(length)};
        if (semitone == 12) { // e# is f, b# the next octave's c
            semitone = 0;
            ++octave;
        }
        const int frequency = lookUp(octave, semitone);
        if (frequency <= 0)
            fail(noteAt, QStringLiteral("Die Note fehlt in der Notentabelle"));
        return {frequency, int(length)};
    }

    int lookUp(int octave, int semitone) {
        const int key = octave * 12 + semitone;
        auto found = m_known.constFind(key);
        if (found == m_known.constEnd()) {
            const QString name = QLatin1String(kTableNames[std::size_t(semitone)]) +
                                 QString::number(octave);
            found = m_known.insert(key, NoteNameToFrequency(m_table, name).toInt());
        }
        return *found;
    }

    const QString& m_text;
    const NoteTable& m_table;
    qsizetype m_end = 0;
    int m_duration = Rtttl::kDefaultDuration;
    int m_octave = Rtttl::kDefaultOctave;
    int m_tempo = Rtttl::kDefaultTempo;
    QHash<int, int> m_known;
};

struct TableNote {
    int frequency = 0;
    int octave = 0;
    int semitone = 0;
};

/// The table's notes by frequency, from the name cells ("C#-4") and the frequency cells.
QList<TableNote> tableNotes(const NoteTable& table) {
    QList<TableNote> notes;
    for (int row = 1; row < table.rowCount(); ++row) {
        const QString name = TrimBlanks(table.cell(NoteTable::kNameColumn, row));
        const qsizetype dash = name.indexOf(QLatin1Char('-'));
        bool ok = false;
        const int frequency = TrimBlanks(table.cell(NoteTable::kFrequencyColumn, row)).toInt(&ok);
        if (dash < 0 || !ok || frequency <= 0)
            continue;
        const auto semitone = std::find_if(kTableNames.begin(), kTableNames.end(), [&](auto n) {
            return name.left(dash) == QLatin1String(n);
        });
        const int octave = name.mid(dash + 1).toInt(&ok);
        if (semitone == kTableNames.end() || !ok || octave < 0 || octave > 9)
            continue;
        notes.append({frequency, octave, int(semitone - kTableNames.begin())});
    }
    std::sort(notes.begin(), notes.end(),
              [](const TableNote& a, const TableNote& b) { return a.frequency < b.frequency; });
    return notes;
}

/// The note whose pitch lies nearest (by ratio) to the frequency.
const TableNote& nearestNote(const QList<TableNote>& notes, int frequency) {
    const auto above = std::lower_bound(
        notes.begin(), notes.end(), frequency,
        [](const TableNote& note, int f) { return note.frequency < f; });
    if (above == notes.begin())
        return *above;
    if (above == notes.end())
        return notes.back();
    const auto below = above - 1;
    return std::log(double(frequency) / below->frequency) <=
                   std::log(double(above->frequency) / frequency)
               ? *below
               : *above;
}

struct NoteValue {
    qint64 length = 0;
    int value = 4;
    bool dotted = false;
    /// The length is the beat's exact fraction, with nothing cut off by whole milliseconds.
    bool exact = true;
};

/// Whether the note value's length at the tempo is a whole number of milliseconds without
/// truncation (so that a MIDI file with one tick per millisecond shows it as that value).
bool isExact(int tempo, int value, bool dotted) {
    const qint64 quarters = qint64(60000 / tempo) * 4;
    return quarters % value == 0 && (!dotted || (quarters / value) % 2 == 0);
}

/// The note values the writer uses at a tempo, shortest first.
std::vector<NoteValue> valuesAt(int tempo) {
    std::vector<NoteValue> values;
    for (int value : kNoteValues)
        for (bool dotted : {false, true})
            values.push_back({noteLength(tempo, value, dotted), value, dotted,
                              isExact(tempo, value, dotted)});
    std::stable_sort(values.begin(), values.end(),
                     [](const NoteValue& a, const NoteValue& b) { return a.length < b.length; });
    return values;
}

const NoteValue& nearestValue(const std::vector<NoteValue>& values, qint64 length) {
    const auto above = std::lower_bound(
        values.begin(), values.end(), length,
        [](const NoteValue& v, qint64 l) { return v.length < l; });
    if (above == values.begin())
        return *above;
    if (above == values.end())
        return values.back();
    const auto below = above - 1;
    return length - below->length <= above->length - length ? *below : *above;
}

} // namespace

namespace Rtttl {

QList<PlayedTone> read(const QString& text, const NoteTable& table) {
    return Reader(text, table).read();
}

TempoFit fitTempo(const QList<PlayedTone>& tones) {
    // Distinct durations with their counts: a song holds few, however long it is.
    QMap<qint64, qint64> durations;
    for (const PlayedTone& tone : tones)
        if (tone.durationMs > 0)
            ++durations[tone.durationMs];

    // The smallest largest error decides, then the smallest sum of errors; among tempos that fit
    // equally well, the one whose note values divide the beat exactly, then the one whose notes
    // are mostly quarters and eighths reads most naturally.
    TempoFit fit;
    using Score = std::tuple<qint64, qint64, qint64, qint64>;
    Score best{std::numeric_limits<qint64>::max(), 0, 0, 0};
    for (int tempo = kLowestTempo; tempo <= kHighestTempo; ++tempo) {
        const auto values = valuesAt(tempo);
        qint64 largest = 0, sum = 0, cut = 0, unusual = 0;
        for (auto it = durations.cbegin(); it != durations.cend(); ++it) {
            const NoteValue& value = nearestValue(values, it.key());
            const qint64 error = std::llabs(value.length - it.key());
            largest = std::max(largest, error);
            if (largest > std::get<0>(best))
                break;
            sum += error * it.value();
            cut += value.exact ? 0 : it.value();
            const int steps = std::abs(std::countr_zero(unsigned(value.value)) - 2);
            unusual += (std::max(steps - 1, 0) * 2 + int(value.dotted)) * it.value();
        }
        const Score score{largest, sum, cut, unusual};
        if (score < best) {
            best = score;
            fit.tempo = tempo;
        }
    }
    const qint64 bestLargest = std::get<0>(best);
    fit.largestErrorMs = durations.isEmpty() ? 0 : int(std::min<qint64>(bestLargest, INT_MAX));
    return fit;
}

Written write(const QList<PlayedTone>& tones, const QString& name, const NoteTable& table) {
    Written written;
    const TempoFit fit = fitTempo(tones);
    written.tempo = fit.tempo;
    written.largestErrorMs = fit.largestErrorMs;

    // The defaults are the most common note value and octave, so most notes need neither.
    const auto values = valuesAt(written.tempo);
    const QList<TableNote> notes = tableNotes(table);
    QMap<int, int> valueCount, octaveCount;
    struct Written1 {
        const NoteValue* value;
        const TableNote* note;
    };
    std::vector<Written1> items;
    for (const PlayedTone& tone : tones) {
        if (tone.durationMs <= 0)
            continue;
        const NoteValue& value = nearestValue(values, tone.durationMs);
        const TableNote* note =
            tone.frequency > 0 && !notes.isEmpty() ? &nearestNote(notes, tone.frequency) : nullptr;
        items.push_back({&value, note});
        if (!value.dotted)
            ++valueCount[value.value];
        if (note)
            ++octaveCount[note->octave];
    }
    // (ties keep the usual default)
    const auto mostCommon = [](const QMap<int, int>& counts, int fallback) {
        int best = fallback, most = counts.value(fallback);
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.value() > most) {
                most = it.value();
                best = it.key();
            }
        return best;
    };
    const int duration = mostCommon(valueCount, 4);
    // Strict players take only octaves 4 … 7, also as the default.
    QMap<int, int> playable;
    for (auto it = octaveCount.cbegin(); it != octaveCount.cend(); ++it)
        if (it.key() >= 4 && it.key() <= 7)
            playable.insert(it.key(), it.value());
    const int octave = mostCommon(playable, 5);

    QString title;
    for (QChar c : name)
        if (c != QLatin1Char(':') && c != QLatin1Char(',') && c.unicode() >= 32 &&
            c.unicode() != 127 && !(c.unicode() >= 0x80 && c.unicode() < 0xA0) &&
            c.category() != QChar::Other_Control)
            title += c;
    title = title.trimmed();
    if (title.isEmpty())
        title = QStringLiteral("Z1rpW3rk");

    QByteArray text = title.toUtf8();
    text += ":d=" + QByteArray::number(duration) + ",o=" + QByteArray::number(octave) +
            ",b=" + QByteArray::number(written.tempo) + ":";
    bool first = true;
    for (const Written1& item : items) {
        if (!first)
            text += ',';
        first = false;
        if (item.value->value != duration)
            text += QByteArray::number(item.value->value);
        if (item.note) {
            const QByteArray letters = kTextNames[std::size_t(item.note->semitone)];
            text += letters;
            if (item.note->octave != octave)
                text += QByteArray::number(item.note->octave);
            if (item.note->octave < 4 || item.note->octave > 7) {
                const QString shown =
                    QString::fromLatin1(letters + QByteArray::number(item.note->octave));
                if (!written.outsideOctaves.contains(shown))
                    written.outsideOctaves.append(shown);
            }
        } else {
            text += 'p';
        }
        if (item.value->dotted)
            text += '.';
    }
    text += '\n';
    written.text = text;
    return written;
}

} // namespace Rtttl
