#include "audio/PlayableLine.h"

#include "base/ListItems.h"
#include "base/StrToInt.h"
#include "song/Song.h"

namespace PlayableLine {

namespace {

QString itemOf(const ListItems* list, int line) {
    return line >= 0 && line < list->count() ? list->item(line) : QString();
}

std::optional<int> inRange(const ListItems* list, int line, int highest) {
    const std::optional<int> value = TryStrToInt(itemOf(list, line));
    if (!value || *value < 0 || *value > highest)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<Values> read(const Song& song, int line) {
    const auto f1 = inRange(song.Memo1, line, kHighestFrequency);
    const auto d1 = inRange(song.Memo2, line, kLongestDuration);
    const auto f2 = inRange(song.Memo3, line, kHighestFrequency);
    const auto d2 = inRange(song.Memo4, line, kLongestDuration);
    if (!f1 || !d1 || !f2 || !d2)
        return std::nullopt;
    return Values{*f1, *d1, *f2, *d2};
}

QString message(const Song& song, int line) {
    const QString text = QStringList{itemOf(song.Memo1, line), itemOf(song.Memo2, line),
                                     itemOf(song.Memo3, line), itemOf(song.Memo4, line)}
                             .join(QLatin1Char('|'));
    return QStringLiteral("Zeile %1 kann nicht gespielt werden: \"%2\". Frequenzen sind ganze "
                          "Zahlen von 0 bis %3 Hz, Dauern ganze Zahlen ab 0 ms.")
        .arg(line)
        .arg(text)
        .arg(kHighestFrequency);
}

} // namespace PlayableLine
