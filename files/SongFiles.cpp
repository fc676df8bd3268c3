#include "files/SongFiles.h"

#include <QFileInfo>

SongFiles::SongFiles(Song& song, const Settings& settings, SongFileView& view,
                     ProgressSink& progress)
    : songFiles(song, view, progress), bmmImport(songFiles, settings),
      midiFiles(songFiles, settings), beepFormats(songFiles) {}

bool SongFiles::canOpen(const QString& fileName) {
    static const QStringList kinds = {QStringLiteral("zwk"),   QStringLiteral("bmm"),
                                      QStringLiteral("mid"),   QStringLiteral("midi"),
                                      QStringLiteral("rtttl"), QStringLiteral("rtx"),
                                      QStringLiteral("txt"),   QStringLiteral("gcode"),
                                      QStringLiteral("gco"),   QStringLiteral("g")};
    return kinds.contains(QFileInfo(fileName).suffix().toLower());
}

bool SongFiles::open(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("bmm"))
        bmmImport.importFile(fileName);
    else if (suffix == QLatin1String("mid") || suffix == QLatin1String("midi"))
        midiFiles.importFile(fileName);
    else if (const auto kind = BeepFormatActions::kindOf(fileName);
             kind == BeepFormatActions::Kind::Rtttl || kind == BeepFormatActions::Kind::GCode)
        beepFormats.importFile(fileName);
    else
        return songFiles.openSong(fileName);
    return true;
}
