#pragma once

#include "base/Prompts.h"

#include <QObject>

class TForm1;

/// "Öffnen" and "Speichern" of the main window and the song loader they share with the
/// online library.
class SongFileActions final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SongFileActions)

public:
    explicit SongFileActions(TForm1& form);

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
    /// The song was imported from @p fileName: the dialog proposes a song file of that name.
    void importedFrom(const QString& fileName);

    /// An import replaces the song by its columns (both tracks take the same durations), after
    /// the unsaved-changes question, and the dialog then proposes a song file named after
    /// @p fileName. False when the user kept the song.
    bool replaceByImport(const QString& fileName, const QStringList& frequencies1,
                         const QStringList& frequencies2, const QStringList& durations);


signals:
    /// The song was written to a file, or read completely from one.
    void saved();
    void loaded();
    /// "Öffnen" read a file completely.
    void opened(const QString& fileName);

private:
    TForm1& m_form;
    QString m_songFile;
    QString m_proposedName;
};
