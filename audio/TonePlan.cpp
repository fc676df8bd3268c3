#include "audio/TonePlan.h"

#include "audio/SoundDevice.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr std::uint64_t kAheadSamples =
    std::uint64_t(TonePlan::kAheadMs) * SoundDevice::kSampleRate / 1000;
constexpr std::uint64_t kFillSamples =
    std::uint64_t(TonePlan::kFillMs) * SoundDevice::kSampleRate / 1000;

constexpr long kMaxLinesAhead = 256;

int msFromSamples(std::uint64_t samples) {
    // rounded up: a tick never comes before the sample time it waits for
    const std::uint64_t ms =
        (samples * 1000 + SoundDevice::kSampleRate - 1) / SoundDevice::kSampleRate;
    return int(std::min<std::uint64_t>(ms, 24u * 3600 * 1000));
}

} // namespace

TonePlan::TonePlan(std::function<LineSound(int index)> lineSound)
    : m_lineSound(std::move(lineSound)) {}

TonePlan::~TonePlan() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    if (m_feeder.joinable())
        m_feeder.join();
}

void TonePlan::setFollow(std::function<int(int index)> follow) {
    std::lock_guard lock(m_mutex);
    m_follow = std::move(follow);
}

void TonePlan::feed(bool on) {
    {
        std::lock_guard lock(m_mutex);
        m_feeding = on;
        if (on && !m_feeder.joinable())
            m_feeder = std::thread([this] { feeding(); });
    }
    m_wake.notify_all();
}

void TonePlan::feeding() {
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (!m_feeding) {
            m_wake.wait(lock);
            continue;
        }
        try {
            topUpLocked();
        } catch (...) {
            // A line whose sound cannot be made: the window's thread meets the same error when
            // its tick reaches that line, and shows it.
            m_feeding = false;
            continue;
        }
        // Asleep until the sound ahead has shrunk to the margin (the device may run a little
        // faster than the steady clock: wake a little early). A Sync line or the end wakes us
        // through continueAfter, restart or feed.
        auto wait = std::chrono::milliseconds(250);
        if (!m_blocked && m_stamp) {
            const std::uint64_t heard = SoundDevice::instance().playedSamples();
            const std::uint64_t ahead = *m_stamp > heard ? *m_stamp - heard : 0;
            const std::uint64_t spare = ahead > kAheadSamples ? ahead - kAheadSamples : 0;
            wait = std::clamp(std::chrono::milliseconds(spare * 900 / SoundDevice::kSampleRate),
                              std::chrono::milliseconds(5), wait);
        }
        m_wake.wait_for(lock, wait);
    }
}

void TonePlan::restart(int position) {
    {
        std::lock_guard lock(m_mutex);
        m_lines.clear();
        m_current.reset();
        m_next = position;
        m_stamp.reset();
        m_blocked = false;
    }
    m_wake.notify_all();
}

void TonePlan::topUp() {
    std::lock_guard lock(m_mutex);
    topUpLocked();
}

void TonePlan::topUpLocked() {
    SoundDevice& device = SoundDevice::instance();
    std::uint64_t target = kFillSamples;
    {
        // Only when less than the margin is left is the queue filled again, to the fill level:
        // the feeding thread wakes a few times a second, not at every line.
        const std::uint64_t heard = device.playedSamples();
        const std::uint64_t ahead = m_stamp && *m_stamp > heard ? *m_stamp - heard : 0;
        const auto waiting = std::count_if(m_lines.begin(), m_lines.end(),
                                           [&](const Line& l) { return l.start >= heard; });
        if (waiting >= kAheadLines && ahead >= kAheadSamples)
            return;
    }
    while (!m_blocked) {
        const std::uint64_t heard = device.playedSamples();
        const std::uint64_t ahead = m_stamp && *m_stamp > heard ? *m_stamp - heard : 0;
        const auto waiting = std::count_if(m_lines.begin(), m_lines.end(),
                                           [&](const Line& l) { return l.start >= heard; });
        // (a song of empty lines is planned a bounded number of lines at a time)
        if ((waiting >= kAheadLines && ahead >= target) || waiting >= kMaxLinesAhead)
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
        m_next = follow(m_next);
    }
}

std::optional<TonePlan::Line> TonePlan::takeDue() {
    std::lock_guard lock(m_mutex);
    if (m_lines.empty() || m_lines.front().start > SoundDevice::instance().playedSamples())
        return std::nullopt;
    m_current = m_lines.front();
    m_lines.pop_front();
    return m_current;
}

void TonePlan::continueAfter(const Line& line) {
    {
        std::lock_guard lock(m_mutex);
        m_stamp = std::max(line.start + (line.end - line.start),
                           SoundDevice::instance().nextBlockStart());
        m_next = follow(line.index);
        m_blocked = false;
    }
    m_wake.notify_all();
}

std::optional<int> TonePlan::msUntilNextTick() {
    std::lock_guard lock(m_mutex);
    if (m_lines.empty())
        return std::nullopt;
    const std::uint64_t heard = SoundDevice::instance().playedSamples();
    const std::uint64_t at = m_lines.front().start;
    return at > heard ? msFromSamples(at - heard) : 0;
}

std::optional<TonePlan::Line> TonePlan::heardLine(std::uint64_t heard) const {
    std::optional<Line> playing = m_current;
    for (const Line& line : m_lines)
        if (line.start <= heard && line.kind == LineSound::Kind::Block)
            playing = line;
    return playing;
}

void TonePlan::replan() {
    {
        std::lock_guard lock(m_mutex);
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
        } else {
            device.takeBackFrom(playing->toneEnd);
            // Lines heard and not yet stepped keep their steps.
            while (!m_lines.empty() && m_lines.back().start > heard)
                m_lines.pop_back();
            m_blocked = false;
            m_stamp = std::max(playing->end, device.nextBlockStart());
            m_next = follow(playing->index);
        }
    }
    m_wake.notify_all();
}

int TonePlan::takeBack(int fallback) {
    std::lock_guard lock(m_mutex);
    m_feeding = false;
    SoundDevice& device = SoundDevice::instance();
    const std::uint64_t heard = device.playedSamples();
    const std::optional<Line> playing = heardLine(heard);
    int resume = fallback;
    if (playing) {
        device.takeBackFrom(playing->toneEnd);
        resume = follow(playing->index);
    } else {
        device.takeBackFrom(0);
    }
    m_lines.clear();
    m_blocked = false;
    m_stamp.reset();
    m_next = resume;
    return resume;
}
