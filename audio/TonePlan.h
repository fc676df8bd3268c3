#pragma once

#include "audio/SoundBlock.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

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
/// its sound is queued a few lines and at least kAheadMs before it is heard (more, up to
/// kMostAheadMs, when ticks come late), so a late tick of the window's timer changes nothing
/// audible. The engine steps the view through the lines as
/// their starts are heard.
class TonePlan {
public:
    static constexpr int kAheadLines = 3;
    static constexpr int kAheadMs = 200;
    /// The margin grows up to this when ticks come late.
    static constexpr int kMostAheadMs = 2000;

    struct Line {
        int index = 0;
        std::uint64_t start = 0;
        std::uint64_t toneEnd = 0; ///< end of the queued sound
        std::uint64_t end = 0;     ///< end of the line
        LineSound::Kind kind = LineSound::Kind::Block;
    };

    /// @p lineSound gives line i's sound; called while planning, in line order.
    explicit TonePlan(std::function<LineSound(int index)> lineSound);

    /// Forgets the plan: lines from @p position on start at the device's next free time.
    void restart(int position);
    /// Queues lines until enough lies ahead of what is heard, or up to a Sync line or the end.
    void topUp();
    /// The next line to step, once its start is heard.
    std::optional<Line> takeDue();
    /// After a Sync line's work: the lines after it start at its end, or now if that has
    /// passed.
    void continueAfter(const Line& line);
    /// Milliseconds until the next line is heard or more must be queued (remembered, to see how
    /// late the tick comes); none when nothing is planned.
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

    std::function<LineSound(int)> m_lineSound;
    std::deque<Line> m_lines;               ///< planned and not yet stepped
    std::optional<Line> m_current;          ///< stepped last
    int m_next = 0;                         ///< next line to plan
    std::optional<std::uint64_t> m_stamp;   ///< start of the next line to plan
    bool m_blocked = false;                 ///< planning waits at a Sync line or the end
    std::optional<std::uint64_t> m_tickDue; ///< the sample time the next tick is meant for
    std::uint64_t m_ahead = 0;              ///< samples queued ahead of what is heard, at least
};
