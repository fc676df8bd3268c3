#pragma once

#include "audio/Audition.h"
#include "audio/PlayableLine.h"
#include "audio/TonePlan.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <vector>

class KernelSpeaker;
class MidiEngine;
class ProgressSink;
class QTimer;
class Song;
struct Settings;

/// The values Play prepares from the song lists; index n (one past the last line) holds the
/// end mark -1 in every array.
struct TPlayTable {
    std::vector<int> first;  ///< track 1 frequency
    std::vector<int> second; ///< track 2 frequency
    std::vector<int> third;  ///< track 1 duration
    std::vector<int> fourth; ///< track 2 duration, filled only for two voices
};

/// The check marks of the output choice: the "Optionen" menu's items and the settings'
/// "MIDI Output aktivieren".
enum class OutputMark { Beeper, FMSynthese, MIDIOut, MidiOutputSetting };

/// What playback shows besides its progress: the window's side implements it with its buttons,
/// labels and lists.
class PlaybackView {
public:
    virtual ~PlaybackView() = default;
    /// "Play" reads "Pause" while the song plays, and "Play" again when it stops or pauses.
    virtual void showPlaying(bool playing) = 0;
    /// Every list scrolled so that its first line is at the top.
    virtual void scrollToStart() = 0;
    /// A status text with its tooltip (a missing sound device).
    virtual void showStatus(const QString& text, const QString& detail) = 0;
    /// Playback ended: the settings may be applied again.
    virtual void playbackEnded() = 0;
    /// The tone entry: the active track's frequency and the length, as typed.
    virtual QString entryFrequency() const = 0;
    virtual QString entryLength() const = 0;
    /// Sets one check mark of the output choice (the settings value follows it).
    virtual void setOutputMark(OutputMark mark, bool checked) = 0;
};

/// A receiver that plays track 2 along on another computer (the MulTiZ1rp mirror).
class PlaybackPeer {
public:
    virtual ~PlaybackPeer() = default;
    /// A peer is connected: track 2 goes to it instead of sounding here.
    virtual bool connected() const = 0;
    virtual void beginTransfer() = 0;
    virtual void sendLine(int line) = 0;
    virtual void endTransfer() = 0;
    virtual void startPeer(bool startsPlayback) = 0;
    virtual void stopPeer() = 0;
};

/// Plays the song line by line on the speaker or the waveform output, and owns the output
/// choice of the "Optionen" menu and the tone test of the entry fields.
///
/// Timing: the lines' sounds are queued on the sound device ahead of time by the plan's own
/// thread, each at its start on the device's sample clock (TonePlan), so lines join without gaps
/// and the song keeps the sum of its durations however late a tick comes. The ticks step the
/// view (selection, progress) as each line is heard. What must happen on this thread when its
/// line is reached (the waveform output's message, a tone that the ports or a test hook take)
/// stops the queueing there and happens in its tick, in order.
///
/// The output, the waveform and "Scrollfunktion" are read from the settings at the moment
/// each line is planned or stepped, as the menu and the settings show them then.
class PlaybackEngine final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlaybackEngine)

public:
    PlaybackEngine(Song& song, const Settings& settings, ProgressSink& progress, PlaybackView& view,
                   PlaybackPeer& peer);
    ~PlaybackEngine() override;

    /// The status text shown once when the first tone finds no sound device, and its tooltip.
    static const QString kNoSoundDevice;
    static const QString kNoSoundDeviceDetail;

    QTimer* Timer1 = nullptr;
    TPlayTable PlayTable;
    /// Index of the next line to sound.
    int PlayPosition = 0;
    /// No song plays (stopped or paused).
    bool PlayStopped = true;
    /// Tones go to the timer chip's ports instead of the system beep (Windows 9x family).
    bool UsePortSpeaker = false;
    /// Amplitude of the waveform output, 0 … 100; set from the settings track bar when they
    /// are applied.
    int SynthVolume = 0;

    /// The MIDI engine that takes over Play while "MIDI Output aktivieren" is on; it registers
    /// itself.
    void setMidiEngine(MidiEngine* midi) { m_midi = midi; }

    void btplayClick();
    void btstopClick();
    void Timer1Timer();
    void BitBtn1Click();
    void Beeper1Click();
    void FMSynthese1Click();

    /// Plays from the current line (the one with focus; the first when none): while playing,
    /// the sound moves there at once.
    void playFromCurrentLine();
    /// The line that plays after line @p index: the next one, or, with "Schleife", the next
    /// one of the lines that loop (the selection, or the whole song) and their first after
    /// their last.
    int nextLine(int index) const;
    /// The end of the table was reached at line @p index (also by the MIDI engine): Stop, and
    /// when that line cannot be played, the message that names it.
    void endReached(int index, bool unplayable);
    /// The output (or the number of voices) changed: lines queued ahead are queued anew.
    void outputChanged();
    /// "Vorhören": sounds line @p line once on the chosen output, cutting short what the last
    /// call sounds; nothing while a song plays, or when the option is off.
    void auditionLine(int line);

    /// Stops the tone engine's timer without touching anything else (song loading).
    void stopToneTimer();
    /// Selects the line to play next in every list and shows the progress, unless
    /// "Scrollfunktion deaktivieren" is checked.
    void showPosition();

    /// One tone of the speaker output (port path or system beep).
    void PlaySpeakerTone(int frequencyHz, int durationMs);
    /// One tone of the waveform output, of length @p lengthMs; a rest returns at once,
    /// a frequency above 22050 Hz shows a message and sounds nothing.
    void PlaySynthTone(int frequencyHz, int lengthMs);

    /// The first array's mark of a line that cannot be played (PlayableLine).
    static constexpr int kUnplayable = -2;

private:
    void prepareToneTable();
    void startPlaying();
    /// Fixes the lines that loop for this playback: the selection when it holds more than one
    /// line, else the whole song; none when they last no time at all.
    void chooseLoop();
    bool lineIsUnplayable(int index) const;
    void showUnplayable(int index);
    /// Sounds a two-voice line on this thread (its messages first).
    void soundTwoVoicesNow(int index);
    LineSound lineSound(int index);
    void stepLine(const TonePlan::Line& line);
    void soundLineNow(int index);
    /// The kernel's speaker device when the speaker output plays through it.
    KernelSpeaker* realSpeaker() const;
    void silenceSpeaker();
    void takeBackQueued();
    int waveformIndex() const;
    /// Copies what the lines' sounds depend on from the settings into m_output.
    void takeOutputSettings();

    Song& m_song;
    const Settings& m_settings;
    ProgressSink& m_progress;
    PlaybackView& m_view;
    PlaybackPeer& m_peer;
    MidiEngine* m_midi = nullptr;
    /// What the lines' sounds depend on, read by the plan's thread.
    struct OutputSettings {
        std::atomic<bool> waveform{false};
        std::atomic<bool> sync{false};
        std::atomic<int> volume{0};
        std::atomic<int> wave{1};
        std::atomic<bool> twoVoices{false};
        std::atomic<bool> loop{false};
    };
    OutputSettings m_output;
    TonePlan m_plan;
    bool m_inTick = false;
    /// The lines that loop, as inclusive ranges in order; fixed from Play until Stop, read by the
    /// plan's thread. (Pairs rather than LineRange: found by their first line.)
    QList<std::pair<int, int>> m_loopRanges;
    bool m_loopChosen = false;
    /// The engine selects lines itself (no audition then).
    bool m_selecting = false;
    Audition m_audition;
};
