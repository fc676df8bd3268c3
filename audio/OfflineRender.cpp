#include "audio/OfflineRender.h"

#include "audio/AudioFileWriter.h"
#include "audio/GmSynth.h"
#include "audio/SynthWave.h"
#include "audio/SystemBeep.h"
#include "base/Errors.h"

#include <algorithm>

OfflineRender::OfflineRender(QList<Line> lines, const Settings& settings)
    : m_lines(std::move(lines)), m_settings(settings) {}

OfflineRender::~OfflineRender() = default;
OfflineRender::OfflineRender(OfflineRender&&) noexcept = default;
OfflineRender& OfflineRender::operator=(OfflineRender&&) noexcept = default;

int OfflineRender::soundedFrequency(const Line& line) {
    return line.freq1 == 0 ? line.freq2 : line.freq1;
}

std::uint64_t OfflineRender::totalSamples() const {
    std::uint64_t total = 0;
    for (const Line& line : m_lines)
        total += std::uint64_t(SynthWave::sampleCount(line.durationMs));
    if (m_settings.output == Output::Midi)
        total += std::uint64_t(SynthWave::sampleCount(kMidiTailMs));
    return total;
}

bool OfflineRender::renderNext(std::vector<std::int16_t>& out) {
    if (m_settings.output == Output::Midi)
        return renderMidi(out);
    if (m_next >= m_lines.size())
        return false;
    const Line& line = m_lines[m_next++];
    const int frequency = soundedFrequency(line);
    if (m_settings.output == Output::Beep) {
        const std::vector<short> tone = renderBeep(frequency, line.durationMs);
        out.insert(out.end(), tone.begin(), tone.end());
        return true;
    }
    // The waveform output sounds half the line and is silent for the rest; a rest or a
    // frequency the device cannot carry sounds nothing.
    const std::size_t start = out.size();
    if (frequency != 0 && frequency <= SynthWave::kHighestFrequency) {
        const int waveform = m_settings.waveform;
        const QByteArray image = SynthWave::buildImage(
            frequency, line.durationMs / 2, m_settings.volume, [waveform] { return waveform; });
        const auto* samples =
            reinterpret_cast<const std::uint8_t*>(image.constData()) + SynthWave::kHeaderSize;
        const std::size_t count = std::size_t(image.size() - SynthWave::kHeaderSize);
        out.reserve(start + count);
        // Eight-bit samples reach the device as 16-bit ones, silence 128 becoming 0.
        for (std::size_t i = 0; i < count; ++i)
            out.push_back(std::int16_t((int(samples[i]) - 128) << 8));
    }
    const auto lineSamples = std::size_t(SynthWave::sampleCount(line.durationMs));
    if (lineSamples > out.size() - start)
        out.resize(start + lineSamples, 0);
    return true;
}

bool OfflineRender::writeFile(
    const QString& fileName,
    const std::function<bool(std::uint64_t done, std::uint64_t total)>& keepGoing) {
    AudioFileWriter writer(fileName);
    const std::uint64_t total = totalSamples();
    std::uint64_t done = 0;
    std::vector<std::int16_t> block;
    // Lines are gathered into blocks of about a second, so short lines cost no call each.
    const auto flush = [&] {
        writer.write(block.data(), block.size());
        done += block.size();
        block.clear();
    };
    while (true) {
        if (keepGoing && !keepGoing(done + block.size(), total))
            return false;
        if (!renderNext(block))
            break;
        if (block.size() >= std::size_t(SynthWave::kSampleRate))
            flush();
    }
    flush();
    writer.finish();
    return true;
}

namespace {

bool sounds(int note) {
    return note >= 0 && note <= 127;
}

std::uint32_t message(int status, int data1, int data2) {
    return std::uint32_t(status) | std::uint32_t(data1 & 0x7F) << 8 |
           std::uint32_t(data2 & 0x7F) << 16;
}

} // namespace

void OfflineRender::renderSynth(std::vector<std::int16_t>& out, std::uint64_t count) {
    const std::size_t at = out.size();
    out.resize(at + count);
    for (std::uint64_t done = 0; done < count;) {
        const int frames = int(std::min<std::uint64_t>(count - done, 1 << 16));
        m_synth->render(out.data() + at + done, frames, m_sample + done);
        done += std::uint64_t(frames);
    }
    m_sample += count;
}

bool OfflineRender::renderMidi(std::vector<std::int16_t>& out) {
    if (!m_synth) {
        m_synth = std::make_unique<GmSynth>(GmSynth::soundFontPath());
        if (!m_synth->loaded())
            throw AppError(QStringLiteral("Der eingebaute MIDI-Synthesizer hat keine SoundFont "
                                          "gefunden; MIDI-Out kann nicht exportiert werden."));
        // The programs as Play sends them: channel 1 and 2, whatever the mode.
        m_synth->post(message(0xC0, m_settings.track1.program, 0), 0);
        m_synth->post(message(0xC1, m_settings.track2.program, 0), 0);
    }
    if (m_next >= m_lines.size()) {
        if (m_tailDone)
            return false;
        m_tailDone = true;
        renderSynth(out, std::uint64_t(SynthWave::sampleCount(kMidiTailMs)));
        return true;
    }
    const Line& line = m_lines[m_next++];
    const MidiFile::TrackSetup& t1 = m_settings.track1;
    const MidiFile::TrackSetup& t2 = m_settings.track2;
    const int v1 = std::clamp(t1.velocity, 0, 127), v2 = std::clamp(t2.velocity, 0, 127);
    const bool on1 = sounds(line.note1), on2 = sounds(line.note2);
    const std::uint64_t start = m_sample;
    const auto count = std::uint64_t(SynthWave::sampleCount(line.durationMs));
    if (on1)
        m_synth->post(t1.drum ? message(0x99, t1.drumKey, v1) : message(0x90, line.note1, v1),
                      start);
    if (on2)
        m_synth->post(t2.drum ? message(0x99, t2.drumKey, v2) : message(0x91, line.note2, v2),
                      start);
    // The note-offs in the MIDI engine's order: both melody offs, then both drum offs.
    const std::uint64_t end = start + count;
    if (on1)
        m_synth->post(message(0x80, line.note1, v1), end);
    if (on2)
        m_synth->post(message(0x81, line.note2, v2), end);
    if (on1)
        m_synth->post(message(0x89, t1.drumKey, v1), end);
    if (on2)
        m_synth->post(message(0x89, t2.drumKey, v2), end);
    renderSynth(out, count);
    return true;
}
