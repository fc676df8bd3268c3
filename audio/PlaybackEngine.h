#pragma once

#include <QObject>

#include <chrono>
#include <vector>

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
/// Timing: each line hands its whole length to the sound device (the tone, and silence where
/// the tone is shorter or a rest), and the next tick comes when the device is down to a few buffers
/// (SoundDevice::kLeadMs); so lines join without gaps and the song keeps the sum of its durations,
/// whatever the timer's accuracy.
class PlaybackEngine final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlaybackEngine)

public:
    explicit PlaybackEngine(TForm1& form);
    ~PlaybackEngine() override;

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
    void armNextTick(int durationMs, std::uint64_t samplesBefore);
    int waveformIndex() const;

    TForm1& m_form;
    bool m_inTick = false;
    std::chrono::steady_clock::time_point m_tickStart{};
};
