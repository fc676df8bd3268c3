#include "files/EmptySong.h"

#include "base/Errors.h"
#include "base/ListItems.h"
#include "song/Song.h"

void refuseEmptyExport(const Song& song) {
    if (song.Memo1->count() == 0)
        throw AppError(QStringLiteral("Das Lied ist leer und wurde nicht exportiert."));
}
