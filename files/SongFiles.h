#pragma once

#include "files/BeepFormatActions.h"
#include "files/BmmImporter.h"
#include "files/MidiFileActions.h"
#include "files/SongFileActions.h"

class Song;
struct Settings;

/// The file commands of one song: opening and saving, the .bmm, MIDI and ringtone imports and
/// the exports. The main window connects its menu items to them; the command line runs them on
/// a song of its own, with no window.
class SongFiles final {
    Q_DISABLE_COPY_MOVE(SongFiles)

public:
    /// The imports and exports read @p settings at the moment they run.
    SongFiles(Song& song, const Settings& settings, SongFileView& view, ProgressSink& progress);

    SongFileActions songFiles;
    BmmImporter bmmImport;
    MidiFileActions midiFiles;
    BeepFormatActions beepFormats;

    /// Whether a file of this name can be opened by `open` (by its extension).
    static bool canOpen(const QString& fileName);
    /// Opens the file the way its kind is opened from the menu: a .bmm, MIDI or ringtone file
    /// with its import, any other as a song file ("Öffnen"). False only when a song file was
    /// not opened because the user kept the changed song.
    bool open(const QString& fileName);
};
