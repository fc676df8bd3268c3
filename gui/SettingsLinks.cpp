#include "gui/SettingsLinks.h"

#include "audio/MidiBeep.h"
#include "audio/MidiInput.h"
#include "net/MirrorServer.h"
#include "net/MultiZ1rp.h"
#include "gui/OnlineLibrary.h"
#include "gui/ControlLookup.h"
#include "gui/SettingsDialog.h"
#include "gui/SettingsMidiPage.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"

#include <QComboBox>

int mirrorPort(const TForm1& main) {
    return main.mirror->ssBeep().port();
}

void setMirrorPort(TForm1& main, int port) {
    main.mirror->ssBeep().setPort(port);
}

void setLibraryCredentials(TForm1& main, const QString& host, const QString& user,
                           const QString& password) {
    main.FtpHost = host;
    main.FtpUser = user;
    main.FtpPassword = password;
}

void connectLibraryAtStart(TForm6& dialog) {
    OnlineLibrary::connectAtStart(dialog);
}

bool fillMidiDeviceLists(TForm6& dialog) {
    // The "MIDI" page lists the devices as it is built; the dialog has an input object exactly
    // when the system had an input device then.
    return dialog.findChild<TMidiInput*>() != nullptr;
}

void showMelodyGlyphs(TForm6&) {
    // The toggles of the "MIDI" page are built showing the melody glyph.
}

void applyMidiOutputDevice(TForm6& dialog) {
    // Without any output device the list has no entry: the device number stays as it is
    // instead of naming the mapper, which would fail every "OK" on such a system.
    if (dialog.midiPage && dialog.midiPage->combMidiG->currentIndex() >= 0)
        dialog.midiPage->ApplyMidiSettings();
}

void restartMidiInput(TForm6& dialog) {
    TForm1* main = forms().Form1;
    if (!dialog.findChild<TMidiInput*>() || !main || !main->midiBeep)
        return;
    const auto* devices = requiredControl<QComboBox>(&dialog, QStringLiteral("cbMidiIn"));
    main->midiBeep->restartInput(devices ? devices->currentIndex() : 0);
}
