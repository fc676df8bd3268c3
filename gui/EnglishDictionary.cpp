#include "gui/EnglishDictionary.h"

#include <QHash>
#include <QList>
#include <QRegularExpression>

namespace {

struct Entry {
    const char* german;
    const char* english;
};

// Every German text the program shows outside the fixed table, with its English form.
// Mnemonic ampersands are part of the text.
constexpr Entry kEntries[] = {
    // Windows and menus.
    {"Einstellungen", "Configuration"},
    {"Ton anspielen", "Play tone"},
    {"Dual-Spur", "Dual channel"},
    {"Spur Löschen", "Delete channel"},
    {"Spur 1", "Channel 1"},
    {"Spur 2", "Channel 2"},
    {"Import", "Import"},
    {"MIDI-File (.mid / .midi)", "MIDI file (.mid / .midi)"},
    {"Exportieren", "Export"},
    {"MIDI-Datei (.mid)...", "MIDI file (.mid)..."},
    {"Rückgängig", "Undo"},
    {"Wiederholen", "Redo"},
    {"Klavier", "Keyboard"},
    {"ZWK-Liste", "List of Notes"},
    {"Z1rpW3rk 3 Editor", "Z1rpW3rk 3 Editor"},
    {"Z1rpW3rk - HotKeyPad Config", "Z1rpW3rk - HotKeyPad Config"},
    {"Ton", "Tone"},
    {"Prozent", "Percent"},
    {"Geschwindigkeit", "Speed"},
    {"Oktave", "Octave"},
    {"Allgemeines", "General"},
    {"Abbrechen", "Cancel"},
    {"&Abbrechen", "&Cancel"},
    {"&Ja", "&Yes"},
    {"&Nein", "&No"},
    {"Ja", "Yes"},
    {"Nein", "No"},
    {"Speichern", "Save"},
    {"Öffnen", "Open"},
    {"Dateiname", "Filename"},
    {"Hochladen", "Upload"},
    {"Oktave = ", "Octave = "},
    {"Länge pro Ton", "Length per note"},
    {"wiederholend?", "repeating?"},
    {"aktivieren", "activate"},
    {"MIDI-Kanal", "MIDI channel"},
    {"MIDI-Note", "MIDI note"},
    {"Dauer", "Duration"},
    {"Frequenz", "Frequency"},
    {"Zeile", "Line"},
    {"Dauer (ms)", "Duration (ms)"},
    {"Frequenz (hz)", "Frequency (hz)"},
    {"Hilfe", "Help"},
    // Described names with English spelling faults, and German words among English items.
    {"Low Wook Block", "Low Wood Block"},
    {"Sinus", "Sine"},
    {"Gespeichert: %1", "Saved: %1"},
    {"Das Lied ist leer und wurde nicht exportiert.", "The song is empty and was not exported."},
    {"Anleitung", "Manual"},
    {"Über Z1rpW3rk", "About Z1rpW3rk"},
    {"Spur 1 aktiv", "Channel 1 active"},
    {"Spur 2 aktiv", "Channel 2 active"},
    {"Ton hinzufügen (Standardknopf)", "Add to Song (the default button)"},
    // Progress texts.
    {"Spiele Lied", "Playing song"},
    {"Aktualisiere Pattern", "Updating pattern"},
    {"Sende Daten...", "Sending data..."},
    {"Analysiere BMM", "Analysing BMM"},
    {"Generiere Daten", "Generating data"},
    {"Generiere Sinus", "Generating sine wave"},
    {"Exportiere Audio...", "Exporting audio..."},
    // Settings dialog.
    {"Informationen zu BMM ausblenden", "Hide BMM information"},
    {"Netzwerkoptionen", "Network options"},
    {"Automatisch verbinden beim Programmstart", "Connect automatically at program start"},
    {"Passiven Modus erzwingen", "Force passive mode"},
    {"Testen", "Test"},
    {"Bibliothek auf diesem Computer", "Library on this computer"},
    {"Bibliothek im LAN (zwk-bibliothek)", "Library on the LAN (zwk-bibliothek)"},
    {"Bibliothek im LAN (zwk-bibliothek.local)", "Library on the LAN (zwk-bibliothek.local)"},
    {"Bibliothek im LAN, Port 21 (zwk-bibliothek)", "Library on the LAN, port 21 (zwk-bibliothek)"},
    {"Zweite Bibliothek im LAN (zwk-bibliothek-2)", "Second library on the LAN (zwk-bibliothek-2)"},
    {"Wähle eigenes...", "Choose your own..."},
    {"Deutsch", "Deutsch"},
    {"Z1rpW3rk-Team  –  Programmierung, Oberfläche", "Z1rpW3rk team  –  programming, interface"},
    {"Z1rpW3rk-Team  –  Klang, Synthese und MIDI", "Z1rpW3rk team  –  sound, synthesis and MIDI"},
    {"Z1rpW3rk-Team  –  Netzwerk und Online-Datenbank",
     "Z1rpW3rk team  –  network and online database"},
    // File dialogs.
    {"Z1rpW3rk - Soundtrack laden", "Z1rpW3rk - Load soundtrack"},
    {"Z1rpW3rk - Soundtrack speichern", "Z1rpW3rk - Save soundtrack"},
    {"Z1rpW3rk-Tracks (.zwk)", "Z1rpW3rk tracks (.zwk)"},
    {"Bleeper Music Maker - Soundtrack laden", "Bleeper Music Maker - Load soundtrack"},
    {"Bleeper Music Maker-Tracks (.bmm)", "Bleeper Music Maker tracks (.bmm)"},
    {"MIDI-Datei importieren", "Import MIDI file"},
    {"MIDI-Datei exportieren", "Export MIDI file"},
    {"MIDI-Dateien (.mid, .midi)", "MIDI files (.mid, .midi)"},
    {"MIDI-Dateien (.mid)", "MIDI files (.mid)"},
    {"Audio exportieren", "Export audio"},
    {"Z1rpW3rk-HotKeyPad (.hkp)", "Z1rpW3rk HotKeyPad (.hkp)"},
    // Questions and messages.
    {"Änderungen speichern?", "Save changes?"},
    {"Fehler", "Error"},
    {"Hinweis", "Note"},
    {"Fehler im Track", "Error in the track"},
    {"Datei nicht gefunden", "File not found"},
    {"Ungültiger Dateiname", "Invalid file name"},
    {"Dateizugriff verweigert", "File access denied"},
    {"Zu wenig Speicherplatz", "Not enough disk space"},
    {"Zu wenig Arbeitsspeicher", "Out of memory"},
    {"Division durch Null", "Division by zero"},
    {"Gleitkommadivision durch Null", "Floating point division by zero"},
    {"E/A-Fehler %1", "I/O error %1"},
    {"Datei nicht gefunden: %1", "File not found: %1"},
    {"Ungültiger Dateiname: %1", "Invalid file name: %1"},
    {"Dateizugriff verweigert: %1", "File access denied: %1"},
    {"Zu wenig Speicherplatz: %1", "Not enough disk space: %1"},
    {"Datei zu groß (mehr als %1 MB): %2", "File too large (more than %1 MB): %2"},
    {"Datei zu groß (mehr als %1 Zeilen): %2", "File too large (more than %1 lines): %2"},
    {"Die Datei \"%1\" ist bereits vorhanden.\nSoll sie ersetzt werden?",
     "The file \"%1\" already exists.\nDo you want to replace it?"},
    {"Die Datei \"%1\" im Arbeitsordner hat einen anderen Inhalt als der Song der "
     "Online-Bibliothek.\nSoll sie ersetzt werden?",
     "The file \"%1\" in the working folder differs from the online library's song.\nDo you "
     "want to replace it?"},
    {"E/A-Fehler %1: %2", "I/O error %1: %2"},
    {"'%1' ist kein gültiger Integerwert", "'%1' is not a valid integer value"},
    {"Listenindex überschreitet das Maximum (%1)", "List index exceeds the maximum (%1)"},
    {"In %1 kann nicht geschrieben werden", "Cannot write to %1"},
    {"Wert kann nicht geändert werden, während der Socket aktiv ist",
     "The value cannot be changed while the socket is active"},
    {"Datei zu groß (mehr als %1 MB)", "File too large (more than %1 MB)"},
    {"Datei zu groß (mehr als %1 Zeilen)", "File too large (more than %1 lines)"},
    {"Zu viele Töne: höchstens %1 auf einmal", "Too many notes: at most %1 at once"},
    {"Die Dauer beider Spuren muss gleich sein", "Both channels must have the same duration"},
    {"höher ist nicht möglich", "higher is not possible"},
    {"tiefer ist nicht möglich", "lower is not possible"},
    {"Kein Soundgerät", "No sound device"},
    {"Kein Soundgerät gefunden: die Wiedergabe bleibt stumm.",
     "No sound device found: playback stays silent."},
    {"Online Liste konnte nicht bezogen werden. Bitte kontaktieren sie das Qorvel-Network Team",
     "The online list could not be fetched. Please contact the Qorvel-Network team"},
    {"Server ausgelastet oder nicht erreichbar, versuchen sie es erneut",
     "Server busy or unreachable, please try again"},
    {"Song bereits vorhanden", "Song already exists"},
    {"Ungültiger Songname. Ein Songname darf weder leer, \".\" oder \"..\" sein noch \"/\", "
     "\"\\\" oder Steuerzeichen (etwa Zeilenumbrüche) enthalten.",
     "Invalid song name. A song name must not be empty, \".\" or \"..\", nor hold \"/\", \"\\\" "
     "or control characters (such as line breaks)."},
    {"Hochladen der Datei fehlgeschlagen. Bitte kontaktieren sie das Qorvel-Network Team",
     "Uploading the file failed. Please contact the Qorvel-Network team"},
    {"Bedenke, die Datei wird Unveränderbar hochgeladen",
     "Mind that the file is uploaded for good and cannot be changed"},
    {"Die MIDI-Datei enthält keine Noten und wurde nicht importiert.",
     "The MIDI file holds no notes and was not imported."},
    {"Die MIDI-Datei enthält eine Note, die länger als 24 Tage klingt, und wurde nicht "
     "importiert.",
     "The MIDI file holds a note that sounds longer than 24 days and was not imported."},
    {"Die MIDI-Datei ist beschädigt (Byte %1) und wurde nicht importiert.",
     "The MIDI file is damaged (byte %1) and was not imported."},
    {"MIDI-Dateien des Formats %1 werden nicht unterstützt; nur Format 0 und 1.",
     "MIDI files of format %1 are not supported; only format 0 and 1."},
    {"Die Datei ist keine MIDI-Datei und wurde nicht importiert.",
     "The file is no MIDI file and was not imported."},
    {"Der eingebaute MIDI-Synthesizer hat keine SoundFont gefunden; MIDI-Out kann nicht "
     "exportiert werden.",
     "The built-in MIDI synthesizer found no SoundFont; MIDI-Out cannot be exported."},
    {"Die Bibliothek %1 konnte nicht geladen werden; bitte das Paket %2 installieren.",
     "The library %1 could not be loaded; please install the package %2."},
    {"Die Audiodatei konnte nicht geschrieben werden: %1",
     "The audio file could not be written: %1"},
    {"Unter \"Optionen\" ist keine Ausgabe gewählt: \"Beeper\", \"FM-Synthese\" oder "
     "\"MIDI-Out\".",
     "No output is chosen under \"Options\": \"Beeper\", \"FM-Synthesizer\" or \"MIDI-Out\"."},
    {"Unbekanntes Audioformat \"%1\": möglich sind .wav, .flac, .ogg und .mp3.",
     "Unknown audio format \"%1\": possible are .wav, .flac, .ogg and .mp3."},
    {"Mit einer Sample-rate von %1 kann ein Ton von %2Hz nicht wiedergegeben werden. Maximal "
     "22050Hz",
     "With a sample rate of %1 a tone of %2Hz cannot be played. At most 22050Hz"},
    {"JPEG-Bild fehlerhaft: %1", "JPEG picture damaged: %1"},
    {"Die MIDI-Datei enthält bei Byte %1 eine Zeit jenseits von %2 Ticks, die ein Lied nicht "
     "fassen kann, und wurde nicht importiert.",
     "The MIDI file holds a time past %2 ticks at byte %1, more than a song can hold, and was "
     "not imported."},
    {"Ein Export fasst höchstens %1 Stunden Klang; dieses Lied dauert %2 Stunden und wurde "
     "nicht exportiert.",
     "An export holds at most %1 hours of sound; this song lasts %2 hours and was not "
     "exported."},
    {"Der Klang ist größer als 4 GB, die eine WAV-Datei fasst; er wird im Format RF64 (WAV mit "
     "64-Bit-Größen) geschrieben.",
     "The sound is larger than the 4 GB a WAV file holds; it is written as RF64 (WAV with 64-bit "
     "sizes)."},
    {"Eine WAV-Datei fasst höchstens 4 GB (%1 Stunden Klang); der Export wurde abgebrochen.",
     "A WAV file holds at most 4 GB (%1 hours of sound); the export was stopped."},
    {"%1 ist größer als %2 MB und wird weder gelesen noch geändert; es gelten die "
     "Standardeinstellungen.",
     "%1 is larger than %2 MB and is neither read nor changed; the default settings apply."},
    // Ringtone texts, buzzer sketches, beep scripts, recent files.
    {"RTTTL-Klingelton (.rtttl / .txt)", "RTTTL ringtone (.rtttl / .txt)"},
    {"RTTTL-Klingelton (.rtttl)...", "RTTTL ringtone (.rtttl)..."},
    {"Buzzer-Sketch (.ino)...", "Buzzer sketch (.ino)..."},
    {"beep-Skript (.sh)...", "beep script (.sh)..."},
    {"Zuletzt geöffnet", "Recent files"},
    {"Liste leeren", "Clear list"},
    {"RTTTL-Klingelton importieren", "Import RTTTL ringtone"},
    {"RTTTL-Klingeltöne (.rtttl, .txt)", "RTTTL ringtones (.rtttl, .txt)"},
    {"RTTTL-Klingeltöne (.rtttl)", "RTTTL ringtones (.rtttl)"},
    {"Sketche (.ino)", "Sketches (.ino)"},
    {"Shell-Skripte (.sh)", "Shell scripts (.sh)"},
    {"RTTTL-Klingelton exportieren (Dauern exakt als Notenwerte)",
     "Export RTTTL ringtone (durations exact as note values)"},
    {"RTTTL-Klingelton exportieren (Dauern auf Notenwerte gerundet, höchstens %1 ms Abweichung)",
     "Export RTTTL ringtone (durations rounded to note values, at most %1 ms off)"},
    {"Buzzer-Sketch exportieren", "Export buzzer sketch"},
    {"beep-Skript exportieren", "Export beep script"},
    {"G-Code (.gcode)", "G-code (.gcode)"},
    {"G-Code für 3D-Drucker (.gcode)...", "G-code for 3D printers (.gcode)..."},
    {"G-Code importieren", "Import G-code"},
    {"G-Code exportieren", "Export G-code"},
    {"G-Code (.gcode, .gco, .g)", "G-code (.gcode, .gco, .g)"},
    {"G-Code-Fehler in Zeile %1: %2 ist keine gültige Zahl",
     "G-code error in line %1: %2 is not a valid number"},
    {"Noten außerhalb der Oktaven 4 bis 7, die strenge Abspielprogramme ablehnen: %1",
     "Notes outside octaves 4 to 7, which strict players refuse: %1"},
    {"Der Sketch belegt auf einem Arduino Uno etwa %1 der %2 Bytes Programmspeicher.",
     "On an Arduino Uno the sketch takes about %1 of the %2 bytes of program memory."},
    {"Der Sketch belegt auf einem Arduino Uno etwa %1 Bytes Programmspeicher, mehr als die %2 "
     "Bytes, die der Uno hat.",
     "On an Arduino Uno the sketch takes about %1 bytes of program memory, more than the Uno's "
     "%2 bytes."},
    {"Zeile %1: %2 Hz kann tone() nicht spielen (unter 31 Hz); %3 solche Töne werden als Pause "
     "gespielt.",
     "Line %1: tone() cannot play %2 Hz (below 31 Hz); %3 such tones are played as rests."},
    {"Zeile %1: %2 Hz ist für beep zu hoch (ab 20.000 Hz); %3 solche Töne werden als Pause "
     "gespielt.",
     "Line %1: %2 Hz is too high for beep (20,000 Hz and above); %3 such tones are played as "
     "rests."},
    {"Zeile %1: %2 Hz liegt außerhalb des Tonumfangs von MIDI (8 bis 12.911 Hz). %3 Töne "
     "außerhalb wurden ausgelassen.",
     "Line %1: %2 Hz lies outside MIDI's range (8 to 12,911 Hz). %3 tones outside it were left "
     "out."},
    {"Die MIDI-Datei ergibt %1 Zeilen kürzer als %2 ms, wie sie kleine Lücken und versetzte "
     "Akkorde anderer Programme hinterlassen. Sie werden mit ihren Nachbarn verbunden; die Länge "
     "des Liedes bleibt.",
     "The MIDI file gives %1 lines shorter than %2 ms, as the small gaps and staggered chords of "
     "other programs leave them. They are joined to their neighbours; the song's length stays."},
    {"Kurze Zeilen behalten", "Keep short lines"},
    {"Die Datei ergibt %1 Zeilen, mehr als die %2, die eine Lieddatei fasst, und wurde nicht "
     "importiert.",
     "The file gives %1 lines, more than the %2 a song file holds, and was not imported."},
    {"Das Lied hat %1 Zeilen; eine Lieddatei fasst höchstens %2 Zeilen und 256 MB. Es wurde "
     "nicht gespeichert.",
     "The song has %1 lines; a song file holds at most %2 lines and 256 MB. It was not saved."},
    {"RTTTL-Fehler bei Zeichen %1: Zahl zu groß", "RTTTL error at character %1: number too large"},
    {"RTTTL-Fehler bei Zeichen %1: d=, o= oder b= erwartet",
     "RTTTL error at character %1: d=, o= or b= expected"},
    {"RTTTL-Fehler bei Zeichen %1: \"=\" erwartet", "RTTTL error at character %1: \"=\" expected"},
    {"RTTTL-Fehler bei Zeichen %1: Zahl erwartet", "RTTTL error at character %1: number expected"},
    {"RTTTL-Fehler bei Zeichen %1: Notenwert 1, 2, 4, 8, 16, 32 oder 64 erwartet",
     "RTTTL error at character %1: note value 1, 2, 4, 8, 16, 32 or 64 expected"},
    {"RTTTL-Fehler bei Zeichen %1: Oktave 0 bis 9 erwartet",
     "RTTTL error at character %1: octave 0 to 9 expected"},
    {"RTTTL-Fehler bei Zeichen %1: Tempo 1 bis 60000 erwartet",
     "RTTTL error at character %1: tempo 1 to 60000 expected"},
    {"RTTTL-Fehler bei Zeichen %1: \",\" erwartet", "RTTTL error at character %1: \",\" expected"},
    // Editing several lines.
    {"Einfügen", "Insert"},
    {"Zeilen löschen", "Delete lines"},
    {"Ausschneiden", "Cut"},
    {"Kopieren", "Copy"},
    {"Aus Zwischenablage einfügen", "Paste"},
    {"Alles markieren", "Select all"},
    {"Zeilen nach oben", "Move lines up"},
    {"Zeilen nach unten", "Move lines down"},
    {"Halbton höher", "Semitone up"},
    {"Halbton tiefer", "Semitone down"},
    {"Oktave höher", "Octave up"},
    {"Oktave tiefer", "Octave down"},
    {"Nur aktive Spur transponieren", "Transpose active track only"},
    {"Ins Lied", "Into song"},
    {"Frequenz Spur %1: '%2' ist weder eine ganze Zahl von 0 bis 32767 noch ein Notenname wie A4, C#5, Bb3 oder H4", "Frequency track %1: '%2' is neither a whole number from 0 to 32767 nor a note name such as A4, C#5, Bb3 or H4"},
    {"Dauer: '%1' ist keine ganze Zahl von 0 bis 3600000 (Millisekunden)", "Duration: '%1' is not a whole number from 0 to 3600000 (milliseconds)"},
    {"Der Text ist keine Liedzeile (f1|d1|f2|d2): Zeile %1: '%2'", "The text is not a song line (f1|d1|f2|d2): line %1: '%2'"},
    {"Zeile %1: %2 Hz lassen sich nicht so weit transponieren (1 bis %3 Hz)", "Line %1: %2 Hz cannot be transposed that far (1 to %3 Hz)"},
    {"RTTTL-Fehler bei Zeichen %1: Note (c, d, e, f, g, a, b, h) oder Pause (p) erwartet",
     "RTTTL error at character %1: note (c, d, e, f, g, a, b, h) or pause (p) expected"},
    {"RTTTL-Fehler bei Zeichen %1: Eine Pause hat kein \"#\"",
     "RTTTL error at character %1: a pause has no \"#\""},
    {"RTTTL-Fehler bei Zeichen %1: Die Note fehlt in der Notentabelle",
     "RTTTL error at character %1: the note is not in the note table"},
    // Playback: from the current line, loop, preview, two voices, a line that cannot play.
    {"Ab aktueller Zeile abspielen", "Play from current line"},
    {"Zweistimmig", "Two voices"},
    {"Schleife", "Loop"},
    {"Vorhören", "Preview"},
    {"Zeile %1 kann nicht gespielt werden: \"%2\". Frequenzen sind ganze Zahlen von 0 bis %3 Hz, "
     "Dauern ganze Zahlen ab 0 ms.",
     "Line %1 cannot be played: \"%2\". Frequencies are whole numbers from 0 to %3 Hz, "
     "durations whole numbers from 0 ms."},
    // The piano roll and pictures of a song.
    {"Notenrolle", "Piano roll"},
    {"Ganzes Lied", "Whole song"},
    {"Vergrößern (Strg+Mausrad, +)", "Zoom in (Ctrl+wheel, +)"},
    {"Verkleinern (Strg+Mausrad, −)", "Zoom out (Ctrl+wheel, −)"},
    {"Bild (PNG, SVG)...", "Picture (PNG, SVG)..."},
    {"Bild exportieren", "Export picture"},
    {"PNG-Bilder (.png)", "PNG pictures (.png)"},
    {"SVG-Bilder (.svg)", "SVG pictures (.svg)"},
    {"Das Bild %1 kann nicht geschrieben werden.", "The picture %1 cannot be written."},
};

struct Pattern {
    QRegularExpression german;
    QString english;
};

struct Dictionary {
    QHash<QString, QString> exact;
    QList<Pattern> patterns;

