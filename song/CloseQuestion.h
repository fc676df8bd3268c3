#pragma once

#include <QObject>

class SongHistory;
class TForm1;

/// "Änderungen speichern?" when the main window closes over a song that changed since it was
/// last saved or opened: "Ja" saves through the save dialog first, "Nein" closes, "Abbrechen"
/// keeps the program open. A close that nobody asked for here (a termination signal, the end
/// of the desktop session) sets the quiet flag first: then nothing is asked and nothing saved.
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

private:
    TForm1& m_form;
    SongHistory& m_history;
};
