#pragma once

#include <QString>

#include <array>

/// Every setting of the program and every option the output engines, the imports and the
/// online library read, as one plain value. While the program runs, one instance follows the
/// settings dialog's controls and the check marks of the main menu's "Optionen" as they change
/// (each field names the control that shows it), so that whoever reads the value sees what the
/// control shows at that moment. Config.ini holds the stored part (SettingsStore); the
/// defaults are the file's defaults and the controls' design states.
struct Settings {
    /// Entry of the library server choice that stands for the user's own server.
    static constexpr int kOwnServer = 5;
    /// Entries of the drop-down lists a stored index must fall into (else: no selection, −1).
    static constexpr int kServerEntries = kOwnServer + 1;
    static constexpr int kSkinEntries = 3;
    static constexpr int kLanguageEntries = 2;
    static constexpr int kMaxVolume = 100;

    // "Anzeige"
    bool logoBlinkOff = true;      ///< `cbblink` "Logo Blinkeffekt deaktivieren"
    bool backgroundHidden = false; ///< `cbbg` "Hintergrundbild entfernen"
    bool scrollEffectOff = false;  ///< `cbscroll` "Scrolleffekt deaktiveren"
    bool seeThrough = false;       ///< `cbtrans` "Z1rpW3rk durchsichtig machen"
    bool bmmInfoHidden = false;    ///< `cbBMMINFO` "Informationen zu BMM ausblenden"
    int language = 0;              ///< `cbSprache`: 0 "Deutsch", 1 "English" (−1: none)

    // "MulTiZ1rp"
    /// The mirror server's port in effect (the main window's `ssBeep`): the stored one after
    /// loading, the text of `edPort` once "OK" or "Übernehmen" took it over.
    int mirrorPort = 1337;
    QString mirrorPortText = QStringLiteral("1337"); ///< `edPort` as typed
    int transmission = 0; ///< `RadioGroup1` "Übertragung": 0 "LAN", 1 "COM"

    // "OnlineDB"
    int libraryServer = 0;           ///< `ComboBox1`: presets 0 … 4, kOwnServer (−1: none)
    QString libraryAddress;          ///< `edAdresse`
    QString libraryUser;             ///< `edUser`
    QString libraryPassword;         ///< `edPw`
    bool libraryAutoconnect = false; ///< `cbAutoconnect`
    bool libraryPassive = false;     ///< `cbPassiv` "Passiven Modus erzwingen" (FTP)

    // "Klaviatur": the computer key shown for each piano key (`edC` … `edB`)
    QString keyC = QStringLiteral("a");
    QString keyCSharp = QStringLiteral("w");
    QString keyD = QStringLiteral("s");
    QString keyDSharp = QStringLiteral("e");
    QString keyE = QStringLiteral("d");
    QString keyF = QStringLiteral("f");
    QString keyFSharp = QStringLiteral("t");
    QString keyG = QStringLiteral("g");
    QString keyGSharp = QStringLiteral("z");
    QString keyA = QStringLiteral("h");
    QString keyASharp = QStringLiteral("u");
    QString keyB = QStringLiteral("j");
    bool addPlayedNotes = true; ///< `cbNotenhinzu` (hidden)
    int keyboardSkin = 2;       ///< `ComboBox2`: 0 Smooth, 1 Hard, 2 "Klavier normal" (−1: none)

    // "Synthese"
    int synthVolume = 80; ///< `tbfm`, 0 … 100
    int waveform = 1;     ///< `rgTon` item: 0 sine, 1 square, 2 square root, 3 noise (−1: none)

    // "MIDI"
    /// One track's MIDI sound: instrument list, drum list, melody/drum toggle, velocity.
    struct MidiTrack {
        int instrument = 0;    ///< `cbMidiNote1` / `cbMidiNote2`: General MIDI program
        int drum = 0;          ///< `cbDrum1` / `cbDrum2`: percussion sound (key 35 + drum)
        bool drumMode = false; ///< `BitBtn3` / `BitBtn4`: its hint reads "Drum"
        int velocity = 100;    ///< `TrackBar1` / `TrackBar2`, 1 … 127
        bool operator==(const MidiTrack&) const = default;
    };
    bool midiOutput = false;  ///< `cbMIDI` "MIDI Output aktivieren"
    int midiOutputChoice = 0; ///< `combMidiG`: the chosen output device's entry (−1: none)
    /// The output device MIDI playback opens: the settings dialog's output object's device,
    /// which follows `combMidiG` at "OK"/"Übernehmen" and at an instrument test.
    int midiOutputDevice = 0;
    std::array<MidiTrack, 2> midiTracks{}; ///< track 1, track 2
    bool waitForMidi = false;              ///< `cbMidiwait` "Auf MIDI Befehle Warten"
    bool bpmLengthForMidi = false;         ///< `cbBPMMidi` "Länge bei der BPM Tabelle wählen"
    int midiInputDevice = 0;               ///< `cbMidiIn` (−1: none)

    // Check marks of the main menu's "Optionen"
    bool beeper = true;       ///< `Beeper1` "Beeper"
    bool fmSynthesis = false; ///< `FMSynthese1` "FM-Synthese" (stored)
    bool midiOut = false;     ///< `MIDIOut1` "MIDI-Out"
    bool scrollOff = false;   ///< `Scrollfunktion1` "Scrollfunktion deaktivieren"

    // Playback options of "Optionen", stored in a section of their own ("Wiedergabe")
    bool twoVoices = false; ///< `Zweistimmig1` "Zweistimmig": both tracks at once
    bool loop = false;      ///< `Schleife1` "Schleife": the selection or the song again and again
    bool preview = false;   ///< `Vorhoeren1` "Vorhören": a selected or added line sounds once
    // "Notenrolle": the piano roll window's place and size on the screen; a width of 0 means
    // it was never placed (it opens centred, and nothing is stored).
    int pianoRollLeft = 0;
    int pianoRollTop = 0;
    int pianoRollWidth = 0;
    int pianoRollHeight = 0;

    /// Track 1 or 2.
    const MidiTrack& midiTrack(int track) const { return midiTracks[track == 2 ? 1 : 0]; }

    bool operator==(const Settings&) const = default;
};
