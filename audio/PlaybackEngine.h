#pragma once

#include "audio/TonePlan.h"

#include <QObject>

#include <atomic>
#include <vector>

class KernelSpeaker;
class QTimer;
class TForm1;

/// The values Play prepares from the song lists; index n (one past the last line) holds the
/// end mark -1 in every array.
struct TPlayTable {
    std::vector<int> first;  ///< track 1 frequency
    std::vector<int> second; ///< track 2 frequency
    std::vector<int> third;  ///< track 1 duration
};

/// Plays the song of the main window line by line on the speaker or the waveform output, and
/// owns the output choice of the "Optionen" menu and the tone test of the entry fields.
///
/// Timing: the lines' sounds are queued on the sound device ahead of time by the plan's own
/// thread, each at its start on the device's sample clock (TonePlan), so lines join without gaps
/// and the song keeps the sum of its durations however late a tick comes. The ticks step the
/// view (selection, progress) as each line is heard. What must happen on this thread when its line is reached (the waveform
/// output's message, a tone that the ports or a test hook take) stops the queueing there and
/// happens in its tick, in order.
class PlaybackEngine final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlaybackEngine)

public:
    explicit PlaybackEngine(TForm1& form);
    ~PlaybackEngine() override;

    /// The status text shown once when the first tone finds no sound device, and its tooltip.
    static const QString kNoSoundDevice;
    static const QString kNoSoundDeviceDetail;

    QTimer* Timer1 = nullptr;
    TPlayTable PlayTable;
    /// Index of the next line to sound.
    int PlayPosition = 0;
    /// Tones go to the timer chip's ports instead of the system beep (Windows 9x family).
    bool UsePortSpeaker = false;
    /// Amplitude of the waveform output, 0 … 100; follows the settings track bar.
    int SynthVolume = 0;

    void btplayClick();
    void btstopClick();
    void Timer1Timer();
    void BitBtn1Click();
    void Beeper1Click();
    void FMSynthese1Click();

    /// Stops the tone engine's timer without touching anything else (song loading).
    void stopToneTimer();

    /// One tone of the speaker output (port path or system beep).
    void PlaySpeakerTone(int frequencyHz, int durationMs);
    /// One tone of the waveform output, of length @p lengthMs; a rest returns at once,
    /// a frequency above 22050 Hz shows a message and sounds nothing.
    void PlaySynthTone(int frequencyHz, int lengthMs);

private:
    void prepareToneTable();
    LineSound lineSound(int index);
    void stepLine(const TonePlan::Line& line);
    void soundLineNow(int index);
    /// The kernel's speaker device when the speaker output plays through it.
    KernelSpeaker* realSpeaker() const;
    void silenceSpeaker();
    void showPosition();
    void takeBackQueued();
    void outputChanged();
    int waveformIndex() const;
    /// Copies what the lines' sounds depend on from the window into m_output.
    void takeOutputSettings();

    TForm1& m_form;
    /// What the lines' sounds depend on, read by the plan's thread.
    struct OutputSettings {
        std::atomic<bool> waveform{false};
        std::atomic<bool> sync{false};
        std::atomic<int> volume{0};
        std::atomic<int> wave{1};
    };
    OutputSettings m_output;
    TonePlan m_plan;
    bool m_inTick = false;
};
