#include "audio/GmSynth.h"

#include "audio/SharedLibrary.h"

#include <fluidsynth.h>

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kSoundFonts[] = {
    "/usr/share/sounds/sf2/FluidR3_GM.sf2", // the full set, when installed
    "/usr/share/sounds/sf2/TimGM6mb.sf2",   // the small set the program installs
};

/// Float output of the synthesizer to 16-bit sample values at the volume setting 100. The
/// waveform output's square wave peaks at volume × 256 (−4 dBFS at the usual 80). With this
/// factor a note of velocity 100 of the small SoundFont peaks within 3 dB of that at the same
/// volume: piano −6.5, organ −3.1, square lead −2.3, flute −2.6, violin −1.6 dBFS at 80.
/// Percussion at high velocities reaches full scale and is limited by the mix.
constexpr float kScaleAtFullVolume = 32767.0f * 8.8f;

std::atomic<int> g_volume{80};

} // namespace

// The functions of the synthesizer library the program calls, typed by its header. The
// library (and the sound system libraries it brings) is loaded with the first synthesizer,
// not at the program's start.
#define Z1RPW3RK_FLUID_FUNCTIONS(F)                                                           \
    F(fluid_set_log_function)                                                                 \
    F(new_fluid_settings) F(delete_fluid_settings) F(fluid_settings_setnum)                   \
    F(fluid_settings_setint) F(new_fluid_synth) F(delete_fluid_synth) F(fluid_synth_sfload)   \
    F(fluid_synth_pin_preset) F(fluid_synth_noteon) F(fluid_synth_noteoff)                    \
    F(fluid_synth_key_pressure) F(fluid_synth_cc) F(fluid_synth_program_change)               \
    F(fluid_synth_channel_pressure) F(fluid_synth_pitch_bend) F(fluid_synth_write_float)      \
    F(fluid_synth_get_active_voice_count)

struct GmSynth::Library {
    Z1RPW3RK_FLUID_FUNCTIONS(Z1RPW3RK_LIBRARY_FUNCTION)
    SharedLibrary file{"libfluidsynth.so.3", "Z1RPW3RK_LIBFLUIDSYNTH", "libfluidsynth3"};

    Library() {
        Z1RPW3RK_FLUID_FUNCTIONS(Z1RPW3RK_LIBRARY_RESOLVE)
    }
    /// Loaded once, by the first synthesizer made (at Play or an export's start, never on
    /// the audio thread).
    static const Library& instance() {
        static const Library library;
        return library;
    }
};

QString GmSynth::soundFontPath() {
    for (const char* path : kSoundFonts)
        if (QFileInfo(QString::fromLatin1(path)).isReadable())
            return QString::fromLatin1(path);
    return {};
}

QString GmSynth::missingLibraryText() {
    const SharedLibrary& file = Library::instance().file;
    return file.loaded() ? QString() : file.missingText();
}

GmSynth::GmSynth(const QString& soundFont) {
    m_events.reserve(4096);
    if (!Library::instance().file.loaded())
        return;
    m_fluid = &Library::instance();
    m_fluid->fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    m_fluid->fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    m_fluid->fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    m_settings = m_fluid->new_fluid_settings();
    if (!m_settings)
        return;
    m_fluid->fluid_settings_setnum(m_settings, "synth.sample-rate", 44100.0);
    // Plain notes: no reverb or chorus tails to smear the lines of a song.
    m_fluid->fluid_settings_setint(m_settings, "synth.reverb.active", 0);
    m_fluid->fluid_settings_setint(m_settings, "synth.chorus.active", 0);
    m_fluid->fluid_settings_setint(m_settings, "synth.polyphony", 64);
    m_fluid->fluid_settings_setnum(m_settings, "synth.gain", 0.6);
    // An instrument's samples are read from the file when it is first chosen, not all of them
    // at once: a song with two instruments holds two instruments' samples.
    m_fluid->fluid_settings_setint(m_settings, "synth.dynamic-sample-loading", 1);
    fluid_synth_t* synth = m_fluid->new_fluid_synth(m_settings);
    if (!synth)
        return;
    m_soundFont = m_fluid->fluid_synth_sfload(synth, soundFont.toLocal8Bit().constData(), 1);
    if (m_soundFont == FLUID_FAILED) {
        m_fluid->delete_fluid_synth(synth);
        return;
    }
    m_synth = synth;
    // The instruments every channel starts with (piano, and the drum kit on channel 10) stay
    // loaded as well: a program change on the audio thread then never frees samples there.
    prepareProgram(0, 0);
    prepareProgram(9, 0);
}

void GmSynth::prepareProgram(int channel, int program) {
    if (!m_synth)
        return;
    // General MIDI: channel 10 plays the percussion bank. The program never selects banks.
    const int bank = channel == 9 ? 128 : 0;
    const int key = bank << 7 | program;
    if (std::find(m_pinned.begin(), m_pinned.end(), key) != m_pinned.end())
        return;
    // Reads the instrument's samples here, on the caller's thread, and keeps them: the
    // program change itself, applied while rendering, then finds them in memory.
    m_fluid->fluid_synth_pin_preset(m_synth, m_soundFont, bank, program);
    m_pinned.push_back(key);
}

