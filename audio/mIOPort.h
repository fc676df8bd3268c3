#pragma once

#include <cstdint>

/// Byte input and output on I/O ports, behind an interface so the speaker's port path can run
/// against real hardware or a recording stand-in.
class PortIO {
public:
    virtual ~PortIO() = default;
    virtual std::uint8_t readPort(std::uint16_t port) = 0;
    virtual void writePort(std::uint16_t port, std::uint8_t value) = 0;
};

/// Direct x86 port access where the system grants it (on Linux: root, via ioperm); elsewhere
/// reads give 0 and writes are dropped.
class HardwarePortIO final : public PortIO {
public:
    /// True when this process may reach the timer and speaker ports.
    bool available();
    std::uint8_t readPort(std::uint16_t port) override;
    void writePort(std::uint16_t port, std::uint8_t value) override;

private:
    int m_state = -1; // -1 not asked yet, 0 refused, 1 granted
};

/// The port primitives of the speaker path.
void PortOut(PortIO& io, std::uint16_t port, std::uint8_t value);
std::uint8_t PortIn(PortIO& io, std::uint16_t port);
/// Reads the port, ORs in bit @p bit, writes it back.
void SetPortBit(PortIO& io, std::uint16_t port, int bit);
/// Reads the port, clears bit @p bit, writes it back.
void ClrPortBit(PortIO& io, std::uint16_t port, int bit);
