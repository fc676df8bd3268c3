#include "audio/MidiPlatform.h"

#include "audio/MidiTypes.h"
#include "audio/SystemMidiPlatform.h"

namespace {
MidiPlatform* g_installed = nullptr;
}

QString MidiPlatform::errorText(int code, bool input) {
    switch (code) {
    case kMidiError:
        return QStringLiteral("Unspecified error.");
    case kMidiBadDeviceId:
        return QStringLiteral("The device identifier is out of range.");
    case kMidiAllocated:
        return QStringLiteral("The device is already in use by another program.");
    case kMidiInvalidHandle:
        return QStringLiteral("The device handle is invalid.");
    case kMidiNoDriver:
        return QStringLiteral("No device driver is present.");
    case kMidiNoMem:
        return QStringLiteral("Unable to allocate or lock memory.");
    case kMidiInvalidParam:
        return QStringLiteral("An invalid parameter was passed to a MIDI function.");
    case kMidiUnprepared:
        return QStringLiteral("The buffer has not been prepared.");
    case kMidiStillPlaying:
        return input ? QStringLiteral("The device still holds buffers; reset it first.")
                     : QStringLiteral("A system-exclusive block is still being sent.");
    case kMidiNotReady:
        return QStringLiteral("The device is busy; try again later.");
    default:
        return {};
    }
}

int MidiPlatform::prepareHeader(MidiHeader* header) {
    if (!header)
        return kMidiInvalidParam;
    header->prepared = true;
    return kMidiOk;
}

int MidiPlatform::unprepareHeader(MidiHeader* header) {
    if (!header)
        return kMidiInvalidParam;
    if (header->queued.load())
        return kMidiStillPlaying;
    header->prepared = false;
    return kMidiOk;
}

MidiPlatform& midiPlatform() {
    if (g_installed)
        return *g_installed;
    return SystemMidiPlatform::instance();
}

void setMidiPlatform(MidiPlatform* platform) {
    g_installed = platform;
}
