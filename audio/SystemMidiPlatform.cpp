#include "audio/SystemMidiPlatform.h"

#include "audio/AlsaMidiPorts.h"

SystemMidiPlatform& SystemMidiPlatform::instance() {
    static SystemMidiPlatform platform;
    return platform;
}

SystemMidiPlatform::SystemMidiPlatform() = default;
SystemMidiPlatform::~SystemMidiPlatform() = default;

AlsaMidiPorts& SystemMidiPlatform::ports() {
    // The sequencer is opened when MIDI is first used, not at every start of a test.
    if (!m_ports)
        m_ports = std::make_unique<AlsaMidiPorts>();
    return *m_ports;
}

QString SystemMidiPlatform::errorText(int code, bool input) {
    return ports().errorText(code, input);
}
unsigned SystemMidiPlatform::outputCount() {
    return ports().outputCount();
}
unsigned SystemMidiPlatform::inputCount() {
    return ports().inputCount();
}
int SystemMidiPlatform::outputCaps(int id, MidiOutCaps& caps) {
    return ports().outputCaps(id, caps);
}
int SystemMidiPlatform::inputCaps(unsigned id, MidiInCaps& caps) {
    return ports().inputCaps(id, caps);
}
int SystemMidiPlatform::openOutput(int id, MidiCallback callback, void* context,
                                   MidiHandle& handle) {
    return ports().openOutput(id, callback, context, handle);
}
int SystemMidiPlatform::closeOutput(MidiHandle handle) {
    return ports().closeOutput(handle);
}
int SystemMidiPlatform::sendShort(MidiHandle handle, std::uint32_t message) {
    return ports().sendShort(handle, message);
}
int SystemMidiPlatform::sendShortAt(MidiHandle handle, std::uint32_t message,
                                    std::chrono::steady_clock::time_point) {
    return ports().sendShort(handle, message);
}
int SystemMidiPlatform::sendLong(MidiHandle handle, MidiHeader* header) {
    return ports().sendLong(handle, header);
}
int SystemMidiPlatform::openInput(unsigned id, MidiCallback callback, void* context,
                                  MidiHandle& handle) {
    return ports().openInput(id, callback, context, handle);
}
int SystemMidiPlatform::closeInput(MidiHandle handle) {
    return ports().closeInput(handle);
}
int SystemMidiPlatform::addBuffer(MidiHandle handle, MidiHeader* header) {
    return ports().addBuffer(handle, header);
}
int SystemMidiPlatform::startInput(MidiHandle handle) {
    return ports().startInput(handle);
}
int SystemMidiPlatform::stopInput(MidiHandle handle) {
    return ports().stopInput(handle);
}
int SystemMidiPlatform::resetInput(MidiHandle handle) {
    return ports().resetInput(handle);
}
