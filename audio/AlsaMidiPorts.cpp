#include "audio/AlsaMidiPorts.h"

#include "audio/MidiInputPort.h"
#include "audio/MidiTypes.h"

#include <rtmidi/RtMidi.h>

#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kClientName = "Z1rpW3rk";

void silentErrors(RtMidiError::Type, const std::string&, void*) {}

void received(double, std::vector<unsigned char>* message, void* userData) {
    if (message && !message->empty())
        static_cast<MidiInputPort*>(userData)->deliver(message->data(), message->size());
}

int messageLength(std::uint8_t status) {
    if (status < 0x80)
        return 0;
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 2;
    case 0xF0:
        switch (status) {
        case 0xF1:
        case 0xF3:
            return 2;
        case 0xF2:
            return 3;
        default:
            return 1;
        }
    default:
        return 3;
    }
}

} // namespace

AlsaMidiPorts::AlsaMidiPorts() {
    // Without the sequencer device the library would print its own complaint before failing.
    if (::access("/dev/snd/seq", R_OK | W_OK) != 0) {
        m_missing = QStringLiteral("no ALSA sequencer at /dev/snd/seq");
        return;
    }
    try {
        m_outList = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kClientName);
        m_outList->setErrorCallback(&silentErrors);
        m_inList = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, kClientName);
        m_inList->setErrorCallback(&silentErrors);
    } catch (const RtMidiError& error) {
        m_outList.reset();
        m_inList.reset();
        m_missing = QString::fromStdString(error.what());
    }
}

void AlsaMidiPorts::sayMissing() {
    // Said when a port is to be opened, not at every start: a run that plays on the built-in
    // synthesizer or renders a file has no use for the note.
    if (m_missing.isEmpty() || m_saidMissing)
        return;
    m_saidMissing = true;
    std::fprintf(stderr, "z1rpw3rk: no system MIDI ports (%s)\n", qPrintable(m_missing));
}

AlsaMidiPorts::~AlsaMidiPorts() = default;

int AlsaMidiPorts::fail(const std::string& message) {
    m_lastDriverText = QString::fromStdString(message);
    return kMidiError;
}

QString AlsaMidiPorts::errorText(int code, bool input) {
    if (code == kMidiError && !m_lastDriverText.isEmpty())
        return m_lastDriverText;
    return MidiPlatform::errorText(code, input);
}

unsigned AlsaMidiPorts::outputCount() {
    try {
        return m_outList ? m_outList->getPortCount() : 0;
    } catch (const RtMidiError&) {
        return 0;
    }
}

unsigned AlsaMidiPorts::inputCount() {
    try {
        return m_inList ? m_inList->getPortCount() : 0;
    } catch (const RtMidiError&) {
        return 0;
    }
}

int AlsaMidiPorts::outputCaps(int id, MidiOutCaps& caps) {
    sayMissing();
    if (id == -1)
        id = 0;
    if (!m_outList || id < 0 || unsigned(id) >= outputCount())
        return kMidiBadDeviceId;
    try {
        caps = {};
        caps.productName = QString::fromStdString(m_outList->getPortName(unsigned(id)));
        caps.technology = 1; // a port, as far as the program can tell
        caps.channelMask = 0xFFFF;
        return kMidiOk;
    } catch (const RtMidiError& error) {
        return fail(error.getMessage());
    }
}

int AlsaMidiPorts::inputCaps(unsigned id, MidiInCaps& caps) {
    if (!m_inList || id >= inputCount())
        return kMidiBadDeviceId;
    try {
        caps = {};
        caps.productName = QString::fromStdString(m_inList->getPortName(id));
        return kMidiOk;
    } catch (const RtMidiError& error) {
        return fail(error.getMessage());
    }
}

int AlsaMidiPorts::openOutput(int id, MidiCallback callback, void* context, MidiHandle& handle) {
    sayMissing();
    if (id == -1)
        id = 0;
    if (!m_outList || id < 0 || unsigned(id) >= outputCount())
        return kMidiBadDeviceId;
    try {
        auto midi = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kClientName);
        midi->setErrorCallback(&silentErrors);
        midi->openPort(unsigned(id), "Z1rpW3rk Output");
        if (!midi->isPortOpen())
            return kMidiAllocated;
        handle = m_next++;
        m_out[handle] = {std::move(midi), callback, context};
        return kMidiOk;
    } catch (const RtMidiError& error) {
        return fail(error.getMessage());
    }
}

