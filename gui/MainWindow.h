#pragma once

#include "base/ProgressSink.h"

#include <QMainWindow>

#include <memory>

class BmmImporter;
class BpmPanel;
class GeneratorPanels;
class ListBox;
class MidiEngine;
class MidiBeep;
class MultiZ1rp;
class OnlineLibrary;
class PlaybackEngine;
class QAction;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolButton;
class SongFileActions;
class SpeedPitchChange;
class TrackOperations;
class WindowEffects;
class AudioExport;
class AudioExportMenu;
class MidiBeepPanel;
class PlaybackControls;
class BeepFormatActions;
class RecentFiles;
class CloseQuestion;
class ExtraMenu;
class MidiFileActions;
class Song;
class SongFiles;
class WindowFileView;
class FileMenus;
class SongHistory;
class EditCommands;

/// The main window: the song in five parallel lists, the tone entry, the menu, the progress
/// display. Subsystems attach their collaborators here; the controls keep their given names.
class TForm1 final : public QMainWindow, public ProgressSink {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm1)

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    static constexpr int kClientWidth = 529;
    static constexpr int kClientHeight = 346;

    /// The song this window shows and edits.
    Song* const song;

    // The song's lists: line numbers, track 1 frequency/duration, track 2 frequency/duration.
    ListBox* Line = nullptr;
    ListBox* Memo1 = nullptr;
    ListBox* Memo2 = nullptr;
    ListBox* Memo3 = nullptr;
    ListBox* Memo4 = nullptr;

    // Tone entry.
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QGroupBox* rgASpur = nullptr;
    QRadioButton* rgASpurItem0 = nullptr;
    QRadioButton* rgASpurItem1 = nullptr;
    QLineEdit* edFreq1 = nullptr;
    QLineEdit* edFreq2 = nullptr;
    QLineEdit* edLengh = nullptr;
    QToolButton* BitBtn1 = nullptr;
    QPushButton* btadd = nullptr;
    QGroupBox* gbBearbeitung = nullptr;
    QPushButton* btAendern = nullptr;
    QPushButton* btloeschen = nullptr;
    QPushButton* btTauschen = nullptr;

    // Title, status and playback controls.
    QLabel* Label9 = nullptr;
    QLabel* laStatus = nullptr;
    QPushButton* btstop = nullptr;
    QPushButton* btplay = nullptr;
    QProgressBar* probar = nullptr;

    // Main menu.
    QMenu* Datei1 = nullptr;
    QAction* Neu1 = nullptr;
    QAction* Oeffnen1 = nullptr;
    QAction* Speichern1 = nullptr;
    QAction* Beenden1 = nullptr;
    QAction* Play1 = nullptr;
    QAction* Stop1 = nullptr;
    QMenu* Bearbeiten1 = nullptr;
    QAction* Geschwindigkeitndern1 = nullptr;
    QAction* Oktavendern1 = nullptr;
    QAction* Spurentauschen1 = nullptr;
    QMenu* DualSpur1 = nullptr;
    QAction* Spur11 = nullptr;
    QAction* Spur21 = nullptr;
    QMenu* SpurLoeschen1 = nullptr;
    QAction* Spur12 = nullptr;
    QAction* Spur22 = nullptr;
    QMenu* Extras1 = nullptr;
    QAction* Hochladen1 = nullptr;
    QAction* ListderonlineDateien1 = nullptr;
    QMenu* Import1 = nullptr;
    QAction* BleeperMusicMakerbmm1 = nullptr;
    QAction* MIDIFilemidmidi1 = nullptr;
    QAction* Schredder1 = nullptr;
    QAction* Welle1 = nullptr;
    QAction* ListeNotenFrequenzen1 = nullptr;
    QAction* BPMNotenwerte1 = nullptr;
    QAction* HotKeyPad1 = nullptr;
    QAction* Klaviatur1 = nullptr;
    QAction* MidiBeep1 = nullptr;
    QAction* GraphischeAusgabe1 = nullptr;
    QAction* MultiBeep1 = nullptr;
    QMenu* Optionen1 = nullptr;
    QAction* Scrollfunktion1 = nullptr;
    QAction* Beeper1 = nullptr;
    QAction* FMSynthese1 = nullptr;
    QAction* MIDIOut1 = nullptr;
    QAction* Einstellungen1 = nullptr;

    // Track operations, speed and pitch change.
    std::unique_ptr<TrackOperations> trackOperations;
    std::unique_ptr<SpeedPitchChange> speedPitch;
    // Playback: Play/Pause/Stop, the tone engine and the output choice; their window side.
    std::unique_ptr<PlaybackControls> playbackControls;
    std::unique_ptr<PlaybackEngine> playback;
    // The MIDI engine, the MIDI tone test and "MIDI-Out".
    std::unique_ptr<MidiEngine> midi;

    // The MulTiZ1rp mirror: "Multi-Beep" and the transfer of track 2 to a peer.
    std::unique_ptr<MultiZ1rp> mirror;
    // The online song library: its connection, the online list and the upload panel.
    std::unique_ptr<OnlineLibrary> library;
    QString FtpHost;
    QString FtpUser;
    QString FtpPassword;

    // Composition tools: generator panels and BPM note values in the side area.
    std::unique_ptr<GeneratorPanels> generators;
    std::unique_ptr<BpmPanel> bpmPanel;
    // MIDI input: MIDI-Beep and recording from a MIDI keyboard.
    std::unique_ptr<MidiBeepPanel> midiBeepPanel;
    std::unique_ptr<MidiBeep> midiBeep;

    // Side panels beyond the right edge: the width slide uncovers or covers them.
    static constexpr int kFrameWidth = 16; ///< the window frame, included in the widths
    static constexpr int kNarrowWidth = 545 - kFrameWidth;
    static constexpr int kWideWidth = 780 - kFrameWidth;
    static constexpr int kSidePanelLeft = 544;
    bool SidePanelOpen = false;
    QTimer* TimerFade = nullptr;
    void TimerFadeTimer();
    /// A panel's menu item: toggles its check mark and the panel, and starts the slide.
    void toggleSidePanel(QAction* item, QWidget* panel);
    /// A panel's "X" label: hides the panel, unchecks its item, and starts the narrowing.
    void closeSidePanel(QAction* item, QWidget* panel);

    // Window effects: background picture, logo colour cycle, see-through mode, scroll switch.
    std::unique_ptr<WindowEffects> effects;

    /// Track 1 is active exactly when its frequency field is white.
    bool trackOneActive() const;
    /// The frequency field of the active track: where tools deliver a frequency.
    QLineEdit* activeFrequencyField() const;

    void RenumberLines();
    void ShowProgress(int current, int total, const QString& text) override;

    // Handlers.
    void FormCreate();
    /// The window closes (close box, "Beenden", end of the session): the library connection
    /// ends and the settings are applied and written, as "OK" in the settings would.
    void FormClose();
    void FormKeyDown(int key);
    void rgASpurClick();
    /// Empties the song. The menu item "Neu" asks `mayReplaceSong` first.
    void Neu1Click();
    void Beenden1Click();
    void Memo1Click();
    void Memo2Click();
    void Memo3Click();
    void Memo4Click();
    void LineMouseDown();

    void btaddClick();
    void btAendernClick();
    void Memo1DblClick();
    void Memo2DblClick();
    void Memo3DblClick();
    void Memo4DblClick();
    void btloeschenClick();
    void btTauschenClick();

    // Song files: "Öffnen", "Speichern", the imports and exports; the window shows their
    // questions and progress (`fileView`) and holds their menu items (`fileMenus`).
    std::unique_ptr<WindowFileView> fileView;
    std::unique_ptr<SongFiles> files;
    SongFileActions* songFiles = nullptr;
    BmmImporter* bmmImport = nullptr;
    FileMenus* fileMenus = nullptr;
    /// Replaces the song by a song file's contents (also used by the online library).
    void LoadSongFile(const QString& fileName);
    /// "Änderungen speichern?" when the song changed since it was last saved or opened, the
    /// same question as on closing. Every command that empties or replaces the song asks this
    /// before it touches the lists; false when the user keeps the song.
    bool mayReplaceSong();

    // Export, MIDI file import, undo and redo, the question on closing.
    std::unique_ptr<ExtraMenu> extraMenu;
    MidiFileActions* midiFiles = nullptr;
    AudioExport* audioExport = nullptr;
    AudioExportMenu* audioExportMenu = nullptr;
    /// The song's undo history.
    SongHistory* const history;
    CloseQuestion* closeQuestion = nullptr;
    // Ringtone texts, buzzer sketches and beep scripts; "Zuletzt geöffnet" and dropped files.
    BeepFormatActions* beepFormats = nullptr;
    RecentFiles* recentFiles = nullptr;
    // "Bearbeiten": insert, delete, cut, copy, paste, move and transpose selected lines.
    EditCommands* editCommands = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls(QWidget* client);
    void createMenu();
    void connectHandlers();
    void selectLikewise(ListBox* source, std::initializer_list<ListBox*> targets);
    void openLineEditor();
    void closeOtherSidePanels(const QWidget* keep);
    void pressDefaultButton();
    bool isWindowKey(const QKeyEvent* event, bool inTextField) const;
};
