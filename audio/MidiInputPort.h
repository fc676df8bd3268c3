#pragma once

#include "audio/MidiPlatform.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>

struct MidiHeader;

/// One open input device as the platforms hold it: turns received bytes into the device
/// notifications (a short message, or system-exclusive bytes in the buffers the program
/// handed over) and calls the program's callback. Runs on the receiving thread without
/// allocating.
class MidiInputPort {
public:
    MidiInputPort(MidiCallback callback, void* context);
    MidiInputPort(const MidiInputPort&) = delete;
    MidiInputPort& operator=(const MidiInputPort&) = delete;

    /// Delivers one received message; dropped unless started.
    void deliver(const std::uint8_t* bytes, std::size_t size);

    /// Delivers one system-exclusive block as received, even an empty one.
    void deliverBlock(const std::uint8_t* bytes, std::size_t size);

    int addBuffer(MidiHeader* header);
    void start();
    void stop();
    /// Stops and hands every held buffer back, empty.
    void reset();

private:
    MidiHeader* takeBuffer();
    std::uint32_t timestamp() const;

    MidiCallback m_callback;
    void* m_context;
    std::atomic<bool> m_started{false};
    std::chrono::steady_clock::time_point m_startTime{};
    std::mutex m_mutex;
    static constexpr std::size_t kMaxBuffers = 1024;
    std::array<MidiHeader*, kMaxBuffers> m_buffers{};
    std::size_t m_first = 0;
    std::size_t m_count = 0;
};
