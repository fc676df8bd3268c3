#pragma once

#include <QString>

#include <chrono>
#include <cstdint>

struct MidiHeader;

/// Notifications a MIDI device sends to its callback.
enum MidiNotify : unsigned {
    kMimData = 0x3C3,      ///< p1: short message, p2: timestamp (ms since input start)
    kMimLongData = 0x3C4,  ///< p1: the filled MidiHeader, p2: timestamp
    kMimLongError = 0x3C6, ///< p1: an incomplete MidiHeader, p2: timestamp
    kMomDone = 0x3C9,      ///< p1: the MidiHeader whose block has been sent
};

/// Called by a device, for input on the device's own thread; @p context is what was given at
/// open. Must not allocate nor block.
using MidiCallback = void (*)(void* context, unsigned notify, std::uintptr_t p1, std::uintptr_t p2);

/// Result codes of the platform calls; 0 is success.
enum MidiResult : int {
    kMidiOk = 0,
    kMidiError = 1,
    kMidiBadDeviceId = 2,
    kMidiAllocated = 4,
    kMidiInvalidHandle = 5,
    kMidiNoDriver = 6,
    kMidiNoMem = 7,
    kMidiInvalidParam = 11,
    kMidiUnprepared = 64,
    kMidiStillPlaying = 65,
    kMidiNotReady = 67,
};

/// Support flag of a device that places messages at the sample times they carry, on the sound
/// device's own clock (sendShortAtSample), and can take them back (takeBackFrom).
constexpr std::uint32_t kMidiCapsStream = 0x0008;

/// What a device tells about itself.
struct MidiOutCaps {
    QString productName;
    std::uint32_t driverVersion = 0;
    std::uint8_t technology = 0;
    std::uint16_t voices = 0;
    std::uint16_t notes = 0;
    std::uint16_t channelMask = 0;
    std::uint32_t support = 0;
};

struct MidiInCaps {
    QString productName;
    std::uint32_t driverVersion = 0;
    std::uint16_t manufacturerId = 0;
    std::uint16_t productId = 0;
};

using MidiHandle = std::uint32_t; ///< 0 is no device

/// The MIDI services the device layer needs from the system: devices, their names, opening
/// with a callback, sending, receiving. Output device −1 is the mapper (the default device).
/// All calls but the callbacks come from the GUI thread.
class MidiPlatform {
public:
    virtual ~MidiPlatform() = default;

    virtual unsigned outputCount() = 0;
    virtual unsigned inputCount() = 0;
    virtual int outputCaps(int id, MidiOutCaps& caps) = 0;
    virtual int inputCaps(unsigned id, MidiInCaps& caps) = 0;
    /// The device's own text for a result code, or an empty text when it has none.
    virtual QString errorText(int code, bool input);

    virtual int openOutput(int id, MidiCallback callback, void* context, MidiHandle& handle) = 0;
    virtual int closeOutput(MidiHandle handle) = 0;
    virtual int sendShort(MidiHandle handle, std::uint32_t message) = 0;
    /// The same message, meant to sound at @p due; devices that cannot schedule send it now.
    virtual int sendShortAt(MidiHandle handle, std::uint32_t message,
                            std::chrono::steady_clock::time_point due) {
        (void)due;
        return sendShort(handle, message);
    }
    /// The same message, placed at @p sampleTime on the sound device's sample clock; devices
    /// without kMidiCapsStream send it now.
    virtual int sendShortAtSample(MidiHandle handle, std::uint32_t message,
                                  std::uint64_t sampleTime) {
        (void)sampleTime;
        return sendShort(handle, message);
    }
    /// Takes back the messages placed at or after @p sampleTime that have not taken effect;
    /// nothing for devices that send at once.
    virtual int takeBackFrom(MidiHandle handle, std::uint64_t sampleTime) {
        (void)handle;
        (void)sampleTime;
        return kMidiOk;
    }
    /// Sends a prepared block; the callback gets kMomDone with the header when it has gone.
    virtual int sendLong(MidiHandle handle, MidiHeader* header) = 0;

    virtual int openInput(unsigned id, MidiCallback callback, void* context,
                          MidiHandle& handle) = 0;
    virtual int closeInput(MidiHandle handle) = 0;
    /// Hands a prepared buffer to the input for the next system-exclusive block.
    virtual int addBuffer(MidiHandle handle, MidiHeader* header) = 0;
    virtual int startInput(MidiHandle handle) = 0;
    virtual int stopInput(MidiHandle handle) = 0;
    /// Stops input and gives back every buffer the device still holds.
    virtual int resetInput(MidiHandle handle) = 0;

    /// Prepare/unprepare a buffer before and after the device uses it.
    static int prepareHeader(MidiHeader* header);
    static int unprepareHeader(MidiHeader* header);
};

/// The MIDI services in force: the system's (built-in synthesizer and system ports) unless a
/// test installed others.
MidiPlatform& midiPlatform();
/// Installs other services (nullptr restores the system's). Not owned.
void setMidiPlatform(MidiPlatform* platform);
