#include "gui/HelpTexts.h"

#include "audio/GmSynth.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef Z1RPW3RK_VERSION
#define Z1RPW3RK_VERSION "3.3"
#endif

namespace {

const char* const kManualGerman = R"(
<h2>Z1rpW3rk – Anleitung</h2>
<p>Ein Lied ist eine Liste nummerierter Zeilen. Jede Zeile hält einen Ton für Spur 1 und einen
für Spur 2; ein Ton ist eine Frequenz in Hz und eine Dauer in ms, die Frequenz 0 ist eine
Pause.</p>

<h3>Eingeben</h3>
<p>Frequenz in das weiße Feld der aktiven Spur tippen (F1: Spur 1, F2: Spur 2), die Dauer in
„Dauer (ms)“, dann Enter oder „Ton hinzufügen“: der Ton wird eine neue Zeile. Frequenzen liefern
auch die Notentabelle („Extras“ → „Liste Noten - Frequenzen“), das HotKeyPad, die Klaviatur und
ein MIDI-Keyboard; Dauern die BPM-Notenwerte. „Schredder“ und „Welle“ erzeugen ganze
Tonfolgen.</p>

<h3>Bearbeiten</h3>
<p>Ein Klick auf eine Zeile holt ihre Werte in die Felder; „Ändern“ schreibt sie zurück,
„Löschen“ entfernt die Zeile, „Tauschen“ tauscht die beiden Frequenzen. Ein Doppelklick öffnet
den Zeileneditor. Das Menü „Bearbeiten“ ändert Geschwindigkeit und Tonhöhe des ganzen Liedes,
tauscht, kopiert und leert Spuren; „Rückgängig“ und „Wiederholen“ nehmen jede Änderung zurück
oder stellen sie wieder her.</p>

<h3>Abspielen</h3>
<p>F5 spielt das Lied ab der gewählten Zeile, nochmals F5 hält an (Pause), F8 stoppt. Unter
„Optionen“ wird die Ausgabe gewählt: „Beeper“ (der Lautsprecher des Rechners oder ein
Rechteckton über die Soundkarte), „FM-Synthese“ (Wellenform, Klang und Lautstärke unter
„Einstellungen“ → „Synthese“) oder „MIDI-Out“ (General-MIDI-Instrumente, auch mit dem
eingebauten Synthesizer, Seite „MIDI“).</p>

<h3>Speichern und Exportieren</h3>
<p>„Datei“ → „Speichern“ schreibt das Lied als <tt>.zwk</tt>-Datei; „Datei“ → „Exportieren“
schreibt es als Klang (WAV, FLAC, Ogg Vorbis, MP3), als MIDI-Datei, als RTTTL-Klingelton, als
Buzzer-Sketch (<tt>.ino</tt>) oder als <tt>beep</tt>-Skript. Der Fortschrittsbalken zeigt
danach einige Sekunden lang, wohin geschrieben wurde. Ein leeres Lied wird nicht exportiert.</p>

<h3>Öffnen und Importieren</h3>
<p>„Datei“ → „Öffnen“ lädt eine <tt>.zwk</tt>-Datei. „Extras“ → „Import“ liest Lieder des
Bleeper Music Maker (<tt>.bmm</tt>), Standard-MIDI-Dateien (die zwei Kanäle mit den meisten Noten
werden Spur 1 und 2) und RTTTL-Klingeltöne. Eine solche Datei kann auch auf das Fenster gezogen
oder im Dateimanager mit Z1rpW3rk geöffnet werden; „Datei“ → „Zuletzt geöffnet“ nennt die
letzten Lieder.</p>

<h3>Teilen</h3>
<p><b>MulTiZ1rp:</b> „Extras“ → „Multi-Beep“ wartet auf Port 1337; auf einem zweiten Rechner
spielt <tt>z1rpw3rk-peer RECHNER</tt> bei jedem Play Spur 2 mit. <b>Online-Bibliothek:</b>
<tt>z1rpw3rk-library-server</tt> startet eine Liedbibliothek (FTP); unter „Einstellungen“ →
„OnlineDB“ wird sie gewählt und mit „Testen“ verbunden; „Hochladen“ legt das Lied dort ab,
„List der online Dateien“ zeigt und öffnet ihre Lieder.</p>

<h3>Kommandozeile</h3>
<pre>
z1rpw3rk LIED                           Lied im Fenster öffnen
z1rpw3rk --play LIED [--output beep|wave|midi]
                                        ohne Fenster abspielen (Strg+C hält an)
z1rpw3rk --render LIED -o DATEI         schreiben: .wav .flac .ogg .mp3 .mid .rtttl .ino .sh
z1rpw3rk-peer RECHNER[:PORT]            Spur 2 eines anderen Z1rpW3rk mitspielen
z1rpw3rk-library-server [--lan]         Liedbibliothek auf diesem Rechner
</pre>
<p><tt>--help</tt> und die man-Seiten (<tt>man z1rpw3rk</tt>) nennen alle Optionen. Meldungen
der Kommandozeile folgen der Sprache von <tt>LANG</tt>/<tt>LC_MESSAGES</tt>.</p>

<h3>Einstellungen</h3>
<p>„Optionen“ → „Einstellungen“ hält alle Einstellungen; „OK“ schreibt sie nach
<tt>Config.ini</tt>: beim installierten Programm in <tt>~/.config/Z1rpW3rk/</tt>
(<tt>$XDG_CONFIG_HOME</tt>), im Erstellungsordner und bei einer Kopie mit eigener
<tt>Config.ini</tt> neben dem Programm. Die Sprache gilt ab dem nächsten Start.</p>
)";

