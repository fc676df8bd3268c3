#pragma once

#include "audio/MidiPlatform.h"

#include <map>
#include <memory>

class AlsaMidiPorts;
class GmSynth;

/// The program's MIDI devices: output 0 is the built-in synthesizer (also the mapper's target)
/// when a General MIDI SoundFont is installed; the system's ports through the ALSA sequencer
/// follow it. Without a SoundFont the synthesizer is not listed and stderr says why, once.
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
    int sendShortAtSample(MidiHandle handle, std::uint32_t message,
                          std::uint64_t sampleTime) override;
    int takeBackFrom(MidiHandle handle, std::uint64_t sampleTime) override;
    int sendLong(MidiHandle handle, MidiHeader* header) override;
    int openInput(unsigned id, MidiCallback callback, void* context, MidiHandle& handle) override;
    int closeInput(MidiHandle handle) override;
    int addBuffer(MidiHandle handle, MidiHeader* header) override;
    int startInput(MidiHandle handle) override;
    int stopInput(MidiHandle handle) override;
    int resetInput(MidiHandle handle) override;

    /// Samples from a note-on to its first sound at most: the next block plus this margin.
    static constexpr int kSynthLeadSamples = 176; // 4 ms

private:
    AlsaMidiPorts& ports();
    bool hasSynth();
    GmSynth* synth();
    bool isSynth(MidiHandle handle) const { return (handle & kSynthHandle) != 0; }
    int portId(int id) { return id == -1 ? -1 : id - (hasSynth() ? 1 : 0); }
    /// The earliest sample time a message sent now can take effect at (the synthesizer joins
    /// the mix and the device's clock runs from here on).
    std::uint64_t synthNow();

    static constexpr MidiHandle kSynthHandle = 0x80000000u;
    std::unique_ptr<AlsaMidiPorts> m_ports;
    int m_hasSynth = -1; ///< −1 not yet known
    GmSynth* m_synth = nullptr;
    QString m_synthMissing; ///< why the synthesizer's library did not load, once it failed
    std::map<MidiHandle, std::pair<MidiCallback, void*>> m_synthOpen;
    MidiHandle m_nextSynth = 1;
};
