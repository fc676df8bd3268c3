#include "audio/SystemMidiPlatform.h"

#include "audio/AlsaMidiPorts.h"
#include "audio/GmSynth.h"
#include "audio/MidiTypes.h"
#include "audio/SoundDevice.h"

#include <algorithm>
#include <cstdio>

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

bool SystemMidiPlatform::hasSynth() {
    if (m_hasSynth < 0) {
        m_hasSynth = GmSynth::soundFontPath().isEmpty() ? 0 : 1;
        if (!m_hasSynth)
            std::fprintf(stderr, "z1rpw3rk: no General MIDI SoundFont found (package "
                                 "timgm6mb-soundfont); the built-in synthesizer is not "
                                 "available\n");
    }
    return m_hasSynth == 1;
}

GmSynth* SystemMidiPlatform::synth() {
    if (!m_synth && hasSynth()) {
        // Kept to the end of the program: the audio thread may mix it until the very last.
        auto* synth = new GmSynth(GmSynth::soundFontPath());
        if (!synth->loaded()) {
            m_synthMissing = GmSynth::missingLibraryText();
            delete synth;
            return nullptr;
        }
        m_synth = synth;
    }
    return m_synth;
}

std::uint64_t SystemMidiPlatform::synthNow() {
    SoundDevice& device = SoundDevice::instance();
    // The device may have been closed and opened anew since: attaching again is harmless, and
    // it starts the device's clock if it rested.
    if (m_synth)
        device.attachSource(m_synth);
    else
        device.wake();
    // A message sent now lands just past the block the device may be mixing now (messages
    // with equal times keep their order).
    return device.playedSamples() + kSynthLeadSamples;
}

QString SystemMidiPlatform::errorText(int code, bool input) {
    // The synthesizer's library is missing: the message names it and its package.
    if (code == kMidiNoDriver && !input && !m_synthMissing.isEmpty())
        return m_synthMissing;
    return ports().errorText(code, input);
}

unsigned SystemMidiPlatform::outputCount() {
    return ports().outputCount() + (hasSynth() ? 1 : 0);
}

unsigned SystemMidiPlatform::inputCount() {
    return ports().inputCount();
}

int SystemMidiPlatform::outputCaps(int id, MidiOutCaps& caps) {
    if (hasSynth() && (id == 0 || id == -1)) {
        caps = {};
        caps.productName = QString::fromLatin1(GmSynth::kDeviceName);
        caps.technology = 7; // a software synthesizer
        caps.voices = 64;
        caps.notes = 64;
        caps.channelMask = 0xFFFF;
        caps.support = kMidiCapsStream;
        return kMidiOk;
    }
    return ports().outputCaps(portId(id), caps);
}

int SystemMidiPlatform::inputCaps(unsigned id, MidiInCaps& caps) {
    return ports().inputCaps(id, caps);
}

int SystemMidiPlatform::openOutput(int id, MidiCallback callback, void* context,
                                   MidiHandle& handle) {
    if (hasSynth() && (id == 0 || id == -1)) {
        if (!synth())
            return kMidiNoDriver;
        handle = kSynthHandle | m_nextSynth++;
        m_synthOpen[handle] = {callback, context};
        return kMidiOk;
    }
    return ports().openOutput(portId(id), callback, context, handle);
}

int SystemMidiPlatform::closeOutput(MidiHandle handle) {
    if (!isSynth(handle))
        return ports().closeOutput(handle);
    if (!m_synthOpen.erase(handle))
        return kMidiInvalidHandle;
    // Nothing of a closed device sounds on: what it placed ahead is taken back, and its notes
    // end with their own release.
    if (m_synthOpen.empty() && m_synth) {
        const std::uint64_t now = synthNow() + SoundDevice::kBufferSamples;
        m_synth->takeBackFrom(now);
        m_synth->releaseAll(now);
    }
    return kMidiOk;
}

int SystemMidiPlatform::sendShort(MidiHandle handle, std::uint32_t message) {
    if (!isSynth(handle))
        return ports().sendShort(handle, message);
    if (!m_synthOpen.count(handle) || !m_synth)
        return kMidiInvalidHandle;
    if ((message & 0x80) == 0)
        return kMidiInvalidParam;
    m_synth->post(message, synthNow());
    return kMidiOk;
}

int SystemMidiPlatform::sendShortAtSample(MidiHandle handle, std::uint32_t message,
                                          std::uint64_t sampleTime) {
    if (!isSynth(handle))
        return ports().sendShort(handle, message);
    if (!m_synthOpen.count(handle) || !m_synth)
        return kMidiInvalidHandle;
    if ((message & 0x80) == 0)
        return kMidiInvalidParam;
    synthNow(); // the synthesizer mixes and the clock runs
    // (a time already played takes effect at once)
    m_synth->post(message, sampleTime);
    return kMidiOk;
}

int SystemMidiPlatform::takeBackFrom(MidiHandle handle, std::uint64_t sampleTime) {
    if (!isSynth(handle))
        return kMidiOk;
    if (!m_synthOpen.count(handle) || !m_synth)
        return kMidiInvalidHandle;
    m_synth->takeBackFrom(sampleTime);
    return kMidiOk;
}

int SystemMidiPlatform::sendLong(MidiHandle handle, MidiHeader* header) {
    if (!isSynth(handle))
        return ports().sendLong(handle, header);
    const auto it = m_synthOpen.find(handle);
    if (it == m_synthOpen.end())
        return kMidiInvalidHandle;
    if (!header)
        return kMidiInvalidParam;
    if (!header->prepared)
        return kMidiUnprepared;
    // The synthesizer takes no system-exclusive settings; the block counts as sent.
    it->second.first(it->second.second, kMomDone, reinterpret_cast<std::uintptr_t>(header), 0);
    return kMidiOk;
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
