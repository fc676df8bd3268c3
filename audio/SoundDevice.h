#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

/// The program's one sound output: 44,100 Hz mono, signed 16-bit samples, opened on first use
/// and kept open. Playing blocks until the sound has nearly drained, so consecutive calls join
/// without gaps and each call lasts as long as the sound it plays.
///
/// When no real device can be opened the device falls back to a silent output that still keeps
/// time (one note on stderr), so the program behaves the same without a sound card.
class SoundDevice final {
public:
    static constexpr int kSampleRate = 44100;
    /// Samples per device buffer (10 ms).
    static constexpr int kBufferSamples = 441;
    /// Sound still queued when a blocking call returns: the caller has this long to queue the
    /// next sound before a gap opens (a few event-loop hiccups of 10–20 ms must not cause one).
    static constexpr int kLeadSamples = 3 * kBufferSamples;
    static constexpr double kLeadMs = 1000.0 * kLeadSamples / kSampleRate;

    /// The device; opens it on first use.
    static SoundDevice& instance();

    /// Queues @p count samples and returns once at most kLeadSamples are still queued.
    void play(const std::int16_t* samples, std::size_t count);
    /// Queues unsigned 8-bit samples (silence 128), converted to 16 bits.
    void playU8(const std::uint8_t* samples, std::size_t count);
    /// Queues @p count samples of silence.
    void playSilence(std::size_t count);

    /// Queues @p count samples of silence without waiting.
    void queueSilence(std::size_t count);
    /// Takes back the silence queued last (by queueSilence) that has not been played yet; the
    /// sound before it still plays. Playback that stops or pauses within a line uses this, so
    /// the next sound starts at once instead of after the rest of that line.
    void dropQueuedSilence();
    /// Sound queued and not yet handed to the output, in milliseconds.
    double queuedMs() const;
    /// Samples handed to the device since it was opened.
    std::uint64_t samplesQueued() const { return m_samplesQueued; }

    /// Waits until everything queued has been played.
    void drain();
    /// True when sound reaches a real SDL device (possibly SDL's own dummy driver).
    bool isOpen() const { return m_device != 0; }
    /// True when nothing is heard: SDL's dummy driver or no device at all. Time is then kept by
    /// the clock (the dummy driver's own pace runs several per cent slow).
    bool isSilent() const { return m_silent; }

    /// Closes the device (the next call opens it again). Used at exit and by tests that change
    /// the output driver.
    static void shutdown();

    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    ~SoundDevice();

private:
    SoundDevice();

    bool openDevice();
    void waitQueuedAtMost(std::uint32_t bytes);
    void keepTime(std::size_t count);
    void advanceSilentEnd(std::size_t count);
    void keepTail(const std::int16_t* samples, std::size_t count);

    std::uint32_t m_device = 0;
    std::uint64_t m_samplesQueued = 0;
    bool m_ownsAudioSubsystem = false;
    bool m_silent = true;
    /// For a silent output: when the sound queued so far would have ended.
    std::chrono::steady_clock::time_point m_silentEnd{};
    /// Silence queued by queueSilence since the last sound, at the end of the queue.
    std::size_t m_trailingSilence = 0;
    /// The last kLeadSamples queued before that silence: what a blocking call leaves queued,
    /// queued again when the silence behind it is taken back.
    std::vector<std::int16_t> m_tail;
};
