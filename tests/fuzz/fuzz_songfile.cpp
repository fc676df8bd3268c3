// The song file reader on any bytes: the four lists stay equal, a short line is reported with
// fewer than four fields, and a song whose items are plain values reads back from its own file.

#include "FuzzCheck.h"
#include "files/SongFormat.h"

#include <cstddef>
#include <cstdint>

namespace {

/// An item that the file keeps as it is: no blank or control character (they end a field), no
/// "|", no leading double quote (that starts a quoted field).
bool plain(const QString& item) {
    if (item.startsWith(QLatin1Char('"')))
        return false;
    for (const QChar c : item)
        if ((c.unicode() >= 1 && c.unicode() <= 32) || c == QLatin1Char('|'))
            return false;
    return true;
}

bool allPlain(const SongTracks& song) {
    for (const PackedTexts* list : {&song.freq1, &song.dur1, &song.freq2, &song.dur2})
        for (const QString& item : list->toList())
            if (!plain(item))
                return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const SongFormat::ReadResult result = SongFormat::read(bytes);
    const SongTracks& song = result.song;
    fuzzCheck(song.dur1.size() == song.freq1.size() && song.freq2.size() == song.freq1.size() &&
                  song.dur2.size() == song.freq1.size(),
              "the four lists have equal length");
    fuzzCheck(song.freq1.size() <= bytes.count('\n') + 1, "at most one song line per text line");
    if (result.shortLineFields)
        fuzzCheck(*result.shortLineFields >= 0 && *result.shortLineFields < 4,
                  "a short line yields fewer than four fields");

    // The line splitter on its own stops at the number of fields asked for.
    const qsizetype firstEnd = bytes.indexOf('\n');
    const QByteArray firstLine = firstEnd < 0 ? bytes : bytes.left(firstEnd);
    fuzzCheck(SongFormat::splitLine(firstLine, 2).size() <= 2, "splitting stops at the limit");

    if (allPlain(song)) {
        const SongFormat::ReadResult again = SongFormat::read(SongFormat::write(song));
        fuzzCheck(!again.shortLineFields, "a written song has no short line");
        fuzzCheck(again.song.freq1 == song.freq1 && again.song.dur1 == song.dur1 &&
                      again.song.freq2 == song.freq2 && again.song.dur2 == song.dur2,
                  "a song of plain items reads back from its file");
    }
    return 0;
}
