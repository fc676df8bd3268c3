#include "audio/SoundDevice.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

std::unique_ptr<SoundDevice>& deviceSlot() {
    static std::unique_ptr<SoundDevice> slot;
    return slot;
}

// Said once per run, however often the device is reopened.
void sayOnceSoundIsOff(const char* reason) {
    static bool said = false;
    if (said)
        return;
    said = true;
    std::fprintf(stderr, "z1rpw3rk: no sound device (%s), sound is off\n", reason);
}

constexpr std::uint32_t kBytesPerSample = sizeof(std::int16_t);
// Chunk size for queueing long sounds: the queue never holds much more than this ahead.
constexpr std::size_t kChunkSamples = SoundDevice::kBufferSamples * 10;

} // namespace

SoundDevice& SoundDevice::instance() {
    auto& slot = deviceSlot();
    if (!slot)
        slot.reset(new SoundDevice());
    return *slot;
}

void SoundDevice::shutdown() {
    deviceSlot().reset();
}

SoundDevice::SoundDevice() {
    if (!openDevice())
        sayOnceSoundIsOff(SDL_GetError());
}

SoundDevice::~SoundDevice() {
    if (m_device != 0) {
        SDL_PauseAudioDevice(m_device, 1);
        SDL_CloseAudioDevice(m_device);
    }
    if (m_ownsAudioSubsystem)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SoundDevice::openDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    m_ownsAudioSubsystem = true;

    SDL_AudioSpec wanted{};
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = kBufferSamples;
    wanted.callback = nullptr;

    auto open = [&] { return SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0); };
    SDL_AudioDeviceID id = open();
    if (id == 0) {
        // SDL does not fall back by itself when the configured driver has no device (no sound
        // card): its dummy driver keeps the timing of a real one.
        SDL_AudioQuit();
        sayOnceSoundIsOff(SDL_GetError());
        if (SDL_AudioInit("dummy") == 0)
            id = open();
    }
    if (id == 0)
        return false;
    m_device = id;
    m_silent = SDL_strcmp(SDL_GetCurrentAudioDriver(), "dummy") == 0;
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void SoundDevice::waitQueuedAtMost(std::uint32_t bytes) {
    while (SDL_GetQueuedAudioSize(m_device) > bytes)
        SDL_Delay(1);
}

void SoundDevice::keepTime(std::size_t count) {
    // Sounds join like on a real device: a sound starts when the previous one ends, unless
    // that lies in the past, and the call returns the lead before the end.
    using namespace std::chrono;
    advanceSilentEnd(count);
    std::this_thread::sleep_until(m_silentEnd -
                                  microseconds(1'000'000LL * kLeadSamples / kSampleRate));
}

void SoundDevice::advanceSilentEnd(std::size_t count) {
    using namespace std::chrono;
    const auto now = steady_clock::now();
    if (m_silentEnd < now)
        m_silentEnd = now;
    m_silentEnd += microseconds(static_cast<long long>(count) * 1'000'000 / kSampleRate);
}

void SoundDevice::queueSilence(std::size_t count) {
    m_samplesQueued += count;
    m_trailingSilence += count;
    if (m_silent) {
        advanceSilentEnd(count);
        return;
    }
    const std::vector<std::int16_t> zeros(count, 0);
    SDL_QueueAudio(m_device, zeros.data(), static_cast<std::uint32_t>(count * kBytesPerSample));
}

void SoundDevice::keepTail(const std::int16_t* samples, std::size_t count) {
    if (count == 0)
        return;
    const std::size_t keep = kLeadSamples;
    // The silence queued before these samples now lies inside the queue: it belongs to the tail.
    m_tail.insert(m_tail.end(), std::min(m_trailingSilence, keep), std::int16_t(0));
    m_trailingSilence = 0;
    const std::size_t take = std::min(count, keep);
    m_tail.insert(m_tail.end(), samples + (count - take), samples + count);
    if (m_tail.size() > keep)
        m_tail.erase(m_tail.begin(), m_tail.end() - std::ptrdiff_t(keep));
}

void SoundDevice::dropQueuedSilence() {
    const std::size_t silence = m_trailingSilence;
    m_trailingSilence = 0;
    if (silence == 0)
        return;
    if (m_silent) {
        using namespace std::chrono;
        const auto now = steady_clock::now();
        const auto back = microseconds(static_cast<long long>(silence) * 1'000'000 / kSampleRate);
        m_silentEnd = std::max(now, m_silentEnd - back);
        return;
    }
    // The device takes nothing from the queue while it is locked: what is queued before the
    // silence is exactly the end of the tail.
    SDL_LockAudioDevice(m_device);
    const std::size_t queued = SDL_GetQueuedAudioSize(m_device) / kBytesPerSample;
    const std::size_t keep = queued > silence ? std::min(queued - silence, m_tail.size()) : 0;
    SDL_ClearQueuedAudio(m_device);
    if (keep > 0)
        SDL_QueueAudio(m_device, m_tail.data() + (m_tail.size() - keep),
                       static_cast<std::uint32_t>(keep * kBytesPerSample));
    SDL_UnlockAudioDevice(m_device);
}

double SoundDevice::queuedMs() const {
    if (m_silent) {
        const auto left = m_silentEnd - std::chrono::steady_clock::now();
        return std::max(0.0, std::chrono::duration<double, std::milli>(left).count());
    }
    return SDL_GetQueuedAudioSize(m_device) / double(kBytesPerSample) * 1000.0 / kSampleRate;
}

void SoundDevice::play(const std::int16_t* samples, std::size_t count) {
    m_samplesQueued += count;
    keepTail(samples, count);
    if (m_silent) {
        keepTime(count);
        return;
    }
    // Feed long sounds in chunks so the queue stays short, then return while the lead is still
    // queued: the next sound joins without a gap.
    const std::uint32_t ahead = kChunkSamples * kBytesPerSample;
    std::size_t done = 0;
    while (done < count) {
        const std::size_t n = std::min(kChunkSamples, count - done);
        waitQueuedAtMost(ahead);
        SDL_QueueAudio(m_device, samples + done, static_cast<std::uint32_t>(n * kBytesPerSample));
        done += n;
    }
    waitQueuedAtMost(kLeadSamples * kBytesPerSample);
}

void SoundDevice::playU8(const std::uint8_t* samples, std::size_t count) {
    std::vector<std::int16_t> converted(count);
    for (std::size_t i = 0; i < count; ++i)
        converted[i] = static_cast<std::int16_t>((static_cast<int>(samples[i]) - 128) << 8);
    play(converted.data(), converted.size());
}

void SoundDevice::playSilence(std::size_t count) {
    const std::vector<std::int16_t> zeros(count, 0);
    play(zeros.data(), zeros.size());
}

void SoundDevice::drain() {
    if (m_silent) {
        std::this_thread::sleep_until(m_silentEnd);
        return;
    }
    waitQueuedAtMost(0);
    // The last buffer handed to the driver still plays for up to one buffer's time.
    SDL_Delay(1000 * kBufferSamples / kSampleRate);
}
