#include "audio/SoundDevice.h"

#include "audio/AlsaMessages.h"
#include "audio/U8Block.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

std::unique_ptr<SoundDevice>& deviceSlot() {
    static std::unique_ptr<SoundDevice> slot;
    return slot;
}

std::atomic<long long>& idleTimeoutMs() {
    static std::atomic<long long> ms{3000};
    return ms;
}

std::function<void()>& noDeviceNotice() {
    static std::function<void()> notice;
    return notice;
}

// Said once per run, however often the device is reopened.
bool g_saidSoundIsOff = false;
bool g_noticeGiven = false;

void sayOnceSoundIsOff(const char* reason) {
    if (g_saidSoundIsOff)
        return;
    g_saidSoundIsOff = true;
    std::fprintf(stderr, "z1rpw3rk: no sound device (%s), sound is off\n", reason);
}

// The audio thread mixes in pieces of at most this many samples.
constexpr int kMixChunk = 1024;
// Without a device the clock is paced in buffers of 10 ms, like a real device.
constexpr auto kBufferTime =
    std::chrono::microseconds(1'000'000LL * SoundDevice::kBufferSamples / SoundDevice::kSampleRate);

std::uint64_t samplesIn(Clock::duration d) {
    using namespace std::chrono;
    const auto us = duration_cast<microseconds>(d).count();
    return us <= 0 ? 0 : std::uint64_t(us) * SoundDevice::kSampleRate / 1'000'000;
}

class PcmBlock final : public SoundBlock {
public:
    PcmBlock(const std::int16_t* samples, std::size_t count)
        : m_samples(samples, samples + count) {}
    std::uint64_t length() const override { return m_samples.size(); }
    void render(std::int16_t* out, std::uint64_t offset, int frames) const override {
        std::memcpy(out, m_samples.data() + offset, std::size_t(frames) * sizeof(std::int16_t));
    }

private:
    std::vector<std::int16_t> m_samples;
};

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

void SoundDevice::setIdleTimeout(std::chrono::milliseconds timeout) {
    idleTimeoutMs() = timeout.count();
}

void SoundDevice::setNoDeviceNotice(std::function<void()> notice) {
    noDeviceNotice() = std::move(notice);
}

SoundDevice::SoundDevice() {
    m_mix.resize(kMixChunk);
    m_render.resize(kMixChunk);
    m_pacerBuffer.resize(kBufferSamples);
    m_restingSince = Clock::now();

    // SDL must leave SIGINT and SIGTERM to the program; the sound library's own error lines
    // would only repeat, at length, the one line said here.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    silenceAlsaMessages();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        m_noDevice = true;
        sayOnceSoundIsOff(SDL_GetError());
    } else {
        m_ownsAudioSubsystem = true;
        // SDL's dummy driver was asked for: nothing is heard, time is kept by the clock.
        const char* driver = SDL_GetCurrentAudioDriver();
        const bool dummy = driver != nullptr && SDL_strcmp(driver, "dummy") == 0;
        if (!dummy) {
            m_silent = !openSdlDevice();
            if (m_silent) {
                m_noDevice = true;
                sayOnceSoundIsOff(SDL_GetError());
            }
        }
    }
    {
        std::lock_guard state(m_stateMutex);
        startStreamingLocked();
    }
    m_housekeeper = std::thread([this] { housekeeping(); });
}