GmSynth::~GmSynth() {
    if (m_synth)
        m_fluid->delete_fluid_synth(m_synth);
    if (m_settings)
        m_fluid->delete_fluid_settings(m_settings);
}

void GmSynth::post(std::uint32_t message, std::uint64_t sampleTime) {
    if ((message & 0xF0) == 0xC0)
        prepareProgram(int(message & 0x0F), int(message >> 8) & 0x7F);
    std::lock_guard lock(m_mutex);
    // Usually in order already; a message placed earlier goes before the later ones.
    auto at = m_events.end();
    while (at != m_events.begin() && std::prev(at)->time > sampleTime)
        --at;
    m_events.insert(at, Event{sampleTime, message});
    m_pending.store(true, std::memory_order_release);
}

void GmSynth::releaseAll(std::uint64_t sampleTime) {
    for (std::uint32_t channel = 0; channel < 16; ++channel)
        post(0xB0 | channel | 123u << 8, sampleTime); // all notes off: each note's own release
}

void GmSynth::takeBackFrom(std::uint64_t sampleTime) {
    std::lock_guard lock(m_mutex);
    const auto from = std::find_if(m_events.begin(), m_events.end(),
                                   [&](const Event& e) { return e.time >= sampleTime; });
    m_events.erase(from, m_events.end());
    m_pending.store(!m_events.empty(), std::memory_order_release);
}

void GmSynth::setVolume(int volume) {
    g_volume.store(std::clamp(volume, 0, 100), std::memory_order_relaxed);
}

int GmSynth::volume() {
    return g_volume.load(std::memory_order_relaxed);
}

void GmSynth::apply(std::uint32_t message) {
    const int status = int(message & 0xFF);
    const int channel = status & 0x0F;
    const int data1 = int(message >> 8) & 0x7F;
    const int data2 = int(message >> 16) & 0x7F;
    switch (status & 0xF0) {
    case 0x80:
        m_fluid->fluid_synth_noteoff(m_synth, channel, data1);
        break;
    case 0x90:
        if (data2 == 0)
            m_fluid->fluid_synth_noteoff(m_synth, channel, data1);
        else
            m_fluid->fluid_synth_noteon(m_synth, channel, data1, data2);
        break;
    case 0xA0:
        m_fluid->fluid_synth_key_pressure(m_synth, channel, data1, data2);
        break;
    case 0xB0:
        m_fluid->fluid_synth_cc(m_synth, channel, data1, data2);
        break;
    case 0xC0:
        m_fluid->fluid_synth_program_change(m_synth, channel, data1);
        break;
    case 0xD0:
        m_fluid->fluid_synth_channel_pressure(m_synth, channel, data1);
        break;
    case 0xE0:
        m_fluid->fluid_synth_pitch_bend(m_synth, channel, data1 | data2 << 7);
        break;
    default:
        break;
    }
}

void GmSynth::renderInto(std::int32_t* mix, int frames) {
    const float scale = kScaleAtFullVolume * float(g_volume.load(std::memory_order_relaxed)) / 100.0f;
    while (frames > 0) {
        const int n = std::min(frames, kChunk);
        m_fluid->fluid_synth_write_float(m_synth, n, m_left.data(), 0, 1, m_right.data(), 0, 1);
        for (int i = 0; i < n; ++i)
            mix[i] += std::int32_t(std::lrint((m_left[i] + m_right[i]) * 0.5f * scale));
        mix += n;
        frames -= n;
    }
}

void GmSynth::mixInto(std::int32_t* mix, int frames, std::uint64_t start) {
    if (!m_synth || frames <= 0)
        return;
    const std::uint64_t end = start + std::uint64_t(frames);
    std::uint64_t cursor = start;
    for (;;) {
        // Take the messages due in this block, a batch at a time, without allocating.
        std::size_t count = 0;
        {
            std::lock_guard lock(m_mutex);
            while (count < m_due.size() && count < m_events.size() && m_events[count].time < end)
                m_due[count] = m_events[count], ++count;
            m_events.erase(m_events.begin(), m_events.begin() + std::ptrdiff_t(count));
            m_pending.store(!m_events.empty(), std::memory_order_release);
        }
        for (std::size_t k = 0; k < count; ++k) {
            // A message placed in the past takes effect at once.
            const std::uint64_t at = std::max(m_due[k].time, cursor);
            if (at > cursor) {
                renderInto(mix + (cursor - start), int(at - cursor));
                cursor = at;
            }
            apply(m_due[k].message);
        }
        if (count < m_due.size())
            break;
    }
    if (cursor < end)
        renderInto(mix + (cursor - start), int(end - cursor));
}

bool GmSynth::active() const {
    return m_synth && (m_pending.load(std::memory_order_acquire) ||
                       m_fluid->fluid_synth_get_active_voice_count(m_synth) > 0);
}

void GmSynth::render(std::int16_t* out, int frames, std::uint64_t start) {
    std::vector<std::int32_t> mix(std::size_t(std::max(frames, 0)), 0);
    mixInto(mix.data(), frames, start);
    for (int i = 0; i < frames; ++i)
        out[i] = std::int16_t(std::clamp<std::int32_t>(mix[i], -32768, 32767));
}
