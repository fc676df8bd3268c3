#pragma once

#include "base/Prompts.h"
#include "files/MidiFile.h"

#include <QObject>

#include <optional>

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

    /// Whether the import keeps the lines shorter than MidiVoices::kShortLineMs that another
    /// program's file holds. Unset, the import asks when a file has such lines.
    void setKeepShortLines(std::optional<bool> keep) { m_keepShortLines = keep; }
    /// The question before such lines are joined (OK imports, Cancel keeps the song), with the
    /// check box that keeps them.
    static QString shortLinesQuestion(qsizetype count);
    static QString keepShortLinesText();

    /// Replaces the song by a MIDI file's notes once the file is read and the user let the song
    /// go (`mayReplaceSong`); a file that cannot be read leaves the song as
    /// it was and throws. Each note takes the note table's frequency of its own octave, a bent
    /// note its exact frequency.
    void importFile(const QString& fileName);
    /// The song as a MIDI file's bytes; throws for a song whose lists differ in length. Each
    /// tone sounds at the nearest note with a pitch bend; the tempo is the one whose note values
    /// fit the durations best. @p warning receives the text about tones beyond MIDI's range,
    /// which are left out (empty when there are none).
    QByteArray exportBytes(QString* warning = nullptr) const;
    /// "Zeile 3: 5 Hz liegt außerhalb des Tonumfangs von MIDI (8 bis 12.911 Hz) …"
    static QString outOfRangeText(int line, int hertz, int count);

signals:
    /// A file was imported completely.
    void opened(const QString& fileName);

private:
    SongFileActions& m_songFiles;
    const Settings& m_settings;
    std::optional<bool> m_keepShortLines;
};
