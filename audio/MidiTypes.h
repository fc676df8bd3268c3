#pragma once

#include "base/Errors.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

/// A platform buffer for one system-exclusive block: the device fills it (input) or sends it
/// (output). `user` names the object that owns the buffer.
struct MidiHeader {
    std::uint8_t* data = nullptr;
    std::uint32_t bufferLength = 0;
    /// Bytes the device wrote into the buffer (input) or bytes to send (output).
    std::uint32_t bytesRecorded = 0;
    void* user = nullptr;
    /// 1-based slot of the buffer among its input's buffers; 0 for output buffers.
    std::uint32_t slot = 0;
    bool prepared = false;
    /// True while the device holds the buffer.
    std::atomic<bool> queued{false};
};

/// One received message in the input ring: 12 bytes, written by the callback thread.
struct MidiRingItem {
    std::uint32_t timestamp = 0; ///< milliseconds since input started
    /// Status in bits 0–7, first data byte in bits 8–15, second in bits 16–23; 0 for a
    /// system-exclusive item.
    std::uint32_t shortMessage = 0;
    /// 1-based slot of the filled system-exclusive buffer, 0 for a short message.
    std::uint32_t sysexSlot = 0;
};
static_assert(sizeof(MidiRingItem) == 12);

/// A received message as the program reads it. The system-exclusive bytes are a copy.
struct TMyMidiEvent {
    std::uint8_t MidiMessage = 0;
    std::uint8_t Data1 = 0;
    std::uint8_t Data2 = 0;
    std::uint32_t Time = 0;
    std::uint16_t SysexLength = 0;
    /// Empty for a short message and for a system-exclusive block of 0 bytes.
    QByteArray Sysex;
};

/// A system-exclusive buffer with its platform header, for sending or receiving.
class TMyMidiHdr {
public:
    /// A buffer of @p size bytes; 0 gives a header without data.
    explicit TMyMidiHdr(std::uint32_t size);
    ~TMyMidiHdr();
    TMyMidiHdr(const TMyMidiHdr&) = delete;
    TMyMidiHdr& operator=(const TMyMidiHdr&) = delete;

    MidiHeader* header() { return &m_header; }
    std::uint8_t* data() { return m_data.get(); }

private:
    MidiHeader m_header;
    std::unique_ptr<std::uint8_t[]> m_data;
};

/// An error of a MIDI output device; the text is the device's own or one of the layer's.
class EmidioutputError : public AppError {
public:
    explicit EmidioutputError(const QString& text) : AppError(text) {}
};

/// An error of a MIDI input device.
class EMidiInputError : public AppError {
public:
    explicit EMidiInputError(const QString& text) : AppError(text) {}
};
