#pragma once

#include "audio/SoundBlock.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

/// What one line of the song puts on the sound device.
struct LineSound {
    enum class Kind {
        Block, ///< a sound queued ahead (or silence, with no block)
        Sync,  ///< something done on the window's thread when the line is reached (a message,
               ///< a tone that another receiver plays): nothing after it is queued before that
        End    ///< the end mark
    };
    Kind kind = Kind::Block;
    std::unique_ptr<SoundBlock> block;
    std::uint64_t lineSamples = 0; ///< the line's whole length
};

/// The tone engine's schedule: each line gets a start on the sound device's sample clock, and
/// its sound is queued a few lines and about a second before it is heard. The queueing runs on
/// a thread of its own while feeding is on (feed), so the window's thread, however late its
/// ticks come, changes nothing audible; the engine steps the view through the lines as their
/// starts are heard. A Sync line stops the queueing until the window's thread has done its
/// work (continueAfter). Every call is safe from either thread; @p lineSound runs on both, so
/// it must read nothing that belongs to the window.
class TonePlan {
public:
    static constexpr int kAheadLines = 3;
    /// The feeding thread tops the queue up when less than this is left ahead of what is heard…
    static constexpr int kAheadMs = 500;
    /// …to this much.
    static constexpr int kFillMs = 1000;

    struct Line {
        int index = 0;
        std::uint64_t start = 0;
        std::uint64_t toneEnd = 0; ///< end of the queued sound
        std::uint64_t end = 0;     ///< end of the line
        LineSound::Kind kind = LineSound::Kind::Block;
    };

    /// @p lineSound gives line i's sound; called while planning, in line order.
    explicit TonePlan(std::function<LineSound(int index)> lineSound);
    ~TonePlan();
    TonePlan(const TonePlan&) = delete;
    TonePlan& operator=(const TonePlan&) = delete;

    /// The line that follows line i: i + 1 unless set (a loop goes back to its first line).
    /// Called on either thread with the plan's lock held: it may read only what stays fixed
    /// while the plan feeds.
    void setFollow(std::function<int(int index)> follow);

    /// Starts or stops the queueing on the feeding thread. Stopping waits for a top-up that
    /// runs now; takeBack stops it too.
    void feed(bool on);

    /// Forgets the plan: lines from @p position on start at the device's next free time.
    void restart(int position);
    /// Queues lines until enough lies ahead of what is heard, or up to a Sync line or the end.
    void topUp();
    /// The next line to step, once its start is heard.
    std::optional<Line> takeDue();
    /// After a Sync line's work: the lines after it start at its end, or now if that has
    /// passed.
    void continueAfter(const Line& line);
    /// Milliseconds until the next line is heard, rounded up; none when nothing is planned.
    std::optional<int> msUntilNextTick();
    /// Takes back everything queued beyond the line heard now (that line plays to its end) and
    /// returns the line to go on with: the one after the heard line, or a Sync line not yet
    /// reached. @p fallback when nothing was planned.
    int takeBack(int fallback);
    /// Takes back what is queued beyond the line heard now and plans it anew (the output changed);
    /// the heard line keeps its length and its view step.
    void replan();

private:
    std::optional<Line> heardLine(std::uint64_t heard) const;
    void topUpLocked();
    void feeding();

    int follow(int index) const { return m_follow ? m_follow(index) : index + 1; }

    std::function<LineSound(int)> m_lineSound;
    std::function<int(int)> m_follow;
    std::deque<Line> m_lines;               ///< planned and not yet stepped
    std::optional<Line> m_current;          ///< stepped last
    int m_next = 0;                         ///< next line to plan
    std::optional<std::uint64_t> m_stamp;   ///< start of the next line to plan
    bool m_blocked = false;                 ///< planning waits at a Sync line or the end

    mutable std::mutex m_mutex; ///< guards everything above
    std::condition_variable m_wake;
    bool m_feeding = false;
    bool m_quit = false;
    std::thread m_feeder; ///< started with the first feed(true)
};
