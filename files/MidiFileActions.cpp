#include "files/MidiFileActions.h"

#include "files/EmptySong.h"
#include "base/Errors.h"
#include "base/ListItems.h"
#include "base/StrToInt.h"
#include "base/FileAccess.h"
#include "files/MidiVoices.h"
#include "files/SongFileActions.h"
#include "settings/Settings.h"
#include "song/Song.h"
#include "song/NoteTable.h"

#include <QHash>

#include <algorithm>

#include <limits>

namespace {

const QString kTrackError = QStringLiteral("Fehler im Track");

} // namespace

MidiFileActions::MidiFileActions(SongFileActions& songFiles, const Settings& settings)
    : m_songFiles(songFiles), m_settings(settings) {}

Prompts::FileDialog MidiFileActions::importDialog() {
    Prompts::FileDialog dialog;
    dialog.title = QStringLiteral("MIDI-Datei importieren");
    dialog.filter = QStringLiteral("MIDI-Dateien (.mid, .midi)|*.mid;*.midi");
    dialog.defaultExt = QStringLiteral(".mid");
    return dialog;
}

Prompts::FileDialog MidiFileActions::exportDialog() {
    Prompts::FileDialog dialog;
    dialog.title = QStringLiteral("MIDI-Datei exportieren");
    dialog.filter = QStringLiteral("MIDI-Dateien (.mid)|*.mid");
    dialog.defaultExt = QStringLiteral(".mid");
    return dialog;
}

MidiFile::TrackSetup MidiFileActions::trackSetup(const Settings& settings, int track) {
    const Settings::MidiTrack& sound = settings.midiTrack(track);
    MidiFile::TrackSetup setup;
    setup.channel = track - 1;
    setup.program = std::max(0, sound.instrument);
    setup.drumKey = 35 + std::max(0, sound.drum);
    setup.drum = sound.drumMode;
    setup.velocity = sound.velocity;
    // The track names a MIDI program shows, in the language the settings choose.
    setup.name = (settings.language == 1 ? QByteArrayLiteral("Track ") : QByteArrayLiteral("Spur ")) +
                 QByteArray::number(track);
    return setup;
}

void MidiFileActions::MIDIFilemidmidi1Click() {
    if (const auto fileName = prompts().openFile(importDialog()))
        importFile(*fileName);
}

void MidiFileActions::exportClick() {
    const Song& f = m_songFiles.song();
    const int n = f.Memo1->count();
    if (f.Memo2->count() != n || f.Memo3->count() != n || f.Memo4->count() != n) {
        prompts().messageBox(kTrackError, QStringLiteral("Z1rpW3rk"), Prompts::Icon::Warning);
        return;
    }
    refuseEmptyExport(f);
    const QByteArray bytes = exportBytes();
    if (const auto fileName = prompts().saveFile(exportDialog())) {
        FileAccess::saveAll(*fileName, bytes);
        emit m_songFiles.wrote(*fileName);
    }
}

QByteArray MidiFileActions::exportBytes() const {
    const Song& f = m_songFiles.song();
    const int n = f.Memo1->count();
    if (f.Memo2->count() != n || f.Memo3->count() != n || f.Memo4->count() != n)
        throw AppError(kTrackError);
    const NoteTable& notes = NoteTable::stored();
    QHash<QString, int> known;
    const auto note = [&](const QString& frequency) {
        auto found = known.constFind(frequency);
        if (found == known.constEnd())
            found = known.insert(frequency, FrequencyToMidiNote(notes, frequency));
        return *found;
    };
    const QStringList f1 = f.Memo1->items();
    const QStringList d1 = f.Memo2->items();
    const QStringList f2 = f.Memo3->items();
    QList<MidiFile::Line> lines;
    lines.reserve(n);
    for (int i = 0; i < n; ++i)
        lines.append({note(f1[i]), note(f2[i]), StrToInt(d1[i])});
    return MidiFile::write(lines, trackSetup(m_settings, 1), trackSetup(m_settings, 2));
}

void MidiFileActions::importFile(const QString& fileName) {
    // Everything is read and checked before the song is touched.
    const MidiFile::Sequence sequence = MidiFile::read(FileAccess::readAll(fileName));
    if (MidiVoices::busiestChannels(sequence).first < 0)
        throw AppError(QStringLiteral("Die MIDI-Datei enthält keine Noten und wurde nicht "
                                      "importiert."));
    const QList<MidiVoices::ImportedLine> lines = MidiVoices::toLines(sequence);
    const NoteTable& notes = NoteTable::stored();
    QHash<int, QString> known;
    const auto frequency = [&](int note) {
        auto found = known.constFind(note);
        if (found == known.constEnd()) {
            const int hz = note >= 0 ? MidiNoteToFrequency(notes, QString::number(note)) : 0;
            found = known.insert(note, QString::number(std::max(hz, 0)));
        }
        return *found;
    };
    QStringList freq1, freq2, durations;
    for (const MidiVoices::ImportedLine& line : lines) {
        if (line.durationMs > std::numeric_limits<int>::max())
            throw AppError(QStringLiteral("Die MIDI-Datei enthält eine Note, die länger als "
                                          "24 Tage klingt, und wurde nicht importiert."));
        freq1.append(frequency(line.note1));
        freq2.append(frequency(line.note2));
        durations.append(QString::number(line.durationMs));
    }

    if (m_songFiles.replaceByImport(fileName, freq1, freq2, durations))
        emit opened(fileName);
}