int AlsaMidiPorts::closeOutput(MidiHandle handle) {
    const auto it = m_out.find(handle);
    if (it == m_out.end())
        return kMidiInvalidHandle;
    try {
        it->second.midi->closePort();
    } catch (const RtMidiError&) {
    }
    m_out.erase(it);
    return kMidiOk;
}

int AlsaMidiPorts::sendShort(MidiHandle handle, std::uint32_t message) {
    const auto it = m_out.find(handle);
    if (it == m_out.end())
        return kMidiInvalidHandle;
    const std::uint8_t bytes[3] = {std::uint8_t(message), std::uint8_t(message >> 8),
                                   std::uint8_t(message >> 16)};
    const int length = messageLength(bytes[0]);
    if (length == 0)
        return kMidiInvalidParam;
    try {
        it->second.midi->sendMessage(bytes, std::size_t(length));
        return kMidiOk;
    } catch (const RtMidiError& error) {
        return fail(error.getMessage());
    }
}

int AlsaMidiPorts::sendLong(MidiHandle handle, MidiHeader* header) {
    const auto it = m_out.find(handle);
    if (it == m_out.end())
        return kMidiInvalidHandle;
    if (!header)
        return kMidiInvalidParam;
    if (!header->prepared)
        return kMidiUnprepared;
    try {
        if (header->bytesRecorded)
            it->second.midi->sendMessage(header->data, header->bytesRecorded);
    } catch (const RtMidiError& error) {
        return fail(error.getMessage());
    }
    it->second.callback(it->second.context, kMomDone, reinterpret_cast<std::uintptr_t>(header), 0);
    return kMidiOk;
}

int AlsaMidiPorts::openInput(unsigned id, MidiCallback callback, void* context,
                             MidiHandle& handle) {
    sayMissing();
    if (!m_inList || id >= inputCount())
        return kMidiBadDeviceId;
    try {
        auto midi = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, kClientName);
        midi->setErrorCallback(&silentErrors);
        auto port = std::make_unique<MidiInputPort>(callback, context);
        // Everything arrives; the layer itself drops sensing and clock.
        midi->ignoreTypes(false, false, false);
        midi->setCallback(&received, port.get());
        midi->openPort(id, "Z1rpW3rk Input");
        if (!midi->isPortOpen())
            return kMidiAllocated;
        handle = m_next++;
        m_in[handle] = {std::move(midi), std::move(port)};
        return kMidiOk;
    } catch (const RtMidiError& error) {
        return fail(error.getMessage());
    }
}

int AlsaMidiPorts::closeInput(MidiHandle handle) {
    const auto it = m_in.find(handle);
    if (it == m_in.end())
        return kMidiInvalidHandle;
    try {
        // Joins the receiving thread: no callback runs after this.
        it->second.midi->closePort();
        it->second.midi->cancelCallback();
    } catch (const RtMidiError&) {
    }
    m_in.erase(it);
    return kMidiOk;
}

int AlsaMidiPorts::addBuffer(MidiHandle handle, MidiHeader* header) {
    const auto it = m_in.find(handle);
    return it == m_in.end() ? kMidiInvalidHandle : it->second.port->addBuffer(header);
}

int AlsaMidiPorts::startInput(MidiHandle handle) {
    const auto it = m_in.find(handle);
    if (it == m_in.end())
        return kMidiInvalidHandle;
    it->second.port->start();
    return kMidiOk;
}

int AlsaMidiPorts::stopInput(MidiHandle handle) {
    const auto it = m_in.find(handle);
    if (it == m_in.end())
        return kMidiInvalidHandle;
    it->second.port->stop();
    return kMidiOk;
}

int AlsaMidiPorts::resetInput(MidiHandle handle) {
    const auto it = m_in.find(handle);
    if (it == m_in.end())
        return kMidiInvalidHandle;
    it->second.port->reset();
    return kMidiOk;
}
