#include "settings/InfoText.h"

#include "base/Errors.h"
#include "files/FileAccess.h"

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
        z1rpw3rk --peer IP-ADRESSE[:PORT]
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
  /zwk/. scripts/library-server startet einen solchen
  Server auf diesem Rechner (Eintrag 1 der Serverliste).
  Unter Einstellungen -> OnlineDB den Server wählen,
  "Automatisch verbinden beim Programmstart" ankreuzen
  und "Teste" drücken. Ein eigener Server: "Wähle
  eigenes...", Adresse (auch host:port), Benutzer und
  Passwort eintragen, OK. Das Passwort steht im Klartext
  in Config.ini, die nur ihr Besitzer lesen kann.
  Strg+L zeigt die Liste der Lieder, ein Klick öffnet
  ein Lied; Strg+H lädt das aktuelle Lied hoch.

 ------------------------------------------------------
  Abspielen ohne Fenster
 ------------------------------------------------------
  Die Gegenstelle (z1rpw3rk --peer) ist zugleich ein
  Abspieler für die Kommandozeile: sie spielt jedes
  Lied, das ein Z1rpW3rk mit Multi-Beep schickt, über
  die eigene Klangausgabe.

 ------------------------------------------------------
  Probleme melden
 ------------------------------------------------------
  Fehler bitte mit Schritten zum Nachstellen an das
  Z1rpW3rk-Team melden. Ohne Soundkarte läuft das
  Programm stumm und sagt das einmal beim Start.

  Eine Datei readme.nfo im Arbeitsordner ersetzt
  diesen Text.
)";

} // namespace

QString InfoText::builtIn() {
    return QString::fromUtf8(kBuiltIn).mid(1);
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
