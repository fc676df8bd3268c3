#pragma once

#include "audio/MidiTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>

/// The queue between the MIDI callback thread (the only producer) and the GUI thread (the only
/// consumer): a fixed ring of MidiRingItem allocated once, so the producer never allocates.
/// The producer alone moves the put position, the consumer alone the get position; the count
/// is the one value both change, and it is changed atomically after the item is written and
/// after it has been read, so neither side sees a slot the other is still using.
class Circbuf {
public:
    explicit Circbuf(std::uint16_t capacity);
    Circbuf(const Circbuf&) = delete;
    Circbuf& operator=(const Circbuf&) = delete;

    /// Producer: false when the ring is full (the item is dropped).
    bool put(const MidiRingItem& item) noexcept {
        if (m_count.load(std::memory_order_acquire) >= m_capacity)
            return false;
        m_items[m_put] = item;
        m_put = m_put + 1 == m_capacity ? 0 : m_put + 1;
        m_count.fetch_add(1, std::memory_order_release);
        return true;
    }

    /// Consumer: the oldest item, or false when the ring is empty.
    bool peek(MidiRingItem& item) const noexcept {
        if (m_count.load(std::memory_order_acquire) == 0)
            return false;
        item = m_items[m_get];
        return true;
    }

    /// Consumer: drops the oldest item, if any.
    void remove() noexcept {
        if (m_count.load(std::memory_order_acquire) == 0)
            return;
        m_get = m_get + 1 == m_capacity ? 0 : m_get + 1;
        m_count.fetch_sub(1, std::memory_order_release);
    }

    std::uint16_t count() const noexcept { return m_count.load(std::memory_order_acquire); }
    std::uint16_t capacity() const noexcept { return m_capacity; }

private:
    std::unique_ptr<MidiRingItem[]> m_items;
    const std::uint16_t m_capacity;
    std::uint16_t m_put = 0; ///< producer only
    std::uint16_t m_get = 0; ///< consumer only
    std::atomic<std::uint16_t> m_count{0};
};

inline Circbuf::Circbuf(std::uint16_t capacity)
    : m_items(std::make_unique<MidiRingItem[]>(capacity)), m_capacity(capacity) {}
