#pragma once

#include <QString>

class TForm1;
class TForm6;

// What the settings dialog needs from the mirror server, the online library and the MIDI layer.
// Each subsystem answers here, so that loading and applying the settings read as one sequence.

/// Port of the mirror server ssBeep.
int mirrorPort(const TForm1& main);
/// Sets the mirror server's port; fails with the socket layer's message when the port differs
/// while the server is listening.
void setMirrorPort(TForm1& main, int port);

/// Credentials the library connection uses (FtpHost, FtpUser, FtpPassword).
void setLibraryCredentials(TForm1& main, const QString& host, const QString& user,
                           const QString& password);
/// The connection to the online library at start: preset, connect, time shown.
void connectLibraryAtStart(TForm6& dialog);

/// Fills the output and input device lists of the "MIDI" page; returns whether the dialog
/// has its input object.
bool fillMidiDeviceLists(TForm6& dialog);
/// Gives the melody/drum toggles of the "MIDI" page their melody glyph.
void showMelodyGlyphs(TForm6& dialog);
/// The dialog's output device number follows the chosen list entry.
void applyMidiOutputDevice(TForm6& dialog);
/// Reopens the main window's MIDI input on the chosen device and starts it.
void restartMidiInput(TForm6& dialog);
