#pragma once

#include "base/ProgressSink.h"
#include "base/Prompts.h"

#include <QObject>

class Song;

/// What the file commands ask of the program around them before they replace the song. The
/// defaults are those of a program without windows (the command line): nothing to ask,
/// nothing playing.
class SongFileView {
public:
    virtual ~SongFileView() = default;
    /// "Änderungen speichern?" before the song is emptied or replaced; false keeps the song.
    virtual bool mayReplaceSong() { return true; }
    /// Another song is about to replace the one played: tone playback stops stepping.
    virtual void stopPlayback() {}
};

/// "Öffnen" and "Speichern" and the song loader they share with the imports and the online
/// library: they read and write the song's lists, with no window.
class SongFileActions final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SongFileActions)

public:
    /// Long steps report to @p progress.
    SongFileActions(Song& song, SongFileView& view, ProgressSink& progress);

    /// The open dialog (`OpenDialog1`) and the save dialog (`SaveDialog1`).
    static Prompts::FileDialog OpenDialog1();
    static Prompts::FileDialog SaveDialog1();

    void Oeffnen1Click();
    void Speichern1Click();
    /// "Öffnen" once the file is chosen (also a file named on the command line): asks about
    /// unsaved changes, then loads. False when the user kept the song.
    bool openSong(const QString& fileName);
    /// Replaces the song by the file's contents, without asking. The file is read whole first:
    /// a file that cannot be read leaves the song as it was, and the message names the file.
    /// A line with too few fields ends the load there; the complete lines before it stay
    /// loaded and the line numbers match them.
    void LoadSongFile(const QString& fileName);

    /// The file the song was read from or last written to: saving there asks nothing. Empty
    /// for a new or imported song.
    QString songFile() const { return m_songFile; }
    /// The name the save dialog proposes: the song's file, or the song file named after the
    /// file a song was imported from.
    QString proposedName() const { return m_proposedName; }
    /// The song is new ("Neu"): it belongs to no file and the dialog proposes nothing.
    void forgetFile();
    /// Empties the song, which then belongs to no file ("Neu" once the user let it go).
    void newSong();
    /// Numbers the song's lines and reports the renumbering's progress.
    void renumberLines();
    /// The unsaved-changes question of the program around (`SongFileView::mayReplaceSong`).
    bool mayReplaceSong() { return m_view.mayReplaceSong(); }
    /// The song and the progress display these commands work on, for the imports that
    /// share them.
    Song& song() { return m_song; }
    ProgressSink& progress() { return m_progress; }
    /// The song was imported from @p fileName: the dialog proposes a song file of that name.
    void importedFrom(const QString& fileName);

    /// What the user reads when an import would give more lines than a song file holds:
    /// "Die Datei ergibt 2.100.000 Zeilen; …". The song stays as it was.
    static QString tooManyLinesText(qsizetype lines);
    /// What the user reads when a song could be saved only as a file the loader refuses.
    static QString notSavedText(qsizetype lines);
    /// The song as the song file's bytes; throws AppError (notSavedText) for a song of more
    /// lines or bytes than the loader accepts, and "Fehler im Track" for uneven lists.
    QByteArray fileBytes() const;

    /// An import replaces the song by its columns (both tracks take the same durations), after
    /// the unsaved-changes question, and the dialog then proposes a song file named after
    /// @p fileName. False when the user kept the song. Columns of more lines than a song file
    /// holds throw tooManyLinesText and leave the song as it was.
    bool replaceByImport(const QString& fileName, const QStringList& frequencies1,
                         const QStringList& frequencies2, const QStringList& durations);

signals:
    /// The song was written to a file, or read completely from one.
    void saved();
    /// A file was written completely (a save or an export): the window says where.
    void wrote(const QString& fileName);
    void loaded();
    /// "Öffnen" read a file completely.
    void opened(const QString& fileName);

private:
    Song& m_song;
    SongFileView& m_view;
    ProgressSink& m_progress;
    QString m_songFile;
    QString m_proposedName;
};
