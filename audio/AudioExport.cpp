#include "audio/AudioExport.h"

#include "files/EmptySong.h"
#include "audio/AudioFileWriter.h"
#include "audio/PlayableLine.h"
#include "audio/PlaybackEngine.h"
#include "base/Errors.h"
#include "base/ListItems.h"
#include "base/StrToInt.h"
#include "files/MidiFileActions.h"
#include "settings/Settings.h"
#include "song/NoteTable.h"
#include "song/Song.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>

AudioExport::AudioExport(const Song& song, const Settings& settings,
                         const PlaybackEngine& playback, AudioExportView& view, QObject* parent)
    : QObject(parent), m_song(song), m_settings(settings), m_playback(playback), m_view(view) {}

Prompts::FileDialog AudioExport::exportDialog() {
    Prompts::FileDialog dialog;
    dialog.title = QStringLiteral("Audio exportieren");
    dialog.filter = QStringLiteral("WAV (.wav)|*.wav|FLAC (.flac)|*.flac|Ogg Vorbis (.ogg)|*.ogg|"
                                   "MP3 (.mp3)|*.mp3");
    dialog.defaultExt = QStringLiteral(".wav");
    // The name the dialog sees may still get its type's extension: the question before
    // replacing a file comes once the final name is known.
    dialog.confirmOverwrite = false;
    return dialog;
}

QString AudioExport::exportFileName(const QString& typedName, int chosenType) {
    const QStringList types = AudioFileWriter::extensions();
    if (types.contains(QFileInfo(typedName).suffix().toLower()))
        return typedName;
    const QString type = types.value(chosenType, types.constFirst());
    // "lied." has an empty extension: it is completed, not doubled to "lied..wav".
    return typedName.endsWith(QLatin1Char('.')) ? typedName + type
                                                 : typedName + QLatin1Char('.') + type;
}

QString AudioExport::noOutputMessage() {
    return QStringLiteral("Unter \"Optionen\" ist keine Ausgabe gewählt: \"Beeper\", "
                          "\"FM-Synthese\" oder \"MIDI-Out\".");
}

std::optional<OfflineRender::Settings> AudioExport::currentSettings(const Settings& settings,
                                                                    int synthVolume) {
    OfflineRender::Settings render;
    if (settings.fmSynthesis)
        render.output = OfflineRender::Output::Wave;
    else if (settings.midiOut)
        render.output = OfflineRender::Output::Midi;
    else if (!settings.beeper)
        return std::nullopt;
    render.volume = synthVolume;
    render.waveform = settings.waveform;
    render.twoVoices = settings.twoVoices;
    render.track1 = MidiFileActions::trackSetup(settings, 1);
    render.track2 = MidiFileActions::trackSetup(settings, 2);
    return render;
}

QList<OfflineRender::Line> AudioExport::songLines(const Song& song, const NoteTable* notes,
                                                  bool twoVoices) {
    const PackedTexts f1 = song.Memo1->texts();
    const PackedTexts f2 = song.Memo3->texts();
    QList<OfflineRender::Line> lines;
    lines.reserve(f1.size());
    // MIDI-Out plays the notes the note table gives the frequency texts.
    QHash<QString, int> known;
    const auto note = [&](const QString& frequency) {
        auto found = known.constFind(frequency);
        if (found == known.constEnd())
            found = known.insert(frequency, notes ? FrequencyToMidiNote(*notes, frequency)
                                                  : MidiFile::kSilent);
        return *found;
    };
    for (qsizetype i = 0; i < f1.size(); ++i) {
        // A line that Play would stop at is named, and nothing is written.
        const auto values = PlayableLine::read(song, int(i));
        if (!values)
            throw AppError(PlayableLine::message(song, int(i)));
        lines.append({values->freq1, values->freq2, values->dur1, note(f1[i]), note(f2.value(i)),
                      twoVoices ? values->dur2 : 0});
    }
    return lines;
}

std::optional<OfflineRender::Settings> AudioExport::currentSettings() const {
    return currentSettings(m_settings, m_playback.SynthVolume);
}

QList<OfflineRender::Line> AudioExport::songLines() const {
    return songLines(m_song, m_view.noteTable(), m_settings.twoVoices);
}

void AudioExport::exportClick() {
    const int n = m_song.Memo1->count();
    if (m_song.Memo2->count() != n || m_song.Memo3->count() != n || m_song.Memo4->count() != n) {
        prompts().messageBox(QStringLiteral("Fehler im Track"), QStringLiteral("Z1rpW3rk"),
                             Prompts::Icon::Warning);
        return;
    }
    const auto settings = currentSettings();
    if (!settings) {
        prompts().messageBox(noOutputMessage(), QStringLiteral("Z1rpW3rk"),
                             Prompts::Icon::Information);
        return;
    }
    refuseEmptyExport(m_song);
    // Numbers and the song's length are checked before a file name is asked for.
    OfflineRender(songLines(), *settings).checkExportLimits();
    Prompts::FileDialog dialog = exportDialog();
    for (;;) {
        const auto choice = prompts().saveFileOfType(dialog);
        if (!choice)
            return;
        const QString fileName = exportFileName(choice->fileName, choice->filterIndex);
        if (mayReplaceFile(fileName)) {
            exportTo(fileName, *settings);
            return;
        }
        dialog.fileName = fileName;
        dialog.filterIndex = choice->filterIndex;
    }
}

bool AudioExport::exportTo(const QString& fileName, const OfflineRender::Settings& settings) {
    OfflineRender render(songLines(), settings);
    render.setNotice([](const QString& text) {
        prompts().messageBox(text, QStringLiteral("Z1rpW3rk"), Prompts::Icon::Information);
    });
    const std::unique_ptr<ExportProgress> progress = m_view.exportProgress();
    const bool written = render.writeFile(fileName, [&](std::uint64_t done, std::uint64_t total) {
        return progress->step(done, total);
    });
    if (written)
        emit wrote(fileName);
    return written;
}
