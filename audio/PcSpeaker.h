#pragma once

#include <string>

class PortIO;

/// What the system's version query reports.
struct OsVersionInfo {
    bool queried = false;    ///< false when the query failed
    unsigned platformId = 0; ///< 1 the Windows 9x family, 2 the NT family, else other
    unsigned major = 0;
    unsigned minor = 0;
    std::string csdVersion; ///< service-pack text
};

/// The version code of a version record: 0 Windows 95, 1 Windows 98, 2 Windows 98 SE,
/// 3 Windows Me, 4 Windows NT 4, 5 Windows 2000, 6 Windows XP, 7 anything else.
/// Codes below 4 drive the speaker through the ports.
int DetectWindowsVersion(const OsVersionInfo& info);
/// The version query of the running system; systems other than Windows report no Windows
/// family at all.
OsVersionInfo QueryOsVersion();
/// The version code of the running system.
int DetectWindowsVersion();

/// The timer chip's input clock in Hz; the speaker's divisor is this over the frequency.
constexpr int kTimerClock = 1193180;

/// One tone through the timer chip and the speaker port: speaker on, divisor of @p frequencyHz
/// loaded, @p durationMs waited, speaker off. A rest (frequency 0 or below) leaves the speaker
/// off and only waits.
void PlayPortTone(PortIO& io, int frequencyHz, int durationMs);

/// One tone on the PC speaker: through the ports when @p usePortSpeaker, else the system beep.
/// Returns when the tone has ended.
void PlaySpeakerTone(bool usePortSpeaker, int frequencyHz, int durationMs);
