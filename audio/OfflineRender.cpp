#include "audio/OfflineRender.h"

#include "audio/AudioFileWriter.h"
#include "audio/SynthWave.h"
#include "audio/SystemBeep.h"

#include <algorithm>

OfflineRender::OfflineRender(QList<Line> lines, const Settings& settings)
    : m_lines(std::move(lines)), m_settings(settings) {}

int OfflineRender::soundedFrequency(const Line& line) {
    return line.freq1 == 0 ? line.freq2 : line.freq1;
}

std::uint64_t OfflineRender::totalSamples() const {
    std::uint64_t total = 0;
    for (const Line& line : m_lines)
        total += std::uint64_t(SynthWave::sampleCount(line.durationMs));
    return total;
}

bool OfflineRender::renderNext(std::vector<std::int16_t>& out) {
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
