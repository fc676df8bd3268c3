#pragma once

#include "files/SongFileActions.h"

#include <QObject>

class ListBox;
class QAction;
class QMenu;
class TForm1;

/// The main window's side of the song file commands: the unsaved-changes question before a
/// song is replaced, and the tone playback that stops stepping.
class WindowFileView final : public SongFileView {
public:
    explicit WindowFileView(TForm1& form) : m_form(form) {}

    bool mayReplaceSong() override;
    void stopPlayback() override;

private:
    TForm1& m_form;
};

/// The menu items of the song file commands ("Öffnen", "Speichern", the imports, the exports
/// of MIDI and beep formats), the hidden list of the last .bmm file's lines, "Datei" →
/// "Zuletzt geöffnet", and songs dropped on the main window. The commands themselves are the
/// window's `SongFiles`; dropped files and the recent list open through its `RecentFiles`.
class FileMenus final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileMenus)

public:
    /// Adds the items to the window's menus: the ringtone import to "Import", the three beep
    /// format exports to @p exportMenu after @p exportMidiItem's "MIDI-Datei (.mid)...".
    FileMenus(TForm1& form, QMenu* exportMenu, QAction* exportMidiItem);

    QAction* ImportRtttl1 = nullptr;
    QAction* ExportRtttl1 = nullptr;
    QAction* ExportSketch1 = nullptr;
    QAction* ExportBeep1 = nullptr;
    QAction* ImportGCode1 = nullptr;
    QAction* ExportGCode1 = nullptr;
    QMenu* ZuletztGeoeffnet1 = nullptr;
    /// The hidden view of the .bmm import's scratch list.
    ListBox* bmm = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuildRecentMenu();

    TForm1& m_form;
};