const char* const kManualEnglish = R"(
<h2>Z1rpW3rk – Manual</h2>
<p>A song is a list of numbered lines. Each line holds one tone for channel 1 and one for
channel 2; a tone is a frequency in Hz and a duration in ms, and frequency 0 is a rest.</p>

<h3>Entering</h3>
<p>Type the frequency into the white field of the active channel (F1: channel 1, F2: channel 2)
and the duration into “Duration”, then press Enter or “Add to Song”: the tone becomes a new
line. The note table (“Features” → “List of Notes - Frequencies”), the HotKeyPad, the keyboard
and a MIDI keyboard deliver frequencies too, the BPM note values deliver durations.
“Shredder” and “Sine wave” generate whole runs of tones.</p>

<h3>Editing</h3>
<p>A click on a line brings its values into the fields; “Change” writes them back, “Delete”
removes the line, “Change line” swaps its two frequencies. A double click opens the line
editor. The “Edit” menu changes the speed and pitch of the whole song and swaps, copies and
clears channels; “Undo” and “Redo” take back or bring back every change.</p>

<h3>Playing</h3>
<p>F5 plays the song from the chosen line, F5 again pauses, F8 stops. “Options” chooses the
output: “Beeper” (the computer's speaker, or a square wave through the sound card),
“FM-Synthesizer” (waveform, sound and volume under “Configuration” → “Synth”) or “MIDI-Out”
(General MIDI instruments, also through the built-in synthesizer, page “MIDI”).</p>

<h3>Saving and exporting</h3>
<p>“File” → “Save to File” writes the song as a <tt>.zwk</tt> file; “File” → “Export” writes it
as sound (WAV, FLAC, Ogg Vorbis, MP3), as a MIDI file, an RTTTL ringtone, a buzzer sketch
(<tt>.ino</tt>) or a <tt>beep</tt> script. The progress bar then shows for a few seconds where it
wrote. An empty song is not exported.</p>

<h3>Opening and importing</h3>
<p>“File” → “Open” loads a <tt>.zwk</tt> file. “Features” → “Import” reads Bleeper Music Maker
songs (<tt>.bmm</tt>), Standard MIDI Files (the two channels with the most notes become
channels 1 and 2) and RTTTL ringtones. Such a file can also be dropped on the window or opened
with Z1rpW3rk from the file manager; “File” → “Recent files” lists the last songs.</p>

<h3>Sharing</h3>
<p><b>MulTiZ1rp:</b> “Features” → “Multi-Beep” listens on port 1337; on a second computer
<tt>z1rpw3rk-peer COMPUTER</tt> plays channel 2 along at every Play. <b>Online library:</b>
<tt>z1rpw3rk-library-server</tt> starts a song library (FTP); choose it under “Configuration” →
“OnlineDB” and connect with “Test”; “Upload” puts the song there, “List of online Files” shows
and opens its songs.</p>

<h3>Command line</h3>
<pre>
z1rpw3rk SONG                           open a song in the window
z1rpw3rk --play SONG [--output beep|wave|midi]
                                        play without a window (Ctrl+C stops)
z1rpw3rk --render SONG -o FILE          write .wav .flac .ogg .mp3 .mid .rtttl .ino .sh
z1rpw3rk-peer COMPUTER[:PORT]           play channel 2 of another Z1rpW3rk along
z1rpw3rk-library-server [--lan]         a song library on this computer
</pre>
<p><tt>--help</tt> and the man pages (<tt>man z1rpw3rk</tt>) list every option. The command
line's messages follow the language of <tt>LANG</tt>/<tt>LC_MESSAGES</tt>.</p>

<h3>Settings</h3>
<p>“Options” → “Configuration” holds every setting; “OK” writes them to <tt>Config.ini</tt>: for
the installed program in <tt>~/.config/Z1rpW3rk/</tt> (<tt>$XDG_CONFIG_HOME</tt>), in the build
tree and for a copy with a <tt>Config.ini</tt> of its own beside the program. The language takes
effect at the next start.</p>
)";

