#include "audio/mIOPort.h"

#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#include <sys/io.h>
#define Z1RPW3RK_HAVE_PORTS 1
#endif

bool HardwarePortIO::available() {
    if (m_state < 0) {
#ifdef Z1RPW3RK_HAVE_PORTS
        // Ports 0x42, 0x43 (timer channel 2 and control) and 0x61 (speaker control).
        m_state = ioperm(0x42, 2, 1) == 0 && ioperm(0x61, 1, 1) == 0 ? 1 : 0;
#else
        m_state = 0;
#endif
    }
    return m_state == 1;
}

std::uint8_t HardwarePortIO::readPort(std::uint16_t port) {
    if (!available())
        return 0;
#ifdef Z1RPW3RK_HAVE_PORTS
    return inb(port);
#else
    (void)port;
    return 0;
#endif
}

void HardwarePortIO::writePort(std::uint16_t port, std::uint8_t value) {
    if (!available())
        return;
#ifdef Z1RPW3RK_HAVE_PORTS
    outb(value, port);
#else
    (void)port;
    (void)value;
#endif
}

void PortOut(PortIO& io, std::uint16_t port, std::uint8_t value) {
    io.writePort(port, value);
}

std::uint8_t PortIn(PortIO& io, std::uint16_t port) {
    return io.readPort(port);
}

void SetPortBit(PortIO& io, std::uint16_t port, int bit) {
    io.writePort(port, static_cast<std::uint8_t>(io.readPort(port) | (1u << bit)));
}

void ClrPortBit(PortIO& io, std::uint16_t port, int bit) {
    io.writePort(port, static_cast<std::uint8_t>(io.readPort(port) & ~(1u << bit)));
}
