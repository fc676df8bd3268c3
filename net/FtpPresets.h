#pragma once

#include <QString>

#include <array>

/// The library servers built into the settings. Entry 0 is the library server of this
/// computer (scripts/library-server); the others are library servers on the local network,
/// found by host name, set up with the same script.
namespace FtpPresets {

struct Preset {
    QString caption;
    QString host; ///< "host" or "host:port"
    QString user;
    QString password;
};

/// Port, user and password the library server script uses unless told otherwise.
constexpr int kLibraryPort = 2121;
inline const QString kLibraryUser = QStringLiteral("zwk");
inline const QString kLibraryPassword = QStringLiteral("zwk-bibliothek");

/// The five presets, index = entry of the server choice.
const std::array<Preset, 5>& presets();

/// The entry after the presets: an own server.
inline const QString kOwnServer = QStringLiteral("Wähle eigenes...");

} // namespace FtpPresets
