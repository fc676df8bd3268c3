#include "gui/Forms.h"

#include "gui/SettingsDialog.h"
#include "gui/MainWindow.h"
#include "gui/SpeedPitchDialog.h"
#include "gui/LineEditor.h"
#include "gui/NoteTableWindow.h"
#include "gui/HotKeyPad.h"
#include "gui/GraphWindow.h"
#include "gui/KeyboardWindow.h"
#include "gui/HelpMenu.h"
#include "settings/ConfigLocation.h"

namespace {
Forms g_forms;
}

Forms& forms() { return g_forms; }

void createForms() {
    // Start-up order: each window's creation may use the windows created before it.
    g_forms.settings = Settings{};
    forgetConfigFile();
    g_forms.Form1 = new TForm1;
    g_forms.Form2 = new TForm2(*g_forms.Form1, g_forms.Form1);
    g_forms.Form3 = new TForm3(*g_forms.Form1, g_forms.Form1);
    g_forms.Form4 = new TForm4(*g_forms.Form1, g_forms.Form1);
    g_forms.Form5 = new TForm5(*g_forms.Form1, g_forms.Form1);
    g_forms.Form6 = new TForm6(g_forms.Form1);
    g_forms.Form8 = new TForm8(*g_forms.Form1, g_forms.Form1);
    g_forms.Form11 = new TForm11(g_forms.Form1);
    // Last in the menu bar, after every menu the windows added.
    new HelpMenu(*g_forms.Form1);
}

void destroyForms() {
    delete g_forms.Form11;
    g_forms.Form11 = nullptr;
    delete g_forms.Form8;
    g_forms.Form8 = nullptr;
    delete g_forms.Form6;
    g_forms.Form6 = nullptr;
    delete g_forms.Form5;
    g_forms.Form5 = nullptr;
    delete g_forms.Form4;
    g_forms.Form4 = nullptr;
    delete g_forms.Form3;
    g_forms.Form3 = nullptr;
    delete g_forms.Form2;
    g_forms.Form2 = nullptr;
    delete g_forms.Form1;
    g_forms.Form1 = nullptr;
    forgetConfigFile();
}
