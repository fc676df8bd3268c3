#include "audio/OfflineRender.h"

#include "audio/AudioFileWriter.h"
#include "audio/GmSynth.h"
#include "audio/SoundBlock.h"
#include "audio/SynthWave.h"
#include "audio/SystemBeep.h"
#include "audio/TwoVoices.h"
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

QString OfflineRender::tooLongText(std::uint64_t samples) {
    const auto hours = [](std::uint64_t count) {
        return QString::number(double(count) / SynthWave::kSampleRate / 3600, 'f', 1)
            .replace(QLatin1Char('.'), QLatin1Char(','));
    };
    return QStringLiteral("Ein Export fasst höchstens %1 Stunden Klang; dieses Lied dauert %2 "
                          "Stunden und wurde nicht exportiert.")
        .arg(kMaxExportHours)
        .arg(hours(samples));
}

void OfflineRender::checkExportLimits() const {
    const std::uint64_t total = totalSamples();
    if (total > kMaxExportSamples)
        throw AppError(tooLongText(total));
}

bool OfflineRender::startLine() {
    if (m_next >= m_lines.size())
        return false;
    const Line& line = m_lines[m_next];
    m_lineLength = std::uint64_t(SynthWave::sampleCount(line.durationMs));
    m_lineDone = 0;
    m_lineStarted = true;
    const int frequency = soundedFrequency(line);
    if (m_settings.twoVoices && m_settings.output != Output::Midi) {
        // Both tracks at once, as Play sounds them.
        m_voices = TwoVoices::block({line.freq1, line.durationMs, line.freq2, line.duration2Ms},
                                    m_settings.output == Output::Wave, m_settings.volume,
                                    m_settings.waveform);
    } else if (m_settings.output == Output::Beep) {
        m_beep = beepBlock(frequency, line.durationMs);
    } else {
        // The waveform output sounds half the line and is silent for the rest; a rest or a
        // frequency the device cannot carry sounds nothing.
        m_waveFrequency = frequency;
        m_waveLength = frequency != 0 && frequency <= SynthWave::kHighestFrequency
                           ? std::uint64_t(SynthWave::sampleCount(line.durationMs / 2))
                           : 0;
    }
    return true;
}

void OfflineRender::endLine() {
    m_lineStarted = false;
    m_beep.reset();
    m_voices.reset();
    ++m_next;
}

bool OfflineRender::renderNext(std::vector<std::int16_t>& out) {
    if (m_settings.output == Output::Midi)
        return renderMidi(out);
    if (!m_lineStarted && !startLine())
        return false;
    const std::uint64_t count = std::min<std::uint64_t>(m_lineLength - m_lineDone, kPieceSamples);
    const std::size_t at = out.size();
    out.resize(at + count, 0);
    std::int16_t* piece = out.data() + at;
    if (m_voices) {
        const std::uint64_t length = m_voices->length();
        if (m_lineDone < length)
            m_voices->render(piece, m_lineDone, int(std::min(count, length - m_lineDone)));
    } else if (m_settings.output == Output::Beep) {
        m_beep->render(piece, m_lineDone, int(count));
    } else if (m_lineDone < m_waveLength) {
        const std::uint64_t sounding = std::min(count, m_waveLength - m_lineDone);
        const int waveform = m_settings.waveform;
        std::vector<unsigned char> bytes(sounding);
        SynthWave::renderSamples(
            m_waveFrequency, m_settings.volume, [waveform] { return waveform; }, qint64(m_lineDone),
            qint64(sounding), bytes.data());
        // Eight-bit samples reach the device as 16-bit ones, silence 128 becoming 0.
        for (std::uint64_t i = 0; i < sounding; ++i)
            piece[i] = std::int16_t((int(bytes[i]) - 128) << 8);
    }
    m_lineDone += count;
    if (m_lineDone >= m_lineLength)
        endLine();
    return true;
}

bool OfflineRender::writeFile(
    const QString& fileName,
    const std::function<bool(std::uint64_t done, std::uint64_t total)>& keepGoing) {
    checkExportLimits();
    const std::uint64_t total = totalSamples();
    AudioFileWriter writer(fileName, total);
    if (writer.isRf64() && m_notice)
        m_notice(rf64Text());
    std::uint64_t done = 0;
    std::vector<std::int16_t> block;
    // Pieces are gathered into blocks of about a second, so short lines cost no call each;
    // a long line comes in pieces, so memory stays the same whatever its length.
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

QString OfflineRender::rf64Text() {
    return QStringLiteral("Der Klang ist größer als 4 GB, die eine WAV-Datei fasst; er wird im "
                          "Format RF64 (WAV mit 64-Bit-Größen) geschrieben.");
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
    m_synth->render(out.data() + at, int(count), m_sample);
    m_sample += count;
}

bool OfflineRender::renderMidi(std::vector<std::int16_t>& out) {
    if (!m_synth) {
        m_synth = std::make_unique<GmSynth>(GmSynth::soundFontPath());
        if (const QString missing = GmSynth::missingLibraryText(); !missing.isEmpty())
            throw AppError(missing);
        if (!m_synth->loaded())
            throw AppError(QStringLiteral("Der eingebaute MIDI-Synthesizer hat keine SoundFont "
                                          "gefunden; MIDI-Out kann nicht exportiert werden."));
        // The programs as Play sends them: channel 1 and 2, whatever the mode.
        m_synth->post(message(0xC0, m_settings.track1.program, 0), 0);
        m_synth->post(message(0xC1, m_settings.track2.program, 0), 0);
    }
    if (!m_lineStarted) {
        if (m_next < m_lines.size()) {
            startLine();
            postLineMessages(m_lines[m_next]);
        } else if (!m_tailDone) {
            // The tail that lets the last notes ring, once.
            m_tailDone = true;
            m_inTail = m_lineStarted = true;
            m_lineLength = std::uint64_t(SynthWave::sampleCount(kMidiTailMs));
            m_lineDone = 0;
        } else {
            return false;
        }
    }
    const std::uint64_t count = std::min<std::uint64_t>(m_lineLength - m_lineDone, kPieceSamples);
    renderSynth(out, count);
    m_lineDone += count;
    if (m_lineDone >= m_lineLength) {
        if (m_inTail)
            m_inTail = m_lineStarted = false;
        else
            endLine();
    }
    return true;
}

void OfflineRender::postLineMessages(const Line& line) {
    const MidiFile::TrackSetup& t1 = m_settings.track1;
    const MidiFile::TrackSetup& t2 = m_settings.track2;
    const int v1 = std::clamp(t1.velocity, 0, 127), v2 = std::clamp(t2.velocity, 0, 127);
    const bool on1 = sounds(line.note1), on2 = sounds(line.note2);
    const std::uint64_t start = m_sample;
    if (on1)
        m_synth->post(t1.drum ? message(0x99, t1.drumKey, v1) : message(0x90, line.note1, v1),
                      start);
    if (on2)
        m_synth->post(t2.drum ? message(0x99, t2.drumKey, v2) : message(0x91, line.note2, v2),
                      start);
    // The note-offs in the MIDI engine's order: both melody offs, then both drum offs.
    const std::uint64_t end = start + m_lineLength;
    if (on1)
        m_synth->post(message(0x80, line.note1, v1), end);
    if (on2)
        m_synth->post(message(0x81, line.note2, v2), end);
    if (on1)
        m_synth->post(message(0x89, t1.drumKey, v1), end);
    if (on2)
        m_synth->post(message(0x89, t2.drumKey, v2), end);
}
