#pragma once

#include "audio/SampleSource.h"
#include "audio/SoundBlock.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

/// The program's one sound output and mixer: 44,100 Hz mono, signed 16-bit samples.
///
/// Everything that sounds goes through one audio callback, which plays a queue of finite sounds
/// (blocks, each stamped with the sample time it should start at, played one after another)
/// and adds the registered continuous sources (SampleSource, attachSource/detachSource). Time
/// is counted in samples: playedSamples() is the sample the device is playing now, and
/// nextBlockStart() the sample time at which a block queued now would start; queue() places a
/// block at a chosen later time, takeBackFrom() removes what has not started yet. The clock
/// runs on in real time while the device rests, so sample times stay meaningful throughout.
/// The blocking calls (play, playU8, playSilence) queue at the end and return once only
/// kLeadSamples are left ahead, so consecutive calls join without gaps and each lasts as long
/// as its sound.
///
/// The device opens on first use. When nothing has sounded for a few seconds it closes (no
/// work at all while idle) and opens again with the next sound. When no real device can be
/// opened the output is silent but keeps time like a real one (one note on stderr, and the
/// notice set by setNoDeviceNotice at the first sound), so the program behaves the same
/// without a sound card.
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
    /// Queues a block at the end and returns once at most kLeadSamples are still queued.
    void play(std::unique_ptr<SoundBlock> block);

    /// Queues @p block to start at sample time @p at, or as soon after it as the blocks queued
    /// before it allow; returns the start time it was given. Does not wait.
    std::uint64_t queue(std::unique_ptr<SoundBlock> block, std::uint64_t at);
    /// Takes back every queued block that has not started and was stamped at or after
    /// @p sampleTime; what already sounds plays to its end.
    void takeBackFrom(std::uint64_t sampleTime);

    /// The sample time being played now (what is heard).
    std::uint64_t playedSamples() const;
    /// The sample time at which a block queued now would start: the end of the queue, or now.
    std::uint64_t nextBlockStart() const;
    /// Adds a continuous source to the mix (and starts the device when it rests).
    void attachSource(SampleSource* source);
    /// Removes a source; once this returns the audio thread no longer touches it.
    void detachSource(SampleSource* source);
    /// Starts the device if it rests, so the clock runs at the device's pace; a source that
    /// becomes active calls this before placing events.
    void wake();

    /// Queues @p count samples of silence without waiting.
    void queueSilence(std::size_t count);
    /// Takes back the silence queued last (by queueSilence) that has not been played yet; the
    /// sound before it still plays.
    void dropQueuedSilence();
    /// Sound queued and not yet played, in milliseconds.
    double queuedMs() const;
    /// Samples handed to the device since it was opened (sounds and silences queued).
    std::uint64_t samplesQueued() const { return m_samplesQueued; }

    /// Waits until everything queued has been played.
    void drain();
    /// True while the device streams (a real one, or the silent clock).
    bool isStreaming() const;
    /// True when nothing is heard: SDL's dummy driver or no device at all. Time is then kept by
    /// the clock.
    bool isSilent() const { return m_silent; }
    /// True when no sound device could be opened at all.
    bool hasNoDevice() const { return m_noDevice; }

    /// Closes the device (the next call opens it again). Used at exit and by tests that change
    /// the output driver.
    static void shutdown();
    /// How long the device streams with nothing to play before it rests; default 3 s.
    static void setIdleTimeout(std::chrono::milliseconds timeout);
    /// Called once per run, on the thread of the first sound, when that sound finds no device.
    static void setNoDeviceNotice(std::function<void()> notice);

    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    ~SoundDevice();

private:
    struct Queued {
        std::uint64_t stamp = 0;
        std::uint64_t done = 0;
        std::uint64_t length = 0;
        std::unique_ptr<SoundBlock> block; ///< null: silence
        bool fromQueueSilence = false;
    };

    SoundDevice();

    static void audioCallback(void* self, unsigned char* stream, int bytes);
    void mix(std::int16_t* out, int frames);
    void mixBlocks(std::int32_t* mix, int frames);
    bool idleLocked() const;
    std::uint64_t restingClockLocked() const;
    std::uint64_t queueEndLocked() const;
    std::uint64_t pushLocked(Queued item, std::uint64_t at);
    void retireLocked(std::vector<Queued>& out);
    void waitAheadAtMost(std::uint64_t end, std::uint64_t lead);

    bool openSdlDevice();
    void ensureStreaming();
    void startStreamingLocked();
    void stopStreamingLocked();
    void housekeeping();
    void noticeFirstSound();

    // Lock order: m_stateMutex, then m_queueMutex. The audio thread takes only m_queueMutex.
    mutable std::mutex m_stateMutex;
    mutable std::mutex m_queueMutex;
    std::condition_variable m_wakeHousekeeper;
    std::thread m_housekeeper;
    bool m_quit = false;

    std::uint32_t m_device = 0;
    bool m_ownsAudioSubsystem = false;
    bool m_silent = true;
    bool m_noDevice = false;
    bool m_streaming = false;
    bool m_noticeGiven = false;

    std::deque<Queued> m_blocks;
    std::size_t m_head = 0; ///< first block not fully played
    std::vector<SampleSource*> m_sources;
    std::uint64_t m_played = 0;
    std::uint64_t m_lastSound = 0; ///< sample time at which something last sounded or was queued
    std::chrono::steady_clock::time_point m_restingSince{};
    std::vector<std::int32_t> m_mix;
    std::vector<std::int16_t> m_render;
    std::vector<std::int16_t> m_pacerBuffer;

    std::uint64_t m_samplesQueued = 0;
};
