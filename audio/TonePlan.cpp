#include "audio/TonePlan.h"

#include "audio/SoundDevice.h"

#include <algorithm>

namespace {

constexpr std::uint64_t kAheadSamples =
    std::uint64_t(TonePlan::kAheadMs) * SoundDevice::kSampleRate / 1000;
constexpr std::uint64_t kMostAheadSamples =
    std::uint64_t(TonePlan::kMostAheadMs) * SoundDevice::kSampleRate / 1000;

constexpr long kMaxLinesAhead = 256;

int msFromSamples(std::uint64_t samples) {
    // rounded up: a tick never comes before the sample time it waits for
    const std::uint64_t ms =
        (samples * 1000 + SoundDevice::kSampleRate - 1) / SoundDevice::kSampleRate;
    return int(std::min<std::uint64_t>(ms, 24u * 3600 * 1000));
}

} // namespace

TonePlan::TonePlan(std::function<LineSound(int index)> lineSound)
    : m_lineSound(std::move(lineSound)), m_ahead(kAheadSamples) {}

void TonePlan::restart(int position) {
    m_lines.clear();
    m_current.reset();
    m_next = position;
    m_stamp.reset();
    m_blocked = false;
    // (the margin learned from late ticks stays: the machine is as busy as it was)
    m_tickDue.reset();
}

void TonePlan::topUp() {
    SoundDevice& device = SoundDevice::instance();
    if (m_tickDue) {
        // A tick that comes late shows how long this machine keeps the window's thread away:
        // the margin grows to twice the worst delay seen (the song keeps its time; only the
        // sound that Stop takes back grows).
        const std::uint64_t heard = device.playedSamples();
        if (heard > *m_tickDue)
            m_ahead =
                std::clamp(kAheadSamples + 2 * (heard - *m_tickDue), m_ahead, kMostAheadSamples);
        m_tickDue.reset();
    }
    while (!m_blocked) {
        const std::uint64_t heard = device.playedSamples();
        const std::uint64_t ahead = m_stamp && *m_stamp > heard ? *m_stamp - heard : 0;
        const auto waiting = std::count_if(m_lines.begin(), m_lines.end(),
                                           [&](const Line& l) { return l.start >= heard; });
        // (a song of empty lines is planned a bounded number of lines at a time)
        if ((waiting >= kAheadLines && ahead >= m_ahead) || waiting >= kMaxLinesAhead)
            return;

        LineSound sound = m_lineSound(m_next);
        Line line;
        line.index = m_next;
        line.kind = sound.kind;
        // Right after the line before; later only when something else was queued in between
        // (a tone test) or the plan fell behind what is heard.
        line.start = std::max(m_stamp.value_or(0), device.nextBlockStart());
        if (sound.block) {
            const std::uint64_t length = sound.block->length();
            line.start = device.queue(std::move(sound.block), line.start);
            line.toneEnd = line.start + length;
        } else {
            line.toneEnd = line.start;
        }
        line.end = line.start + std::max(sound.lineSamples, line.toneEnd - line.start);
        m_lines.push_back(line);
        if (line.kind != LineSound::Kind::Block) {
            m_blocked = true;
            return;
        }
        m_stamp = line.end;
        ++m_next;
    }
}

std::optional<TonePlan::Line> TonePlan::takeDue() {
    if (m_lines.empty() || m_lines.front().start > SoundDevice::instance().playedSamples())
        return std::nullopt;
    m_current = m_lines.front();
    m_lines.pop_front();
    return m_current;
}

void TonePlan::continueAfter(const Line& line) {
    m_stamp =
        std::max(line.start + (line.end - line.start), SoundDevice::instance().nextBlockStart());
    m_next = line.index + 1;
    m_blocked = false;
}

std::optional<int> TonePlan::msUntilNextTick() {
    const std::uint64_t heard = SoundDevice::instance().playedSamples();
    std::optional<std::uint64_t> at;
    if (!m_lines.empty())
        at = m_lines.front().start;
    if (!m_blocked && m_stamp) {
        const std::uint64_t refill = *m_stamp > m_ahead ? *m_stamp - m_ahead : 0;
        at = at ? std::min(*at, refill) : refill;
    }
    m_tickDue = at;
    if (!at)
        return std::nullopt;
    return *at > heard ? msFromSamples(*at - heard) : 0;
}

std::optional<TonePlan::Line> TonePlan::heardLine(std::uint64_t heard) const {
    std::optional<Line> playing = m_current;
    for (const Line& line : m_lines)
        if (line.start <= heard && line.kind == LineSound::Kind::Block)
            playing = line;
    return playing;
}

void TonePlan::replan() {
    SoundDevice& device = SoundDevice::instance();
    const std::uint64_t heard = device.playedSamples();
    // A line of the window's thread that is due: nothing lies queued beyond it.
    for (const Line& line : m_lines)
        if (line.kind != LineSound::Kind::Block && line.start <= heard)
            return;
    const std::optional<Line> playing = heardLine(heard);
    if (!playing) {
        if (!m_lines.empty())
            m_next = m_lines.front().index;
        device.takeBackFrom(0);
        m_lines.clear();
        m_blocked = false;
        m_stamp.reset();
        return;
    }
    device.takeBackFrom(playing->toneEnd);
    // Lines heard and not yet stepped keep their steps.
    while (!m_lines.empty() && m_lines.back().start > heard)
        m_lines.pop_back();
    m_blocked = false;
    m_stamp = std::max(playing->end, device.nextBlockStart());
    m_next = playing->index + 1;
}

int TonePlan::takeBack(int fallback) {
    SoundDevice& device = SoundDevice::instance();
    const std::uint64_t heard = device.playedSamples();
    const std::optional<Line> playing = heardLine(heard);
    int resume = fallback;
    if (playing) {
        device.takeBackFrom(playing->toneEnd);
        resume = playing->index + 1;
    } else {
        device.takeBackFrom(0);
    }
    m_lines.clear();
    m_blocked = false;
    m_stamp.reset();
    m_next = resume;
    return resume;
}
