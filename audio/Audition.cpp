#include "audio/Audition.h"

#include "audio/SoundDevice.h"

#include <algorithm>

namespace {

// A stretch of a sound that several pieces share.
class Piece final : public SoundBlock {
public:
    Piece(std::shared_ptr<const SoundBlock> whole, std::uint64_t first, std::uint64_t count)
        : m_whole(std::move(whole)), m_first(first), m_count(count) {}
    std::uint64_t length() const override { return m_count; }
    void render(std::int16_t* out, std::uint64_t offset, int frames) const override {
        m_whole->render(out, m_first + offset, frames);
    }

private:
    std::shared_ptr<const SoundBlock> m_whole;
    std::uint64_t m_first;
    std::uint64_t m_count;
};

} // namespace

void Audition::play(std::unique_ptr<SoundBlock> block) {
    cut();
    if (!block || block->length() == 0)
        return;
    SoundDevice& device = SoundDevice::instance();
    const std::shared_ptr<const SoundBlock> whole(std::move(block));
    const std::uint64_t length = std::min(whole->length(), kLongestSamples);
    std::uint64_t at = device.nextBlockStart();
    m_from = at;
    m_queued = true;
    for (std::uint64_t first = 0; first < length; first += kPieceSamples) {
        const std::uint64_t count = std::min(kPieceSamples, length - first);
        at = device.queue(std::make_unique<Piece>(whole, first, count), at) + count;
    }
}

void Audition::cut() {
    if (!m_queued)
        return;
    m_queued = false;
    SoundDevice::instance().takeBackFrom(m_from);
}
