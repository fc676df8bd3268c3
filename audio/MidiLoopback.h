#pragma once

#include "audio/MidiPlatform.h"

#include <QByteArray>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class MidiInputPort;

/// In-process MIDI devices: outputs record what is sent to them, inputs receive what is
/// injected, from any thread and at any rate. Install it with setMidiPlatform.
class MidiLoopback final : public MidiPlatform {
public:
    /// One thing an output received.
    struct Sent {
        int device = 0;
        std::uint32_t message = 0; ///< short message; 0 for a block
        QByteArray sysex;
        std::chrono::steady_clock::time_point at{};
        std::optional<std::chrono::steady_clock::time_point> due;
        /// Where a scheduling output (schedules) was asked to place it on the sound device's
        /// sample clock, and that clock when it was sent.
        std::optional<std::uint64_t> dueSample;
        std::uint64_t sentAtSample = 0;

        std::uint8_t status() const { return std::uint8_t(message); }
        std::uint8_t data1() const { return std::uint8_t(message >> 8); }
        std::uint8_t data2() const { return std::uint8_t(message >> 16); }
    };

    MidiLoopback(QStringList outputs, QStringList inputs);
    ~MidiLoopback() override;

    /// Everything the outputs received, in order.
    std::vector<Sent> sent() const;
    void clearSent();
    /// Short messages as "90 45 64" texts (hex bytes), for comparing sequences.
    QStringList sentTexts() const;
    /// Output devices open now.
    int openOutputs() const;

    /// Delivers a message to input @p id as its device would; any thread.
    void inject(unsigned id, const std::vector<std::uint8_t>& bytes);
    void inject(unsigned id, const std::uint8_t* bytes, std::size_t size);
    /// Delivers a system-exclusive block exactly as given (possibly empty) to input @p id.
    void injectBlock(unsigned id, const QByteArray& block);

    /// The next openOutput fails with this result.
    int failNextOutputOpen = kMidiOk;
    /// Every send fails with this result while set.
    int failSends = kMidiOk;
    /// Short messages with this status byte fail with kMidiNotReady (−1: none).
    int failStatus = -1;
    /// The outputs say they place messages at their sample times (as the built-in synthesizer
    /// does); a message taken back before its time leaves the record.
    bool schedules = false;
    /// The mapper's device; −1 names nothing.
    int mapperTarget = 0;

    unsigned outputCount() override;
    unsigned inputCount() override;
    int outputCaps(int id, MidiOutCaps& caps) override;
    int inputCaps(unsigned id, MidiInCaps& caps) override;
    int openOutput(int id, MidiCallback callback, void* context, MidiHandle& handle) override;
    int closeOutput(MidiHandle handle) override;
    int sendShort(MidiHandle handle, std::uint32_t message) override;
    int sendShortAt(MidiHandle handle, std::uint32_t message,
                    std::chrono::steady_clock::time_point due) override;
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

private:
    struct OutPort {
        int device;
        MidiCallback callback;
        void* context;
    };
    struct InPort {
        unsigned device;
        std::unique_ptr<MidiInputPort> port;
    };
    int send(MidiHandle handle, std::uint32_t message,
             std::optional<std::chrono::steady_clock::time_point> due,
             std::optional<std::uint64_t> dueSample = std::nullopt);
    MidiInputPort* input(MidiHandle handle);

    QStringList m_outputs;
    QStringList m_inputs;
    mutable std::mutex m_mutex; ///< guards the ports against injection from other threads
    std::map<MidiHandle, OutPort> m_out;
    std::map<MidiHandle, InPort> m_in;
    MidiHandle m_next = 1;
    std::vector<Sent> m_sent;
};
