#pragma once

#include "audio/OfflineRender.h"
#include "base/Prompts.h"

#include <QObject>

#include <optional>

class QAction;
class TForm1;

/// "Exportieren" → "Audio (WAV, FLAC, OGG, MP3)...": the song as the chosen output sounds it,
/// rendered offline into a sound file, with progress and cancel.
class AudioExport final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AudioExport)

public:
    AudioExport(TForm1& form, QAction* item);

    static Prompts::FileDialog exportDialog();
    /// The text shown when MIDI-Out is the chosen output.
    static QString midiOutMessage();

    /// The output of the "Optionen" menu with the waveform settings; nothing for MIDI-Out.
    static std::optional<OfflineRender::Settings> currentSettings(const TForm1& form);
    /// The lines as Play reads them; throws for a text that is no number.
    static QList<OfflineRender::Line> songLines(const TForm1& form);

    void exportClick();
    /// Renders the song into the file, showing progress; false when the user cancelled.
    bool exportTo(const QString& fileName, const OfflineRender::Settings& settings);

private:
    TForm1& m_form;
};
