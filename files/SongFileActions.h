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
    /// Replaces the song by the file's contents. On an error the complete lines read before
    /// it stay loaded and the line numbers match them.
    void LoadSongFile(const QString& fileName);

signals:
    /// The song was written to a file, or read completely from one.
    void saved();
    void loaded();
    /// "Öffnen" read a file completely.
    void opened(const QString& fileName);

private:
    TForm1& m_form;
};
