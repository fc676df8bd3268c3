// The BMM import's reading on any bytes, with the note table the program ships: the tempo line
// and its text, then every note line after the start marker. Each song line has a whole-number
// duration and frequencies from the table ("0" for no note); only a tempo of 0 may stop it.

#include "FuzzCheck.h"
#include "base/Errors.h"
#include "base/StrToInt.h"
#include "files/BmmFormat.h"
#include "song/NoteTable.h"

#include <QHash>

#include <cstddef>
#include <cstdint>

namespace {

/// The table's answer for a name; as in the import, each name is looked up once (a lookup scans
/// the whole table).
QString frequencyOf(const QString& name) {
    static const NoteTable table = NoteTable::loadStored();
    static QHash<QString, QString> known;
    auto found = known.constFind(name);
    if (found == known.constEnd()) {
        if (known.size() > 100000)
            known.clear();
        found = known.insert(name, NoteNameToFrequency(table, name));
    }
    return *found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList lines =
        BmmFormat::splitLines(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    for (const QString& line : lines)
        fuzzCheck(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')),
                  "lines hold no line end");
    const std::optional<int> tempoLine = BmmFormat::tempoLine(lines);
    if (!tempoLine)
        return 0;
    fuzzCheck(lines.at(*tempoLine).startsWith(QLatin1String("BP")), "the tempo line begins BP");
    const QString tempoText = BmmFormat::tempoText(lines.at(*tempoLine));
    fuzzCheck(tempoText.size() <= 3, "the tempo is at most three characters");
    const std::optional<int> tempo = TryStrToInt(tempoText);
    if (!tempo)
        return 0;

    BmmFormat::NoteReader reader(*tempo, frequencyOf);
    try {
        for (const QString& line : lines) {
            const std::optional<BmmFormat::Row> row = reader.read(line);
            if (!row)
                continue;
            fuzzCheck(reader.started(), "no song line before the start marker");
            fuzzCheck(TryStrToInt(row->duration).has_value(), "the duration is a whole number");
            fuzzCheck(TryStrToInt(row->freq1).has_value() && TryStrToInt(row->freq2).has_value(),
                      "frequencies are whole numbers");
        }
    } catch (const EDivByZero&) {
        fuzzCheck(*tempo == 0, "only a tempo of 0 divides by zero");
    }
    return 0;
}
