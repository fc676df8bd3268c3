#include "gui/InfoText.h"

#include "base/Errors.h"
#include "base/FileAccess.h"

#include <QStringDecoder>

namespace {

// Larger than any text a reader scrolls through; a bigger file is not an info text.
constexpr qint64 kMaxInfoBytes = 1 << 20;

const char* const kBuiltIn = R"(
  _____ _                __        ______       _
 |__  // |_ __ _ __  __ / /____  _|___ / _ __ | | __
   / / | | '__| '_ \ \ \ /\ / /  |_ \ | '__|| |/ /
  / /_ | | |  | |_) | \ V  V /  ___) || |   |   <
 /____||_|_|  | .__/   \_/\_/  |____/ |_|   |_|\_\
              |_|
                                     Version 3.3

 Z1rpW3rk - Komponieren und Abspielen zweistimmiger
 Beep-Melodien. Vom Z1rpW3rk-Team.

 ------------------------------------------------------
  Tastenkürzel im Hauptfenster
 ------------------------------------------------------
  Enter ........ Ton hinzufügen
  F1 / F2 ...... Spur 1 / Spur 2 aktiv
  F5 ........... Play, nochmals F5: Pause
  F8 ........... Stop
  Strg+N ....... Neues Lied
  Strg+O ....... Lied öffnen
  Strg+S ....... Lied speichern
  Strg+Z/Strg+Y  Rückgängig / Wiederholen
  Strg+T ....... Spuren tauschen
  Strg+H ....... Hochladen
  Strg+L ....... Liste der online Dateien
  Strg+R ....... Schredder
  Strg+W ....... Welle
  Strg+F ....... Liste Noten - Frequenzen
  Strg+B ....... BPM / Notenwerte
  Strg+P ....... HotKeyPad
  Strg+K ....... Klaviatur
  Strg+G ....... Graphische Ausgabe
  Strg+M ....... Multi-Beep (MulTiZ1rp)
  Strg+E ....... Einstellungen
  Strg+Alt+S ... Scrollfunktion deaktivieren
  Strg+Alt+B ... Ausgabe Beeper
  Strg+Alt+F ... Ausgabe FM-Synthese
  Strg+Alt+M ... Ausgabe MIDI-Out

 ------------------------------------------------------
  Bauen
 ------------------------------------------------------
  scripts/run baut das Programm und startet es,
  scripts/test baut es und führt alle Tests aus.
  Beide installieren die nötigen Pakete selbst.

 ------------------------------------------------------
  MulTiZ1rp - zwei Rechner spielen zusammen
 ------------------------------------------------------
  1. Beide Rechner im selben Netzwerk starten.
  2. Auf dem ersten Rechner Extras -> Multi-Beep
     wählen. Der Titel zeigt nun "MulTiZ1rp": das
     Programm wartet auf Port 1337 (einstellbar unter
     Einstellungen -> MulTiZ1rp).
  3. Auf dem zweiten Rechner die Gegenstelle starten:
        z1rpw3rk-peer IP-ADRESSE[:PORT]
     mit der IP-Adresse des ersten Rechners.
  4. Play auf dem ersten Rechner schickt Spur 2 an die
     Gegenstelle; beide spielen gemeinsam los. Stop
     hält beide an.
  Meldet die Gegenstelle einen Socket-Fehler, ist der
  erste Rechner nicht erreichbar: Adresse und Port
  prüfen, Multi-Beep gewählt? Lässt eine Firewall den
  Port durch?

 ------------------------------------------------------
  Online-Datenbank (Liedbibliothek)
 ------------------------------------------------------
  Die Bibliothek ist ein FTP-Server mit dem Ordner
  /zwk/. z1rpw3rk-library-server (im Quellbaum
  scripts/library-server) startet einen solchen Server
  auf diesem Rechner (Eintrag 1 der Serverliste).
  Unter Einstellungen -> OnlineDB den Server wählen,
  "Automatisch verbinden beim Programmstart" ankreuzen
  und "Testen" drücken. Ein eigener Server: "Wähle
  eigenes...", Adresse (auch host:port), Benutzer und
  Passwort eintragen, OK. Das Passwort steht im Klartext
  in Config.ini, die nur ihr Besitzer lesen kann.
  Strg+L zeigt die Liste der Lieder, ein Klick öffnet
  ein Lied; Strg+H lädt das aktuelle Lied hoch.

 ------------------------------------------------------
  Abspielen ohne Fenster
 ------------------------------------------------------
  z1rpw3rk --play LIED.zwk spielt ein Lied auf der
  Kommandozeile (Strg+C hält an), z1rpw3rk --render
  LIED.zwk -o LIED.wav schreibt es als Klangdatei
  (auch .flac, .ogg, .mp3, .mid); z1rpw3rk --help
  nennt alle Optionen. Die Gegenstelle z1rpw3rk-peer
  spielt jedes Lied, das ein Z1rpW3rk mit Multi-Beep
  schickt, über die eigene Klangausgabe.

 ------------------------------------------------------
  Probleme melden
 ------------------------------------------------------
  Fehler bitte mit Schritten zum Nachstellen an das
  Z1rpW3rk-Team melden. Ohne Soundkarte läuft das
  Programm stumm und sagt das einmal beim Start.

  Eine Datei readme.nfo im Arbeitsordner ersetzt
  diesen Text.
)";

