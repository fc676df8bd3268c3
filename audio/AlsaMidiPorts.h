#pragma once

#include "audio/MidiPlatform.h"

#include <map>
#include <memory>
#include <string>

class RtMidiIn;
class RtMidiOut;
class MidiInputPort;

/// The system's MIDI ports through the ALSA sequencer. Without a sequencer (no /dev/snd/seq)
/// there are no ports; that is said once on stderr, when a port is first to be opened.
class AlsaMidiPorts final : public MidiPlatform {
public:
    AlsaMidiPorts();
    ~AlsaMidiPorts() override;
    AlsaMidiPorts(const AlsaMidiPorts&) = delete;
    AlsaMidiPorts& operator=(const AlsaMidiPorts&) = delete;

    QString errorText(int code, bool input) override;

    unsigned outputCount() override;
    unsigned inputCount() override;
    int outputCaps(int id, MidiOutCaps& caps) override;
    int inputCaps(unsigned id, MidiInCaps& caps) override;
    int openOutput(int id, MidiCallback callback, void* context, MidiHandle& handle) override;
    int closeOutput(MidiHandle handle) override;
    int sendShort(MidiHandle handle, std::uint32_t message) override;
    int sendLong(MidiHandle handle, MidiHeader* header) override;
    int openInput(unsigned id, MidiCallback callback, void* context, MidiHandle& handle) override;
    int closeInput(MidiHandle handle) override;
    int addBuffer(MidiHandle handle, MidiHeader* header) override;
    int startInput(MidiHandle handle) override;
    int stopInput(MidiHandle handle) override;
    int resetInput(MidiHandle handle) override;

private:
    struct Out {
        std::unique_ptr<RtMidiOut> midi;
        MidiCallback callback;
        void* context;
    };
    struct In {
        std::unique_ptr<RtMidiIn> midi;
        std::unique_ptr<MidiInputPort> port;
    };
    int fail(const std::string& message);
    void sayMissing();

    std::unique_ptr<RtMidiOut> m_outList;
    std::unique_ptr<RtMidiIn> m_inList;
    std::map<MidiHandle, Out> m_out;
    std::map<MidiHandle, In> m_in;
    MidiHandle m_next = 1;
    QString m_lastDriverText;
    QString m_missing; ///< why there are no ports; empty when the sequencer is there
    bool m_saidMissing = false;
};
