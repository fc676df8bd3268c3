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
    /// The file an export writes for the name typed and the type chosen in the dialog (an
    /// index into `AudioFileWriter::extensions`): a name without extension, or with one that
    /// names no sound type, gets the chosen type's; a name whose extension names a sound type
    /// is written as that type.
    static QString exportFileName(const QString& typedName, int chosenType);
    /// The text shown when no output is chosen.
    static QString noOutputMessage();

    /// The output of the "Optionen" menu with its settings; nothing when none is chosen.
    static std::optional<OfflineRender::Settings> currentSettings(const TForm1& form);
    /// The lines as Play reads them; throws for a text that is no number.
    static QList<OfflineRender::Line> songLines(const TForm1& form);

    void exportClick();
    /// Renders the song into the file, showing progress; false when the user cancelled.
    bool exportTo(const QString& fileName, const OfflineRender::Settings& settings);

private:
    TForm1& m_form;
};
