#pragma once

#include "base/Prompts.h"
#include "files/MidiFile.h"

#include <QObject>

class SongFileActions;
struct Settings;

/// "Import" → "MIDI-File (.mid / .midi)" and "Exportieren" → "MIDI-Datei (.mid)...".
class MidiFileActions final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MidiFileActions)

public:
    /// Works on the song of @p songFiles, whose replacing step the import shares; the export
    /// sounds the tracks as @p settings say at the moment it runs.
    MidiFileActions(SongFileActions& songFiles, const Settings& settings);

    static Prompts::FileDialog importDialog();
    static Prompts::FileDialog exportDialog();

    /// The tracks as MIDI-Out sounds them: instruments, drum keys and velocities of the
    /// settings' MIDI page.
    static MidiFile::TrackSetup trackSetup(const Settings& settings, int track);

    void MIDIFilemidmidi1Click();
    void exportClick();

    /// Replaces the song by a MIDI file's notes once the file is read and the user let the song
    /// go (`mayReplaceSong`); a file that cannot be read leaves the song as
    /// it was and throws.
    void importFile(const QString& fileName);
    /// The song as a MIDI file's bytes; throws for a song whose lists differ in length.
    QByteArray exportBytes() const;

signals:
    /// A file was imported completely.
    void opened(const QString& fileName);

private:
    SongFileActions& m_songFiles;
    const Settings& m_settings;
};
