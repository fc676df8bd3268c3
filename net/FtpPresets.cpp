#include "net/FtpPresets.h"

namespace FtpPresets {

const std::array<Preset, 5>& presets() {
    static const std::array<Preset, 5> list = {{
        {QStringLiteral("Bibliothek auf diesem Computer"), QStringLiteral("127.0.0.1:2121"),
         kLibraryUser, kLibraryPassword},
        {QStringLiteral("Bibliothek im LAN (zwk-bibliothek)"),
         QStringLiteral("zwk-bibliothek:2121"), kLibraryUser, kLibraryPassword},
        {QStringLiteral("Bibliothek im LAN (zwk-bibliothek.local)"),
         QStringLiteral("zwk-bibliothek.local:2121"), kLibraryUser, kLibraryPassword},
        {QStringLiteral("Bibliothek im LAN, Port 21 (zwk-bibliothek)"),
         QStringLiteral("zwk-bibliothek"), kLibraryUser, kLibraryPassword},
        {QStringLiteral("Zweite Bibliothek im LAN (zwk-bibliothek-2)"),
         QStringLiteral("zwk-bibliothek-2:2121"), kLibraryUser, kLibraryPassword},
    }};
    return list;
}

} // namespace FtpPresets
