#pragma once

#include "audio/MidiEngine.h"
#include "audio/PlaybackEngine.h"

class QAction;
class TForm1;

/// The main window's side of playback: Play, Pause, Stop, the tone test button and the output
/// items of "Optionen" run the engines' handlers; the engines' progress, status and check marks
/// show in the window's controls; the mirror takes track 2 while a peer is connected.
class PlaybackControls final : public PlaybackView, public PlaybackPeer, public MidiView {
public:
    /// Adds the playback items to the window's menus: "Ab aktueller Zeile abspielen" (Shift+F5)
    /// in "Datei"; "Zweistimmig", "Schleife" and "Vorhören" in "Optionen".
    explicit PlaybackControls(TForm1& form);

    QAction* PlayAbHier1 = nullptr;
    QAction* Zweistimmig1 = nullptr;
    QAction* Schleife1 = nullptr;
    QAction* Vorhoeren1 = nullptr;
    PlaybackControls(const PlaybackControls&) = delete;
    PlaybackControls& operator=(const PlaybackControls&) = delete;

    /// Connects the window's buttons and menu items to the engines' handlers.
    void connectEngines(PlaybackEngine& playback, MidiEngine& midi);

    // PlaybackView
    void showPlaying(bool playing) override;
    void scrollToStart() override;
    void showStatus(const QString& text, const QString& detail) override;
    void playbackEnded() override;
    QString entryFrequency() const override;
    QString entryLength() const override;
    void setOutputMark(OutputMark mark, bool checked) override;

    // PlaybackPeer: the window's MulTiZ1rp mirror.
    bool connected() const override;
    void beginTransfer() override;
    void sendLine(int line) override;
    void endTransfer() override;
    void startPeer(bool startsPlayback) override;
    void stopPeer() override;

    // MidiView
    const NoteTable* noteTable() const override;
    void setPlaybackLock(bool playing) override;

private:
    /// Sounds @p line once the command that selected (or @p added) it is done; a line added
    /// outweighs one selected by the same command.
    void requestAudition(int line, bool added);

    TForm1& m_form;
    PlaybackEngine* m_engine = nullptr;
    int m_auditionLine = -1;
    bool m_auditionAdded = false;
    bool m_auditionPending = false;
};