SoundDevice::~SoundDevice() {
    {
        std::lock_guard state(m_stateMutex);
        m_quit = true;
    }
    m_wakeHousekeeper.notify_all();
    m_housekeeper.join();
    {
        std::lock_guard state(m_stateMutex);
        stopStreamingLocked();
    }
    if (m_ownsAudioSubsystem)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SoundDevice::openSdlDevice() {
    SDL_AudioSpec wanted{};
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = kBufferSamples;
    wanted.callback = &SoundDevice::audioCallback;
    wanted.userdata = this;
    // SDL converts when the hardware wants another format: the callback always sees this one.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    return m_device != 0;
}

void SoundDevice::audioCallback(void* self, unsigned char* stream, int bytes) {
    auto* device = static_cast<SoundDevice*>(self);
    std::lock_guard queue(device->m_queueMutex);
    device->mix(reinterpret_cast<std::int16_t*>(stream), bytes / int(sizeof(std::int16_t)));
}

// Runs on the audio thread (or the silent pacer) with m_queueMutex held.
void SoundDevice::mix(std::int16_t* out, int frames) {
    while (frames > 0) {
        const int n = std::min(frames, kMixChunk);
        std::fill_n(m_mix.begin(), n, 0);
        mixBlocks(m_mix.data(), n);
        for (SampleSource* source : m_sources) {
            source->mixInto(m_mix.data(), n, m_played);
            if (source->active())
                m_lastSound = m_played + std::uint64_t(n);
        }
        for (int i = 0; i < n; ++i)
            out[i] = static_cast<std::int16_t>(std::clamp<std::int32_t>(m_mix[i], -32768, 32767));
        m_played += std::uint64_t(n);
        out += n;
        frames -= n;
    }
}

void SoundDevice::mixBlocks(std::int32_t* mix, int frames) {
    std::uint64_t t = m_played;
    int i = 0;
    while (i < frames && m_head < m_blocks.size()) {
        Queued& q = m_blocks[m_head];
        if (q.done == 0 && q.stamp > t) {
            const auto wait = int(std::min<std::uint64_t>(q.stamp - t, std::uint64_t(frames - i)));
            i += wait;
            t += std::uint64_t(wait);
            continue;
        }
        // A block reached late starts now and keeps its whole length.
        if (q.done == 0)
            q.stamp = t;
        const auto k = int(std::min<std::uint64_t>(q.length - q.done, std::uint64_t(frames - i)));
        if (q.block) {
            q.block->render(m_render.data(), q.done, k);
            for (int j = 0; j < k; ++j)
                mix[i + j] += m_render[std::size_t(j)];
        }
        q.done += std::uint64_t(k);
        i += k;
        t += std::uint64_t(k);
        m_lastSound = t;
        if (q.done >= q.length)
            ++m_head;
    }
}

bool SoundDevice::idleLocked() const {
    if (m_head < m_blocks.size())
        return false;
    for (const SampleSource* source : m_sources)
        if (source->active())
            return false;
    const auto idle = std::uint64_t(std::max(0LL, idleTimeoutMs().load())) * kSampleRate / 1000;
    return m_played >= m_lastSound + idle;
}

std::uint64_t SoundDevice::restingClockLocked() const {
    return m_played + samplesIn(Clock::now() - m_restingSince);
}

std::uint64_t SoundDevice::queueEndLocked() const {
    const std::uint64_t now = m_streaming ? m_played : restingClockLocked();
    if (m_head >= m_blocks.size())
        return now;
    const Queued& last = m_blocks.back();
    return std::max(now, last.stamp + last.length);
}

std::uint64_t SoundDevice::pushLocked(Queued item, std::uint64_t at) {
    item.stamp = std::max(at, queueEndLocked());
    const std::uint64_t stamp = item.stamp;
    m_samplesQueued += item.length;
    if (item.length > 0) {
        m_blocks.push_back(std::move(item));
        m_lastSound = std::max(m_lastSound, m_played);
    }
    return stamp;
}

void SoundDevice::retireLocked(std::vector<Queued>& out) {
    for (std::size_t i = 0; i < m_head; ++i)
        out.push_back(std::move(m_blocks[i]));
    m_blocks.erase(m_blocks.begin(), m_blocks.begin() + std::ptrdiff_t(m_head));
    m_head = 0;
}

std::uint64_t SoundDevice::queue(std::unique_ptr<SoundBlock> block, std::uint64_t at) {
    std::vector<Queued> retired; // freed here, outside the locks, never on the audio thread
    std::uint64_t stamp = 0;
    {
        std::lock_guard state(m_stateMutex);
        ensureStreaming();
        std::lock_guard lock(m_queueMutex);
        retireLocked(retired);
        Queued item;
        item.length = block ? block->length() : 0;
        item.block = std::move(block);
        stamp = pushLocked(std::move(item), at);
    }
    noticeFirstSound();
    return stamp;
}

void SoundDevice::takeBackFrom(std::uint64_t sampleTime) {
    std::vector<Queued> retired;
    std::lock_guard lock(m_queueMutex);
    retireLocked(retired);
    auto from = m_blocks.begin();
    while (from != m_blocks.end() && (from->done > 0 || from->stamp < sampleTime))
        ++from;
    std::move(from, m_blocks.end(), std::back_inserter(retired));
    m_blocks.erase(from, m_blocks.end());
}

std::uint64_t SoundDevice::playedSamples() const {
    std::lock_guard lock(m_queueMutex);
    return m_streaming ? m_played : restingClockLocked();
}

std::uint64_t SoundDevice::nextBlockStart() const {
    std::lock_guard lock(m_queueMutex);
    return queueEndLocked();
}

void SoundDevice::attachSource(SampleSource* source) {
    std::lock_guard state(m_stateMutex);
    ensureStreaming();
    std::lock_guard lock(m_queueMutex);
    if (std::find(m_sources.begin(), m_sources.end(), source) == m_sources.end())
        m_sources.push_back(source);
    m_lastSound = std::max(m_lastSound, m_played);
}

void SoundDevice::detachSource(SampleSource* source) {
    // The audio thread mixes with m_queueMutex held: once it is ours, no mix is running.
    std::lock_guard lock(m_queueMutex);
    m_sources.erase(std::remove(m_sources.begin(), m_sources.end(), source), m_sources.end());
}

void SoundDevice::wake() {
    std::lock_guard state(m_stateMutex);
    ensureStreaming();
    std::lock_guard lock(m_queueMutex);
    m_lastSound = std::max(m_lastSound, m_played);
}

void SoundDevice::queueSilence(std::size_t count) {
    {
        std::lock_guard state(m_stateMutex);
        ensureStreaming();
        std::lock_guard lock(m_queueMutex);
        Queued item;
        item.length = count;
        item.fromQueueSilence = true;
        pushLocked(std::move(item), 0);
    }
}

void SoundDevice::dropQueuedSilence() {
    std::vector<Queued> retired;
    std::lock_guard lock(m_queueMutex);
    retireLocked(retired);
    while (!m_blocks.empty() && m_blocks.back().fromQueueSilence) {
        Queued& last = m_blocks.back();
        if (last.done > 0) {
            // Partly played: it ends where it is now.
            last.length = last.done;
            if (m_head < m_blocks.size())
                ++m_head;
            break;
        }
        retired.push_back(std::move(last));
        m_blocks.pop_back();
    }
}

double SoundDevice::queuedMs() const {
    std::lock_guard lock(m_queueMutex);
    const std::uint64_t now = m_streaming ? m_played : restingClockLocked();
    return double(queueEndLocked() - now) * 1000.0 / kSampleRate;
}

void SoundDevice::waitAheadAtMost(std::uint64_t end, std::uint64_t lead) {
    for (;;) {
        const std::uint64_t now = playedSamples();
        if (end <= now + lead)
            return;
        // Sleep for most of what is left; the device plays on meanwhile.
        const std::uint64_t left = end - now - lead;
        const auto us = std::max<long long>(1000, (long long)(left * 1'000'000 / kSampleRate) / 2);
        std::this_thread::sleep_for(std::chrono::microseconds(std::min(us, 100'000LL)));
    }
}

void SoundDevice::play(std::unique_ptr<SoundBlock> block) {
    const std::uint64_t length = block ? block->length() : 0;
    const std::uint64_t start = queue(std::move(block), 0);
    waitAheadAtMost(start + length, kLeadSamples);
}

void SoundDevice::play(const std::int16_t* samples, std::size_t count) {
    play(std::make_unique<PcmBlock>(samples, count));
}

void SoundDevice::playU8(const std::uint8_t* samples, std::size_t count) {
    play(std::make_unique<U8Block>(
        QByteArray(reinterpret_cast<const char*>(samples), qsizetype(count))));
}

void SoundDevice::playSilence(std::size_t count) {
    std::uint64_t end = 0;
    {
        std::lock_guard state(m_stateMutex);
        ensureStreaming();
        std::lock_guard lock(m_queueMutex);
        Queued item;
        item.length = count;
        end = pushLocked(std::move(item), 0) + count;
    }
    waitAheadAtMost(end, kLeadSamples);
}

void SoundDevice::drain() {
    waitAheadAtMost(nextBlockStart(), 0);
    // The last buffer handed to the driver still plays for up to one buffer's time.
    std::this_thread::sleep_for(kBufferTime);
}

bool SoundDevice::isStreaming() const {
    std::lock_guard lock(m_queueMutex);
    return m_streaming;
}

void SoundDevice::ensureStreaming() {
    if (!m_streaming)
        startStreamingLocked();
}

void SoundDevice::startStreamingLocked() {
    if (m_streaming)
        return;
    {
        std::lock_guard lock(m_queueMutex);
        m_played = restingClockLocked();
        m_lastSound = m_played;
    }
    if (!m_silent && m_device == 0 && !openSdlDevice()) {
        m_silent = true;
        m_noDevice = true;
        sayOnceSoundIsOff(SDL_GetError());
    }
    {
        std::lock_guard lock(m_queueMutex);
        m_streaming = true;
    }
    if (m_device != 0)
        SDL_PauseAudioDevice(m_device, 0);
    m_wakeHousekeeper.notify_all();
}

void SoundDevice::stopStreamingLocked() {
    if (!m_streaming)
        return;
    // Closing waits for the audio thread, which takes only m_queueMutex: not held here.
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
    std::lock_guard lock(m_queueMutex);
    m_streaming = false;
    m_restingSince = Clock::now();
}

void SoundDevice::housekeeping() {
    std::unique_lock state(m_stateMutex);
    Clock::time_point next = Clock::now();
    bool pacing = false;
    while (!m_quit) {
        if (!m_streaming) {
            pacing = false;
            m_wakeHousekeeper.wait(state);
            continue;
        }
        if (m_silent) {
            // No device plays: this thread takes its place, one buffer every 10 ms of real time.
            if (!pacing) {
                pacing = true;
                next = Clock::now() + kBufferTime;
            }
            m_wakeHousekeeper.wait_until(state, next);
            if (m_quit || !m_streaming)
                continue;
            const auto now = Clock::now();
            if (now - next > std::chrono::seconds(1))
                next = now; // the machine slept: do not replay the lost time at once
            std::lock_guard lock(m_queueMutex);
            while (next <= now) {
                mix(m_pacerBuffer.data(), kBufferSamples);
                next += kBufferTime;
            }
        } else {
            m_wakeHousekeeper.wait_for(state, std::chrono::milliseconds(250));
            if (m_quit || !m_streaming)
                continue;
        }
        bool idle = false;
        {
            std::lock_guard lock(m_queueMutex);
            idle = idleLocked();
        }
        if (idle)
            stopStreamingLocked();
    }
}

void SoundDevice::noticeFirstSound() {
    if (!m_noDevice || g_noticeGiven)
        return;
    g_noticeGiven = true;
    if (const auto& notice = noDeviceNotice())
        notice();
}
