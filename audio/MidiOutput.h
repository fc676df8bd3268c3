#pragma once

#include "audio/MidiPlatform.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class MidiWakeup;
struct MidiCallbackContext;
struct TMyMidiEvent;

/// A MIDI output device: open it, send short messages and system-exclusive blocks, close it.
/// Errors raise EmidioutputError with the device's text.
class TMidiOutput : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TMidiOutput)

public:
    enum State : std::uint8_t { StateOpen = 0, StateClosed = 1 };

    explicit TMidiOutput(QObject* owner = nullptr);
    ~TMidiOutput() override;

    /// Device number; −1 is the mapper. Raises while open and for a number out of range.
    int DeviceID() const { return m_deviceId; }
    void setDeviceID(int id);
    QString ProductName() const { return m_productName; }
    /// Picks the device by its name (−1, 0, 1, … in turn).
    void setProductName(const QString& name);
    /// Runs when a system-exclusive block has been sent.
    std::function<void(TMidiOutput*)> Onmidioutput;

    State state() const { return m_state; }
    int lastError() const { return m_lastError; }
    std::uint32_t driverVersion() const { return m_caps.driverVersion; }
    std::uint8_t technology() const { return m_caps.technology; }
    std::uint16_t voices() const { return m_caps.voices; }
    std::uint16_t notes() const { return m_caps.notes; }
    std::uint16_t channelMask() const { return m_caps.channelMask; }
    std::uint32_t support() const { return m_caps.support; }
    unsigned deviceCount() const { return m_deviceCount; }

    /// Opens the device; a failure only returns false (the next send reports it).
    virtual bool Open();
    /// Closes the device if open; true when it was open.
    virtual bool Close();
    /// Sends a short message or, when it carries one, a system-exclusive block.
    virtual void SendEvent(const TMyMidiEvent& event);
    virtual void SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    virtual void SendSysex(const std::uint8_t* data, std::uint16_t length);

    /// The same short message, meant to sound at @p due (the built-in synthesizer places it
    /// there; other devices sound it now).
    void SendShortMessageAt(std::uint8_t status, std::uint8_t data1, std::uint8_t data2,
                            std::chrono::steady_clock::time_point due);
    /// The same short message, placed at @p sampleTime on the sound device's sample clock by a
    /// device that supports it (kMidiCapsStream); other devices sound it now.
    void SendShortMessageAtSample(std::uint8_t status, std::uint8_t data1, std::uint8_t data2,
                                  std::uint64_t sampleTime);
    /// Takes back what was placed at or after @p sampleTime and has not sounded yet.
    void TakeBackFrom(std::uint64_t sampleTime);

private:
    void check(int result);
    void outputDone(MidiHeader* header);

    MidiWakeup* m_window = nullptr;
    int m_deviceId = 0;
    MidiHandle m_handle = 0;
    State m_state = StateClosed;
    std::unique_ptr<MidiCallbackContext> m_context;
    int m_lastError = 0;
    MidiOutCaps m_caps;
    QString m_productName;
    unsigned m_deviceCount = 0;
};

/// The text for a platform result: the device's own, limited to 127 characters, or
/// "Specified error number is out of range".
QString midiErrorText(int code, bool input);
