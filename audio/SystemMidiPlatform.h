#pragma once

#include "audio/MidiPlatform.h"

#include <memory>

class AlsaMidiPorts;

/// The program's MIDI devices: the system's ports through the ALSA sequencer.
class SystemMidiPlatform final : public MidiPlatform {
public:
    static SystemMidiPlatform& instance();

    SystemMidiPlatform();
    ~SystemMidiPlatform() override;
    SystemMidiPlatform(const SystemMidiPlatform&) = delete;
    SystemMidiPlatform& operator=(const SystemMidiPlatform&) = delete;

    QString errorText(int code, bool input) override;
    unsigned outputCount() override;
    unsigned inputCount() override;
    int outputCaps(int id, MidiOutCaps& caps) override;
    int inputCaps(unsigned id, MidiInCaps& caps) override;
    int openOutput(int id, MidiCallback callback, void* context, MidiHandle& handle) override;
    int closeOutput(MidiHandle handle) override;
    int sendShort(MidiHandle handle, std::uint32_t message) override;
    int sendShortAt(MidiHandle handle, std::uint32_t message,
                    std::chrono::steady_clock::time_point due) override;
    int sendLong(MidiHandle handle, MidiHeader* header) override;
    int openInput(unsigned id, MidiCallback callback, void* context, MidiHandle& handle) override;
    int closeInput(MidiHandle handle) override;
    int addBuffer(MidiHandle handle, MidiHeader* header) override;
    int startInput(MidiHandle handle) override;
    int stopInput(MidiHandle handle) override;
    int resetInput(MidiHandle handle) override;

private:
    AlsaMidiPorts& ports();

    std::unique_ptr<AlsaMidiPorts> m_ports;
};
