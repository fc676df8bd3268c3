#include "audio/PcSpeaker.h"

#include "audio/KernelSpeaker.h"
#include "audio/SystemBeep.h"
#include "audio/mIOPort.h"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr std::uint16_t kSpeakerControl = 0x61;
constexpr std::uint16_t kTimerControl = 0x43;
constexpr std::uint16_t kTimerChannel2 = 0x42;

void waitMs(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

int DetectWindowsVersion(const OsVersionInfo& info) {
    if (!info.queried)
        return 7;
    if (info.platformId == 1) {
        if (info.major != 4)
            return 7;
        switch (info.minor) {
        case 0:
            return 0;
        case 10:
            return info.csdVersion.size() >= 2 && info.csdVersion[1] == 'A' ? 2 : 1;
        case 90:
            return 3;
        default:
            return 7;
        }
    }
    if (info.platformId == 2) {
        if (info.major <= 4)
            return 4;
        if (info.major == 5 && info.minor == 0)
            return 5;
        if (info.major == 5 && info.minor == 1)
            return 6;
        return 7;
    }
    return 7;
}

OsVersionInfo QueryOsVersion() {
    OsVersionInfo info;
#ifdef _WIN32
    OSVERSIONINFOA record{};
    record.dwOSVersionInfoSize = sizeof(record); // 148
    if (GetVersionExA(&record)) {
        info.queried = true;
        info.platformId = record.dwPlatformId;
        info.major = record.dwMajorVersion;
        info.minor = record.dwMinorVersion;
        info.csdVersion = record.szCSDVersion;
    }
#else
    // No Windows family here: the speaker is reached through the system beep.
    info.queried = true;
    info.platformId = 0;
#endif
    return info;
}

int DetectWindowsVersion() {
    return DetectWindowsVersion(QueryOsVersion());
}

void PlayPortTone(PortIO& io, int frequencyHz, int durationMs) {
    if (frequencyHz <= 0) {
        // A rest has no divisor: the speaker gate stays off for the duration.
        waitMs(durationMs);
        return;
    }
    SetPortBit(io, kSpeakerControl, 0);
    SetPortBit(io, kSpeakerControl, 1);
    PortOut(io, kTimerControl, 0x86);
    const int divisor = kTimerClock / frequencyHz;
    PortOut(io, kTimerChannel2, static_cast<std::uint8_t>(divisor & 0xFF));
    PortOut(io, kTimerChannel2, static_cast<std::uint8_t>((divisor >> 8) & 0xFF));
    waitMs(durationMs);
    ClrPortBit(io, kSpeakerControl, 0);
    ClrPortBit(io, kSpeakerControl, 1);
}

void PlaySpeakerTone(bool usePortSpeaker, int frequencyHz, int durationMs) {
    if (usePortSpeaker) {
        static HardwarePortIO hardware;
        PlayPortTone(hardware, frequencyHz, durationMs);
        return;
    }
    // The kernel's speaker driver, where the user may write to it, is the real speaker.
    if (!systemBeepHooked())
        if (KernelSpeaker* speaker = KernelSpeaker::instance()) {
            speaker->play(frequencyHz, durationMs);
            return;
        }
    SystemBeep(frequencyHz, durationMs);
}
