#pragma once

#include "audio/SampleSource.h"

#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;

/// The built-in General MIDI synthesizer: renders MIDI messages with a General MIDI SoundFont
/// into the sound device's mix. Each message carries the sample time at which it takes effect,
/// and the rendering splits at that sample, so the device's buffer size does not matter. The
/// synthesizer itself computes its voices in fixed blocks of 64 samples and starts or ends a
/// note only where its next block begins: a message lands 0 … 63 samples (under 1.45 ms) after
/// its time, never before. Landing on the sample itself would mean skipping or repeating up to
/// 63 samples of the voices already sounding, a click. Messages come from the GUI thread;
/// rendering runs on the audio thread.
class GmSynth final : public SampleSource {
public:
    static constexpr const char* kDeviceName = "Z1rpW3rk GM-Synth";

    /// The SoundFont to use: the larger General MIDI set when installed, else the small one;
    /// empty when there is none.
    static QString soundFontPath();

    /// Loads the SoundFont; check loaded() afterwards.
    explicit GmSynth(const QString& soundFont);
    ~GmSynth() override;
    GmSynth(const GmSynth&) = delete;
    GmSynth& operator=(const GmSynth&) = delete;

    bool loaded() const { return m_synth != nullptr; }
    /// Why a synthesizer cannot load when its library is missing (the library and its
    /// package), else empty. Loads the library if no synthesizer has yet.
    static QString missingLibraryText();

    /// A short message (status, data 1, data 2 in the low three bytes) taking effect at
    /// @p sampleTime. Messages with equal times keep their order. A program change loads its
    /// instrument's samples here, on the caller's thread (the rendering never reads the file).
    void post(std::uint32_t message, std::uint64_t sampleTime);
    /// Every sounding note of every channel is released at @p sampleTime.
    void releaseAll(std::uint64_t sampleTime);
    /// Takes back every message placed at or after @p sampleTime that has not taken effect.
    void takeBackFrom(std::uint64_t sampleTime);

    /// Output level, following the waveform output's volume (0 … 100): at the same setting
    /// both outputs sound about equally loud. Shared by every instance; any thread.
    static void setVolume(int volume);
    static int volume();

    void mixInto(std::int32_t* mix, int frames, std::uint64_t start) override;
    bool active() const override;

    /// Renders @p frames samples from @p start into @p out (for tests and measurements).
    void render(std::int16_t* out, int frames, std::uint64_t start);

private:
    struct Library;
    struct Event {
        std::uint64_t time;
        std::uint32_t message;
    };
    void apply(std::uint32_t message);
    /// Loads and keeps the samples of @p program as @p channel would play it.
    void prepareProgram(int channel, int program);
    void renderInto(std::int32_t* mix, int frames);

    const Library* m_fluid = nullptr; ///< the library's functions, once it is loaded
    _fluid_hashtable_t* m_settings = nullptr;
    _fluid_synth_t* m_synth = nullptr;
    int m_soundFont = -1;
    std::vector<int> m_pinned; ///< bank << 7 | program of every instrument kept loaded
    mutable std::mutex m_mutex;
    std::vector<Event> m_events; ///< waiting, ordered by time
    static constexpr int kChunk = 1024;
    std::array<Event, 256> m_due{};
    std::array<float, kChunk> m_left{};
    std::array<float, kChunk> m_right{};
    std::atomic<bool> m_pending{false};
};
