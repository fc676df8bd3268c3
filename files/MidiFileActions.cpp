#include "files/MidiFileActions.h"

#include "base/Errors.h"
#include "base/ListItems.h"
#include "base/StrToInt.h"
#include "files/FileAccess.h"
#include "files/MidiVoices.h"
#include "files/SongFileActions.h"
#include "settings/SettingsDialog.h"
#include "song/Forms.h"
#include "song/Song.h"
#include "tools/NoteTable.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QHash>

#include <limits>

namespace {

const QString kTrackError = QStringLiteral("Fehler im Track");

} // namespace

MidiFileActions::MidiFileActions(SongFileActions& songFiles) : m_songFiles(songFiles) {}

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

MidiFile::TrackSetup MidiFileActions::trackSetup(const TForm6* settings, int track) {
    MidiFile::TrackSetup setup;
    setup.channel = track - 1;
    if (!settings)
        return setup;
    const QString n = QString::number(track);
    if (const auto* instrument = settings->findChild<QComboBox*>(QStringLiteral("cbMidiNote") + n))
        setup.program = std::max(0, instrument->currentIndex());
    if (const auto* drum = settings->findChild<QComboBox*>(QStringLiteral("cbDrum") + n))
        setup.drumKey = 35 + std::max(0, drum->currentIndex());
    // The melody/drum toggle's hint names the mode.
    const QString toggle = QStringLiteral("BitBtn") + QString::number(track + 2);
    if (const auto* mode = settings->findChild<QAbstractButton*>(toggle))
        setup.drum = mode->toolTip() == QStringLiteral("Drum");
    if (const auto* velocity =
            settings->findChild<QAbstractSlider*>(QStringLiteral("TrackBar") + n))
        setup.velocity = velocity->value();
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
    const QByteArray bytes = exportBytes();
    if (const auto fileName = prompts().saveFile(exportDialog()))
        FileAccess::saveAll(*fileName, bytes);
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
    const TForm6* settings = forms().Form6;
    return MidiFile::write(lines, trackSetup(settings, 1), trackSetup(settings, 2));
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
