#pragma once

#include "audio/MidiPlatform.h"
#include "audio/MidiTypes.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Circbuf;
class MidiWakeup;
struct MidiCallbackContext;

/// A MIDI input device. Messages arrive on the device's thread, wait in a ring of `Capacity`
/// events, and are handed to the GUI thread one notification per message: `OnMidiInput`
/// then reads one event with ReadEvent. Errors raise EMidiInputError.
class TMidiInput : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TMidiInput)

public:
    enum State : std::uint8_t { StateOpen = 0, StateClosed = 1, StateCreating = 2 };

    /// Raises "Invalid device ID" when the system has no MIDI input device.
    explicit TMidiInput(QObject* owner = nullptr);
    ~TMidiInput() override;

    unsigned DeviceID() const { return m_deviceId; }
    void setDeviceID(unsigned id);
    QString ProductName() const { return m_productName; }
    void setProductName(const QString& name);
    std::uint16_t Capacity() const { return m_capacity; }
    void setCapacity(std::uint16_t capacity) { m_capacity = capacity; }
    int Error() const { return m_error; }
    std::uint16_t SysexBufferSize() const { return m_sysexBufferSize; }
    void setSysexBufferSize(std::uint16_t size);
    std::uint16_t SysexBufferCount() const { return m_sysexBufferCount; }
    void setSysexBufferCount(std::uint16_t count);
    bool SysexOnly() const { return m_sysexOnly; }
    void setSysexOnly(bool only);
    /// Runs on the GUI thread once per received message while the device is open.
    std::function<void(TMidiInput*)> OnMidiInput;
    /// Runs once per message dropped because the ring was full.
    std::function<void(TMidiInput*)> OnOverflow;

    State state() const { return m_state; }
    unsigned deviceCount() const { return m_deviceCount; }
    std::uint32_t driverVersion() const { return m_caps.driverVersion; }
    std::uint16_t manufacturerId() const { return m_caps.manufacturerId; }
    std::uint16_t productId() const { return m_caps.productId; }

    void Open();
    void Start();
    void Stop();
    void Close();
    /// The oldest waiting event, or none when closed or nothing waits.
    std::optional<TMyMidiEvent> ReadEvent();
    std::uint16_t PendingEvents() const;

private:
    void check(int result);
    void notified(int kind);
    void release();

    MidiWakeup* m_window = nullptr;
    unsigned m_deviceId = 0;
    MidiHandle m_handle = 0;
    State m_state = StateCreating;
    int m_error = 0;
    bool m_sysexOnly = false;
    MidiInCaps m_caps;
    QString m_productName;
    std::uint16_t m_capacity = 1024;
    std::unique_ptr<Circbuf> m_ring;
    unsigned m_deviceCount = 0;
    std::uint16_t m_sysexBufferSize = 4096;
    std::uint16_t m_sysexBufferCount = 16;
    std::vector<std::unique_ptr<TMyMidiHdr>> m_headers;
    std::unique_ptr<MidiCallbackContext> m_context;
};
