#include "files/MidiFileActions.h"

#include "files/EmptySong.h"
#include "base/Errors.h"
#include "base/ListItems.h"
#include "base/StrToInt.h"
#include "base/FileAccess.h"
#include "files/MidiVoices.h"
#include "files/PlayedTones.h"
#include "files/Rtttl.h"
#include "files/SongFormat.h"
#include "files/SongFileActions.h"
#include "settings/Settings.h"
#include "song/Song.h"
#include "song/NoteTable.h"

#include <QHash>

#include <algorithm>
#include <cmath>

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
    QString warning;
    const QByteArray bytes = exportBytes(&warning);
    const auto fileName = prompts().saveFile(exportDialog());
    if (!fileName)
        return;
    FileAccess::saveAll(*fileName, bytes);
    emit m_songFiles.wrote(*fileName);
    if (!warning.isEmpty())
        prompts().messageBox(warning, QStringLiteral("Z1rpW3rk"), Prompts::Icon::Warning);
}

QString MidiFileActions::outOfRangeText(int line, int hertz, int count) {
    return QStringLiteral("Zeile %1: %2 Hz liegt außerhalb des Tonumfangs von MIDI (8 bis "
                          "12.911 Hz). %3 Töne außerhalb wurden ausgelassen.")
        .arg(line)
        .arg(hertz)
        .arg(count);
}

QByteArray MidiFileActions::exportBytes(QString* warning) const {
    const Song& f = m_songFiles.song();
    const int n = f.Memo1->count();
    if (f.Memo2->count() != n || f.Memo3->count() != n || f.Memo4->count() != n)
        throw AppError(kTrackError);
    const PackedTexts f1 = f.Memo1->texts();
    const PackedTexts d1 = f.Memo2->texts();
    const PackedTexts f2 = f.Memo3->texts();
    // A song repeats few frequencies: each is converted once.
    QHash<QString, int> hertz;
    const auto toHertz = [&](const QString& text) {
        auto found = hertz.constFind(text);
        if (found == hertz.constEnd())
            found = hertz.insert(text, StrToInt(text));
        return *found;
    };
    int firstOutside = -1, outsideHertz = 0, outside = 0;
    QList<MidiFile::Line> lines;
    QList<PlayedTone> durations;
    lines.reserve(n);
    durations.reserve(n);
    for (int i = 0; i < n; ++i) {
        MidiFile::Line line;
        line.durationMs = StrToInt(d1[i]);
        for (int t = 0; t < 2; ++t) {
            const int frequency = toHertz(t == 0 ? f1[i] : f2[i]);
            if (frequency <= 0)
                continue;
            const auto pitch = MidiFile::pitchOf(frequency);
            if (!pitch) {
                if (outside++ == 0) {
                    firstOutside = i;
                    outsideHertz = frequency;
                }
                continue;
            }
            (t == 0 ? line.note1 : line.note2) = pitch->note;
            (t == 0 ? line.bend1 : line.bend2) = pitch->bend;
        }
        lines.append(line);
        durations.append({0, line.durationMs});
    }
    if (warning)
        *warning = outside > 0 ? outOfRangeText(firstOutside, outsideHertz, outside) : QString();
    // One tick is one millisecond; a quarter note lasts the beat of the best-fitting tempo.
    const int quarterMs = 60000 / Rtttl::fitTempo(durations).tempo;
    durations = QList<PlayedTone>(); // a long song's file is written without them
    return MidiFile::write(lines, trackSetup(m_settings, 1), trackSetup(m_settings, 2),
                           quarterMs);
}

QString MidiFileActions::shortLinesQuestion(qsizetype count) {
    return QStringLiteral("Die MIDI-Datei ergibt %1 Zeilen kürzer als %2 ms, wie sie kleine "
                          "Lücken und versetzte Akkorde anderer Programme hinterlassen. Sie "
                          "werden mit ihren Nachbarn verbunden; die Länge des Liedes bleibt.")
        .arg(count)
        .arg(MidiVoices::kShortLineMs);
}

QString MidiFileActions::keepShortLinesText() {
    return QStringLiteral("Kurze Zeilen behalten");
}

void MidiFileActions::importFile(const QString& fileName) {
    // Everything is read and checked before the song is touched.
    const MidiFile::Sequence sequence = MidiFile::read(FileAccess::readAll(fileName));
    if (MidiVoices::busiestChannels(sequence).first < 0)
        throw AppError(QStringLiteral("Die MIDI-Datei enthält keine Noten und wurde nicht "
                                      "importiert."));
    QList<MidiVoices::ImportedLine> lines = MidiVoices::toLines(sequence);
    // Files of this program hold exactly the song's lines, the shortest included.
    if (sequence.firstTrackName != MidiFile::kWriterName) {
        QList<MidiVoices::ImportedLine> joined = lines;
        if (const qsizetype count = MidiVoices::joinShortLines(joined); count > 0) {
            bool keep = m_keepShortLines.value_or(false);
            if (!m_keepShortLines &&
                prompts().questionWithCheckBox(shortLinesQuestion(count),
                                               QStringLiteral("Z1rpW3rk"),
                                               keepShortLinesText(), keep) != Prompts::Answer::Ok)
                return;
            if (!keep)
                lines = std::move(joined);
        }
    }
    const NoteTable& notes = NoteTable::stored();
    QHash<int, QString> known;
    // A note takes the table's row of its own octave (116 is G#-8, not G#-9); a note the table
    // lacks, or a bent one, its exact frequency.
    const auto frequency = [&](int note, double bend) {
        if (note < 0)
            return QStringLiteral("0");
        if (bend != 0)
            return QString::number(std::lround(MidiFile::frequencyOf(note, bend)));
        auto found = known.constFind(note);
        if (found == known.constEnd()) {
            static const char* const names[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                                  "F#", "G",  "G#", "A",  "A#", "H"};
            QString hz = NoteNameToFrequency(
                notes, QLatin1String(names[note % 12]) + QString::number(note / 12 - 1));
            if (hz == QLatin1String("0"))
                hz = QString::number(std::lround(MidiFile::frequencyOf(note, 0)));
            found = known.insert(note, hz);
        }
        return *found;
    };
    if (lines.size() > SongFormat::kMaxLines)
        throw AppError(SongFileActions::tooManyLinesText(lines.size()));
    QStringList freq1, freq2, durations;
    for (const MidiVoices::ImportedLine& line : lines) {
        if (line.durationMs > std::numeric_limits<int>::max())
            throw AppError(QStringLiteral("Die MIDI-Datei enthält eine Note, die länger als "
                                          "24 Tage klingt, und wurde nicht importiert."));
        freq1.append(frequency(line.note1, line.bend1));
        freq2.append(frequency(line.note2, line.bend2));
        durations.append(QString::number(line.durationMs));
    }

    if (m_songFiles.replaceByImport(fileName, freq1, freq2, durations))
        emit opened(fileName);
}
