#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

class Circbuf;
class MidiWakeup;
struct MidiHeader;

/// What the device callback may reach: the input's ring, where to post, the sysex-only flag.
/// Set up on the GUI thread before the device is opened and left alone while it is open.
struct MidiCallbackContext {
    Circbuf* ring = nullptr; ///< none for output objects
    MidiWakeup* window = nullptr;
    std::atomic<bool> sysexOnly{false};
    /// Output only: runs on the GUI thread when a system-exclusive block has been sent.
    std::function<void(MidiHeader*)> outputDone;
};

/// The callback every MIDI device of the layer is opened with. For input it runs on the
/// device's thread: it filters active sensing and timing clock, puts the message into the
/// ring and posts one notification, and allocates nothing.
void MidiDeviceCallback(void* context, unsigned notify, std::uintptr_t p1, std::uintptr_t p2);
