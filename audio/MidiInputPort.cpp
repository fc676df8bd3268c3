#include "audio/MidiInputPort.h"

#include "audio/MidiTypes.h"

#include <algorithm>
#include <cstring>

MidiInputPort::MidiInputPort(MidiCallback callback, void* context)
    : m_callback(callback), m_context(context) {}

std::uint32_t MidiInputPort::timestamp() const {
    return std::uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - m_startTime)
                             .count());
}

void MidiInputPort::deliver(const std::uint8_t* bytes, std::size_t size) {
    if (!m_started.load(std::memory_order_acquire) || size == 0)
        return;
    const std::uint32_t time = timestamp();
    if (bytes[0] != 0xF0) {
        std::uint32_t message = bytes[0];
        if (size > 1)
            message |= std::uint32_t(bytes[1]) << 8;
        if (size > 2)
            message |= std::uint32_t(bytes[2]) << 16;
        m_callback(m_context, kMimData, message, time);
        return;
    }
    // A block longer than one buffer continues in the next; without a free buffer the rest
    // is lost, as on a device that runs out of buffers.
    std::size_t offset = 0;
    do {
        MidiHeader* header = takeBuffer();
        if (!header)
            return;
        const std::size_t chunk = std::min<std::size_t>(size - offset, header->bufferLength);
        if (chunk)
            std::memcpy(header->data, bytes + offset, chunk);
        header->bytesRecorded = std::uint32_t(chunk);
        offset += chunk;
        header->queued.store(false, std::memory_order_release);
        m_callback(m_context, kMimLongData, reinterpret_cast<std::uintptr_t>(header), time);
        if (chunk == 0)
            return;
    } while (offset < size);
}

void MidiInputPort::deliverBlock(const std::uint8_t* bytes, std::size_t size) {
    if (!m_started.load(std::memory_order_acquire))
        return;
    MidiHeader* header = takeBuffer();
    if (!header)
        return;
    const std::size_t chunk = std::min<std::size_t>(size, header->bufferLength);
    if (chunk)
        std::memcpy(header->data, bytes, chunk);
    header->bytesRecorded = std::uint32_t(chunk);
    header->queued.store(false, std::memory_order_release);
    m_callback(m_context, kMimLongData, reinterpret_cast<std::uintptr_t>(header), timestamp());
}

MidiHeader* MidiInputPort::takeBuffer() {
    std::lock_guard lock(m_mutex);
    if (m_count == 0)
        return nullptr;
    MidiHeader* header = m_buffers[m_first];
    m_first = (m_first + 1) % kMaxBuffers;
    --m_count;
    return header;
}

int MidiInputPort::addBuffer(MidiHeader* header) {
    if (!header)
        return kMidiInvalidParam;
    if (!header->prepared)
        return kMidiUnprepared;
    std::lock_guard lock(m_mutex);
    if (m_count == kMaxBuffers)
        return kMidiNoMem;
    header->bytesRecorded = 0;
    header->queued.store(true, std::memory_order_release);
    m_buffers[(m_first + m_count) % kMaxBuffers] = header;
    ++m_count;
    return kMidiOk;
}

void MidiInputPort::start() {
    if (!m_started.load()) {
        m_startTime = std::chrono::steady_clock::now();
        m_started.store(true, std::memory_order_release);
    }
}

void MidiInputPort::stop() {
    m_started.store(false, std::memory_order_release);
}

void MidiInputPort::reset() {
    stop();
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < m_count; ++i) {
        MidiHeader* header = m_buffers[(m_first + i) % kMaxBuffers];
        header->bytesRecorded = 0;
        header->queued.store(false, std::memory_order_release);
    }
    m_count = 0;
}
