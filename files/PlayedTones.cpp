#include "files/PlayedTones.h"

#include "base/StrToInt.h"

QList<PlayedTone> playedTones(const SongTracks& song) {
    QList<PlayedTone> tones;
    tones.reserve(song.freq1.size());
    for (qsizetype i = 0; i < song.freq1.size(); ++i) {
        int frequency = StrToInt(song.freq1[i]);
        if (frequency == 0)
            frequency = StrToInt(song.freq2.value(i));
        tones.append({frequency, StrToInt(song.dur1.value(i))});
    }
    return tones;
}
