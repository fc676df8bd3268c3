#include "files/BmmFormat.h"

#include "base/IntMath.h"

namespace {

/// Columns are 1-based character positions, three characters each.
struct NoteValue {
    char key;           ///< the third character of the line
    int note1;          ///< first column of note 1
    int note2Tries[3];  ///< first columns where note 2 is tried, in order
    int beatsTimesFour; ///< plain duration in quarter beats ×4 (whole = 16)
};

constexpr NoteValue kValues[] = {
    {'o', 7, {9, 10, 11}, 16}, // whole
    {'l', 6, {8, 9, 10}, 8},   // half
    {'a', 9, {11, 12, 13}, 4}, // quarter
    {'8', 5, {7, 8, 9}, 2},    // eighth
    {'1', 6, {8, 9, 10}, 1},   // sixteenth
};

const NoteValue* valueFor(QChar key) {
    for (const NoteValue& value : kValues)
        if (key == QLatin1Char(value.key))
            return &value;
    return nullptr;
}

/// Three characters from a 1-based column; positions beyond the line count as blanks.
QString window(const QString& line, int column) {
    return line.mid(column - 1, 3);
}

/// The duration of a note value at beat b (ms), plain or dotted.
int duration(const NoteValue& value, int beat, bool dotted) {
    // Every division truncates toward zero, in this order.
    switch (value.beatsTimesFour) {
    case 16:
        return dotted ? 6 * beat : 4 * beat;
    case 8:
        return dotted ? 3 * beat : 2 * beat;
    case 4:
        return dotted ? IntDiv(3 * beat, 2) : beat;
    case 2:
        return dotted ? IntDiv(3 * IntDiv(beat, 2), 2) : IntDiv(beat, 2);
    default:
        return dotted ? IntDiv(3 * IntDiv(beat, 4), 2) : IntDiv(beat, 4);
    }
}

} // namespace

namespace BmmFormat {

QStringList splitLines(QByteArrayView data) {
    QStringList lines;
    const char* p = data.data();
    const char* end = p + data.size();
    const char* start = p;
    while (p < end) {
        if (*p == '\r' || *p == '\n') {
            lines.append(QString::fromLatin1(start, p - start));
            if (*p == '\r' && p + 1 < end && p[1] == '\n')
                ++p;
            start = ++p;
        } else {
            ++p;
        }
    }
    if (start < end)
        lines.append(QString::fromLatin1(start, end - start));
    return lines;
}

std::optional<int> tempoLine(const QStringList& lines) {
    std::optional<int> found;
    for (int i = 0; i < lines.size(); ++i)
        if (lines.at(i).startsWith(QLatin1String("BP")))
            found = i;
    return found;
}

QString tempoText(const QString& line) {
    return line.mid(4, 3);
}

NoteReader::NoteReader(int tempo, NoteLookup lookup)
    : m_tempo(tempo), m_lookup(std::move(lookup)) {}

std::optional<Row> NoteReader::read(const QString& line) {
    const QString s = line + QLatin1Char(' ');
    if (line == QLatin1String(kStartMarker))
        m_started = true;
    if (!m_started || s.size() < 3)
        return std::nullopt;
    const NoteValue* value = valueFor(s.at(2));
    if (!value)
        return std::nullopt;

    const int beat = IntDiv(60000, m_tempo);
    const bool dotted = s.toLower().contains(QLatin1String("dot"));
    Row row;
    row.duration = QString::number(duration(*value, beat, dotted));
    row.freq1 = m_lookup(window(s, value->note1));
    row.freq2 = QStringLiteral("0");
    for (const int column : value->note2Tries)
        if (row.freq2 == QLatin1String("0"))
            row.freq2 = m_lookup(window(s, column));
    return row;
}

qsizetype noteLineCount(const QStringList& lines) {
    qsizetype count = 0;
    bool started = false;
    for (const QString& line : lines) {
        started = started || line == QLatin1String(kStartMarker);
        // The third character of the line with a blank appended.
        if (started && line.size() >= 2 && valueFor(line.size() > 2 ? line.at(2) : QChar(' ')))
            ++count;
    }
    return count;
}

} // namespace BmmFormat