const char* const kBuiltInEnglish = R"(
  _____ _                __        ______       _
 |__  // |_ __ _ __  __ / /____  _|___ / _ __ | | __
   / / | | '__| '_ \ \ \ /\ / /  |_ \ | '__|| |/ /
  / /_ | | |  | |_) | \ V  V /  ___) || |   |   <
 /____||_|_|  | .__/   \_/\_/  |____/ |_|   |_|\_\
              |_|
                                     Version 3.3

 Z1rpW3rk - composing and playing two-voice beep
 melodies. By the Z1rpW3rk team.

 ------------------------------------------------------
  Shortcuts of the main window
 ------------------------------------------------------
  Enter ........ Add to Song
  F1 / F2 ...... Channel 1 / Channel 2 active
  F5 ........... Play, F5 again: Pause
  F8 ........... Stop
  Ctrl+N ....... New song
  Ctrl+O ....... Open a song
  Ctrl+S ....... Save the song
  Ctrl+Z/Ctrl+Y  Undo / Redo
  Ctrl+T ....... Change Channels
  Ctrl+H ....... Upload
  Ctrl+L ....... List of online Files
  Ctrl+R ....... Shredder
  Ctrl+W ....... Sine wave
  Ctrl+F ....... List of Notes - Frequencies
  Ctrl+B ....... BPM / Note values
  Ctrl+P ....... HotKeyPad
  Ctrl+K ....... Keyboard
  Ctrl+G ....... Graphical Output
  Ctrl+M ....... Multi-Beep (MulTiZ1rp)
  Ctrl+E ....... Configuration
  Ctrl+Alt+S ... Deactivate scroll function
  Ctrl+Alt+B ... Output Beeper
  Ctrl+Alt+F ... Output FM-Synthesizer
  Ctrl+Alt+M ... Output MIDI-Out

 ------------------------------------------------------
  Building
 ------------------------------------------------------
  scripts/run builds the program and starts it,
  scripts/test builds it and runs all tests.
  Both install the packages they need.

 ------------------------------------------------------
  MulTiZ1rp - two computers play together
 ------------------------------------------------------
  1. Start both computers on the same network.
  2. On the first computer choose Features ->
     Multi-Beep. The title now shows "MulTiZ1rp": the
     program waits on port 1337 (set under
     Configuration -> MulTiZ1rp).
  3. On the second computer start the peer:
        z1rpw3rk-peer IP-ADDRESS[:PORT]
     with the IP address of the first computer.
  4. Play on the first computer sends channel 2 to the
     peer; both start playing together. Stop stops
     both.
  When the peer reports a socket error, the first
  computer cannot be reached: check address and port;
  is Multi-Beep chosen? Does a firewall let the port
  through?

 ------------------------------------------------------
  OnlineDB (song library)
 ------------------------------------------------------
  The library is an FTP server with the folder /zwk/.
  z1rpw3rk-library-server (scripts/library-server in
  the source tree) starts such a server on this
  computer (entry 1 of the server list). Under
  Configuration -> OnlineDB choose the server, check
  "Connect automatically at program start" and press
  "Test". An own server: "Choose your own...", enter
  address (also host:port), user and password, OK.
  The password is kept as plain text in Config.ini,
  which only its owner can read.
  Ctrl+L shows the list of songs, a click opens a
  song; Ctrl+H uploads the current song.

 ------------------------------------------------------
  Playing without a window
 ------------------------------------------------------
  z1rpw3rk --play SONG.zwk plays a song on the command
  line (Ctrl+C stops), z1rpw3rk --render SONG.zwk
  -o SONG.wav writes it as a sound file (also .flac,
  .ogg, .mp3, .mid); z1rpw3rk --help lists every
  option. The peer z1rpw3rk-peer plays every song that
  a Z1rpW3rk with Multi-Beep sends, on its own sound
  output.

 ------------------------------------------------------
  Reporting problems
 ------------------------------------------------------
  Please report faults to the Z1rpW3rk team with the
  steps that show them. Without a sound card the
  program runs silently and says so once at start.

  A file readme.nfo in the working folder replaces
  this text.
)";

} // namespace

QString InfoText::builtIn(bool english) {
    return QString::fromUtf8(english ? kBuiltInEnglish : kBuiltIn).mid(1);
}

std::optional<QString> InfoText::readmeNfo() {
    QByteArray bytes;
    try {
        // Only a regular file is read: a pipe of that name cannot hold up the start.
        bytes = FileAccess::readStart(QStringLiteral("readme.nfo"), kMaxInfoBytes + 1);
    } catch (const AppError&) {
        return std::nullopt;
    }
    if (bytes.size() > kMaxInfoBytes)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return text;
}