    Dictionary() {
        static const QRegularExpression placeholder(QStringLiteral("%([1-9])"));
        for (const Entry& entry : kEntries) {
            const QString german = QString::fromUtf8(entry.german);
            const QString english = QString::fromUtf8(entry.english);
            if (!german.contains(placeholder)) {
                exact.insert(german, english);
                continue;
            }
            // "%n" matches any text; the English form puts the same text at its "%n".
            QString expression;
            qsizetype from = 0;
            for (const QRegularExpressionMatch& m : placeholder.globalMatch(german)) {
                expression += QRegularExpression::escape(german.mid(from, m.capturedStart() - from));
                expression += QStringLiteral("(?<p%1>.*)").arg(m.captured(1));
                from = m.capturedEnd();
            }
            expression += QRegularExpression::escape(german.mid(from));
            patterns.append({QRegularExpression(QLatin1Char('^') + expression +
                                                QStringLiteral("$"),
                                                QRegularExpression::DotMatchesEverythingOption),
                             english});
        }
    }
};

const Dictionary& dictionary() {
    static const Dictionary d;
    return d;
}

} // namespace

namespace EnglishDictionary {

QString lookup(const QString& german) {
    const Dictionary& d = dictionary();
    if (const auto found = d.exact.constFind(german); found != d.exact.constEnd())
        return *found;
    for (const Pattern& pattern : d.patterns) {
        const QRegularExpressionMatch match = pattern.german.match(german);
        if (!match.hasMatch())
            continue;
        QString english = pattern.english;
        for (int n = 1; n <= 9; ++n) {
            const QString name = QStringLiteral("p%1").arg(n);
            if (pattern.german.namedCaptureGroups().contains(name))
                english.replace(QLatin1Char('%') + QString::number(n), match.captured(name));
        }
        return english;
    }
    return {};
}

} // namespace EnglishDictionary
