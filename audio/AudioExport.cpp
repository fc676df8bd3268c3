#include "audio/AudioExport.h"

#include "audio/AudioFileWriter.h"
#include "audio/PlaybackEngine.h"
#include "base/Errors.h"
#include "base/Guard.h"
#include "base/ListBox.h"
#include "base/StrToInt.h"
#include "files/MidiFileActions.h"
#include "settings/SettingsDialog.h"
#include "song/Forms.h"
#include "song/MainWindow.h"
#include "tools/NoteTableWindow.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QProgressDialog>

AudioExport::AudioExport(TForm1& form, QAction* item) : QObject(&form), m_form(form) {
    connectGuarded(item, &QAction::triggered, this, [this] { exportClick(); });
}

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

std::optional<OfflineRender::Settings> AudioExport::currentSettings(const TForm1& form) {
    OfflineRender::Settings settings;
    if (form.FMSynthese1->isChecked())
        settings.output = OfflineRender::Output::Wave;
    else if (form.MIDIOut1->isChecked())
        settings.output = OfflineRender::Output::Midi;
    else if (!form.Beeper1->isChecked())
        return std::nullopt;
    settings.volume = form.playback->SynthVolume;
    if (const TForm6* dialog = forms().Form6)
        settings.waveform = dialog->rgTonItemIndex();
    settings.track1 = MidiFileActions::trackSetup(forms().settings, 1);
    settings.track2 = MidiFileActions::trackSetup(forms().settings, 2);
    return settings;
}

QList<OfflineRender::Line> AudioExport::songLines(const TForm1& form) {
    const QStringList f1 = form.Memo1->items();
    const QStringList d1 = form.Memo2->items();
    const QStringList f2 = form.Memo3->items();
    QList<OfflineRender::Line> lines;
    lines.reserve(f1.size());
    // MIDI-Out plays the notes the note table gives the frequency texts.
    const TForm3* notes = forms().Form3;
    QHash<QString, int> known;
    const auto note = [&](const QString& frequency) {
        auto found = known.constFind(frequency);
        if (found == known.constEnd())
            found = known.insert(frequency,
                                 notes ? notes->FrequencyToMidiNote(frequency) : MidiFile::kSilent);
        return *found;
    };
    for (qsizetype i = 0; i < f1.size(); ++i)
        lines.append({StrToInt(f1[i]), StrToInt(f2.value(i)), StrToInt(d1.value(i)), note(f1[i]),
                      note(f2.value(i))});
    return lines;
}

void AudioExport::exportClick() {
    const TForm1& f = m_form;
    const int n = f.Memo1->count();
    if (f.Memo2->count() != n || f.Memo3->count() != n || f.Memo4->count() != n) {
        prompts().messageBox(QStringLiteral("Fehler im Track"), QStringLiteral("Z1rpW3rk"),
                             Prompts::Icon::Warning);
        return;
    }
    const auto settings = currentSettings(f);
    if (!settings) {
        prompts().messageBox(noOutputMessage(), QStringLiteral("Z1rpW3rk"),
                             Prompts::Icon::Information);
        return;
    }
    // Numbers and the song's length are checked before a file name is asked for.
    OfflineRender(songLines(f), *settings).checkExportLimits();
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
    OfflineRender render(songLines(m_form), settings);
    render.setNotice([](const QString& text) {
        prompts().messageBox(text, QStringLiteral("Z1rpW3rk"), Prompts::Icon::Information);
    });
    QProgressDialog progress(QStringLiteral("Exportiere Audio..."), QStringLiteral("Abbrechen"), 0,
                             1000, &m_form);
    progress.setObjectName(QStringLiteral("AudioExportProgress"));
    progress.setWindowTitle(QStringLiteral("Z1rpW3rk"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    return render.writeFile(fileName, [&](std::uint64_t done, std::uint64_t total) {
        // Events are let through every 50 ms: often enough for the cancel button, rarely
        // enough to cost nothing.
        if (sinceEvents.elapsed() >= 50) {
            progress.setValue(total ? int(done * 1000 / total) : 0);
            QApplication::processEvents();
            sinceEvents.restart();
        }
        return !progress.wasCanceled();
    });
}
