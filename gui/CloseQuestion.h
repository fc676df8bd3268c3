#pragma once

#include <QObject>

class SongHistory;
class TForm1;

/// "Änderungen speichern?" before a song that changed since it was last saved or opened is
/// given up: when the main window closes, and before "Neu", "Öffnen", an import or a library
/// song replaces it. "Ja" saves through the save dialog first, "Nein" goes on, "Abbrechen"
/// keeps the song (and the program open). A close that nobody asked for here (a termination
/// signal, the end of the desktop session) sets the quiet flag first: then nothing is asked
/// and nothing saved.
class CloseQuestion final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CloseQuestion)

public:
    CloseQuestion(TForm1& form, SongHistory& history);

    static QString questionText();

    /// The program is closing without a user at the window: no question, no save.
    static void setQuiet(bool quiet);
    static bool isQuiet();

    /// Asks when it must; true when the window may close.
    bool mayClose();
    /// Asks when it must; true when the song may be replaced. Every command that empties or
    /// replaces the song asks this before it touches the lists.
    bool mayReplaceSong();

private:
    TForm1& m_form;
    SongHistory& m_history;
};
