#include "settings/SettingsLinks.h"

#include "settings/SettingsDialog.h"
#include "song/MainWindow.h"

namespace {
// Until the mirror server holds its own port.
int g_mirrorPort = 1337;
} // namespace

int mirrorPort(const TForm1&) {
    return g_mirrorPort;
}

void setMirrorPort(TForm1&, int port) {
    g_mirrorPort = port;
}

void setLibraryCredentials(TForm1&, const QString&, const QString&, const QString&) {}

void connectLibraryAtStart(TForm6&) {}

void closeLibrary(TForm1&) {}

bool fillMidiDeviceLists(TForm6&) {
    return false;
}

void showMelodyGlyphs(TForm6&) {}

void applyMidiOutputDevice(TForm6&) {}

void restartMidiInput(TForm6&) {}