const char* const kMitLicence =
    "Permission is hereby granted, free of charge, to any person obtaining a copy of this "
    "software and associated documentation files (the \"Software\"), to deal in the Software "
    "without restriction, including without limitation the rights to use, copy, modify, merge, "
    "publish, distribute, sublicense, and/or sell copies of the Software, and to permit persons "
    "to whom the Software is furnished to do so, subject to the following conditions:<br><br>"
    "The above copyright notice and this permission notice shall be included in all copies or "
    "substantial portions of the Software.<br><br>"
    "THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, "
    "INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR "
    "PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE "
    "FOR ANY CLAIM, DAMAGES OR OTHER LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR "
    "OTHERWISE, ARISING FROM, OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER "
    "DEALINGS IN THE SOFTWARE.";

/// Where a command of the program is: beside the running program, else on the search path.
QString commandPath(const QString& name) {
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QStandardPaths::findExecutable(name);
}

} // namespace

namespace HelpTexts {

QString manualTitle(bool english) {
    return english ? QStringLiteral("Z1rpW3rk - Manual") : QStringLiteral("Z1rpW3rk - Anleitung");
}

QString aboutTitle(bool english) {
    return english ? QStringLiteral("About Z1rpW3rk") : QStringLiteral("Über Z1rpW3rk");
}

QString manual(bool english, const QList<ShortcutRow>& keys) {
    QString html = QString::fromUtf8(english ? kManualEnglish : kManualGerman);
    html += english ? QStringLiteral("<h3>Keys</h3>") : QStringLiteral("<h3>Tastenkürzel</h3>");
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\">");
    for (const ShortcutRow& row : keys)
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(row.keys.toHtmlEscaped(), row.what.toHtmlEscaped());
    html += QStringLiteral("</table>");
    return html;
}

QString about(bool english) {
    const QString soundFont = GmSynth::soundFontPath();
    const QString none = english ? QStringLiteral("none found") : QStringLiteral("keine gefunden");
    const QString missing = english ? QStringLiteral("not installed")
                                    : QStringLiteral("nicht installiert");
    QString commands;
    for (const char* name : {"z1rpw3rk", "z1rpw3rk-peer", "z1rpw3rk-library-server"}) {
        const QString path = commandPath(QString::fromLatin1(name));
        commands += QStringLiteral("<tr><td><tt>%1</tt></td><td>%2</td></tr>")
                        .arg(QString::fromLatin1(name),
                             path.isEmpty() ? missing : path.toHtmlEscaped());
    }
    const QString copyright = QStringLiteral("/usr/share/doc/z1rpw3rk/copyright");
    const QString parts =
        english ? QStringLiteral(
                      "It uses Qt (LGPL-3 or GPL-2), SDL2 (zlib), RtMidi (MIT-style), "
                      "libjpeg-turbo (IJG, BSD-3-Clause, zlib), FluidSynth (LGPL-2.1+), "
                      "libsndfile (LGPL-2.1+) and a General MIDI sound font (TimGM6mb: GPL-2; "
                      "FluidR3_GM: MIT)")
                : QStringLiteral(
                      "Es verwendet Qt (LGPL-3 oder GPL-2), SDL2 (zlib), RtMidi (MIT-artig), "
                      "libjpeg-turbo (IJG, BSD-3-Clause, zlib), FluidSynth (LGPL-2.1+), "
                      "libsndfile (LGPL-2.1+) und eine General-MIDI-SoundFont (TimGM6mb: GPL-2; "
                      "FluidR3_GM: MIT)");
    const QString details =
        QFileInfo::exists(copyright)
            ? QStringLiteral("; %1 <tt>%2</tt>.")
                  .arg(english ? QStringLiteral("details in") : QStringLiteral("Einzelheiten in"),
                       copyright)
            : QStringLiteral(".");
    return QStringLiteral("<h2>Z1rpW3rk " Z1RPW3RK_VERSION "</h2>"
                          "<p>%1</p>"
                          "<p><b>%2</b> %3</p>"
                          "<p><b>%4</b></p><table cellspacing=\"0\" cellpadding=\"2\">%5</table>"
                          "<p><b>%6</b><br>Copyright (c) 2026 The Z1rpW3rk developers</p>"
                          "<p><small>%7</small></p><p>%8%9</p>")
        .arg(english ? QStringLiteral("A composer and player for two-voice beep melodies.")
                     : QStringLiteral("Komponieren und Abspielen zweistimmiger Piepmelodien."),
             english ? QStringLiteral("Sound font:") : QStringLiteral("SoundFont:"),
             soundFont.isEmpty() ? none : soundFont.toHtmlEscaped(),
             english ? QStringLiteral("Installed commands:")
                     : QStringLiteral("Installierte Befehle:"),
             commands,
             english ? QStringLiteral("Licence: MIT") : QStringLiteral("Lizenz: MIT"),
             QString::fromLatin1(kMitLicence), parts, details);
}

} // namespace HelpTexts
