#pragma once

#include "audio/OfflineRender.h"
#include "base/Prompts.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <optional>

class NoteTable;
class PlaybackEngine;
class Song;
struct Settings;

/// How far an export is, shown while it runs.
class ExportProgress {
public:
    virtual ~ExportProgress() = default;
    /// @p done of @p total samples are written; false when the user cancelled.
    virtual bool step(std::uint64_t done, std::uint64_t total) = 0;
};

/// What an export needs of the windows: the note table and a progress display.
class AudioExportView {
public:
    virtual ~AudioExportView() = default;
    /// The loaded note table; none while there is none.
    virtual const NoteTable* noteTable() const = 0;
    /// A progress display with a cancel button, shown for one export.
    virtual std::unique_ptr<ExportProgress> exportProgress() = 0;
};

/// "Exportieren" → "Audio (WAV, FLAC, OGG, MP3)...": the song as the chosen output sounds it,
/// rendered offline into a sound file, with progress and cancel.
class AudioExport final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AudioExport)

public:
    AudioExport(const Song& song, const Settings& settings, const PlaybackEngine& playback,
                AudioExportView& view, QObject* parent = nullptr);

    static Prompts::FileDialog exportDialog();
    /// The file an export writes for the name typed and the type chosen in the dialog (an
    /// index into `AudioFileWriter::extensions`): a name without extension, or with one that
    /// names no sound type, gets the chosen type's; a name whose extension names a sound type
    /// is written as that type.
    static QString exportFileName(const QString& typedName, int chosenType);
    /// The text shown when no output is chosen.
    static QString noOutputMessage();

    /// The output of the "Optionen" menu with its settings (the waveform output at
    /// @p synthVolume); nothing when none is chosen.
    static std::optional<OfflineRender::Settings> currentSettings(const Settings& settings,
                                                                  int synthVolume);
    /// The lines as Play reads them, with the notes of the note table @p notes (none: silent);
    /// throws for a text that is no number. Track 2's durations are read with @p twoVoices.
    static QList<OfflineRender::Line> songLines(const Song& song, const NoteTable* notes,
                                                bool twoVoices = false);

    /// The settings and the lines of this program's song as they are now.
    std::optional<OfflineRender::Settings> currentSettings() const;
    QList<OfflineRender::Line> songLines() const;

    void exportClick();
    /// Renders the song into the file, showing progress; false when the user cancelled.
    bool exportTo(const QString& fileName, const OfflineRender::Settings& settings);

signals:
    /// The sound file was written completely: the window says where.
    void wrote(const QString& fileName);

private:
    const Song& m_song;
    const Settings& m_settings;
    const PlaybackEngine& m_playback;
    AudioExportView& m_view;
};
