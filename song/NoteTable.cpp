#include "song/NoteTable.h"

#include "base/StrToInt.h"

#include <QFile>

const char* const NoteTable::kResourcePath = ":/notetable/notetable.txt";

namespace {

const QString kHeader[NoteTable::kColumnCount] = {
    QStringLiteral("Note"), QStringLiteral("Frequenz"), QStringLiteral("MIDI-Note")};

// Scans rows 1 … rowCount − 1 without stopping early: with several matches the last one wins.
template <typename Match> int lastMatchingRow(const NoteTable& table, Match match) {
    int found = -1;
    for (int row = 1; row < table.rowCount(); ++row)
        if (match(row))
            found = row;
    return found;
}

int lookUp(const NoteTable& table, const QString& text, int compared, int result) {
    const QString key = TrimBlanks(text);
    const int row =
        lastMatchingRow(table, [&](int r) { return TrimBlanks(table.cell(compared, r)) == key; });
    return row < 0 ? -2 : StrToInt(table.cell(result, row));
}

} // namespace

QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= u' ')
        ++first;
    while (last > first && text[last - 1].unicode() <= u' ')
        --last;
    return text.mid(first, last - first);
}

NoteTable::NoteTable() {
    Row header;
    for (int c = 0; c < kColumnCount; ++c)
        header.cells[c] = kHeader[c];
    m_rows.append(header);
}

QHash<int, QString> NoteTable::parseStringTable(const QByteArray& data) {
    QHash<int, QString> strings;
    for (QByteArray line : data.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype tab = line.indexOf('\t');
        if (tab <= 0)
            continue;
        bool ok = false;
        const int key = line.left(tab).toInt(&ok);
        if (ok)
            strings.insert(key, QString::fromUtf8(line.mid(tab + 1)));
    }
    return strings;
}

NoteTable NoteTable::load(const QHash<int, QString>& strings) {
    NoteTable table;
    const int count = TryStrToInt(strings.value(kCountKey)).value_or(0);
    for (int r = 1; r < count; ++r) {
        const QStringList parts = strings.value(kRowKeyBase + r).split(QLatin1Char('='));
        Row row;
        for (int c = 0; c < kColumnCount && c < parts.size(); ++c)
            row.cells[c] = parts[c];
        table.m_rows.append(row);
    }
    return table;
}

NoteTable NoteTable::loadStored() {
    QFile file(QString::fromLatin1(kResourcePath));
    if (!file.open(QIODevice::ReadOnly))
        return NoteTable();
    return load(parseStringTable(file.readAll()));
}

const NoteTable& NoteTable::stored() {
    static const NoteTable table = loadStored();
    return table;
}

QString NoteTable::cell(int column, int row) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumnCount)
        return QString();
    return m_rows[row].cells[column];
}

QString NoteNameToFrequency(const NoteTable& table, const QString& name) {
    QString key = TrimBlanks(name);
    if (key.contains(QLatin1Char('B')))
        key[0] = QLatin1Char('H');
    const int row = lastMatchingRow(table, [&](int r) {
        QString cell = table.cell(NoteTable::kNameColumn, r);
        const qsizetype dash = cell.indexOf(QLatin1Char('-'));
        if (dash >= 0)
            cell.remove(dash, 1);
        return TrimBlanks(cell) == key;
    });
    return row < 0 ? QStringLiteral("0") : table.cell(NoteTable::kFrequencyColumn, row);
}

int FrequencyToMidiNote(const NoteTable& table, const QString& frequency) {
    return lookUp(table, frequency, NoteTable::kFrequencyColumn, NoteTable::kMidiColumn);
}

int MidiNoteToFrequency(const NoteTable& table, const QString& midiNote) {
    return lookUp(table, midiNote, NoteTable::kMidiColumn, NoteTable::kFrequencyColumn);
}
