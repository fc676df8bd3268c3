#include "gui/Forms.h"

#include "base/Guard.h"
#include "gui/EnglishTexts.h"
#include "gui/SettingsDialog.h"
#include "gui/MainWindow.h"
#include "gui/SpeedPitchDialog.h"
#include "gui/LineEditor.h"
#include "gui/NoteTableWindow.h"
#include "gui/HotKeyPad.h"
#include "gui/GraphWindow.h"
#include "gui/KeyboardWindow.h"
#include "gui/HelpMenu.h"
#include "gui/UiLanguage.h"
#include "gui/Pictures.h"
#include "gui/WindowEffects.h"
#include "settings/ConfigLocation.h"

#include <QAction>

namespace {
Forms g_forms;

/// The menu item opens its window through @p handler, creating the window at the first use.
template <typename Window>
void opensOnFirstUse(QAction* item, Window* (Forms::*window)(), void (Window::*handler)()) {
    connectGuarded(item, &QAction::triggered, item, [window, handler] {
        if (Window* w = (g_forms.*window)())
            (w->*handler)();
    });
}
} // namespace

Forms& forms() { return g_forms; }

// Each window is created as it would have been at start: owned by the main window, and with
// the fixed English captions that the settings dialog sets at start when English is chosen.
template <typename Window>
Window* Forms::onFirstUse(Window*& window, std::optional<TextWindow> englishTexts) {
    if (!window && !m_ending && Form1) {
        window = new Window(*Form1, Form1);
        if (englishTexts && UiLanguage::isEnglish())
            EnglishTexts::apply(*englishTexts, *window);
    }
    return window;
}

TForm2* Forms::Form2() {
    return onFirstUse(m_form2, TextWindow::LineEditor);
}

TForm3* Forms::Form3() {
    return onFirstUse(m_form3);
}

TForm4* Forms::Form4() {
    return onFirstUse(m_form4, TextWindow::HotKeyPad);
}

TForm8* Forms::Form8() {
    return onFirstUse(m_form8);
}

void createForms() {
    // Start-up order: each window's creation may use the windows created before it. The
    // windows of the first use depend only on windows of the start.
    g_forms.settings = Settings{};
    g_forms.m_ending = false;
    forgetConfigFile();
    // The pictures of the start decode beside the windows' controls being made.
    Pictures::decodeAhead(Pictures::kBackground, WindowEffects::backgroundPart());
    Pictures::decodeAhead(Pictures::kPiano);
    Pictures::decodeAhead(Pictures::kCredits);
    g_forms.Form1 = new TForm1;
    TForm1& main = *g_forms.Form1;
    opensOnFirstUse(main.ListeNotenFrequenzen1, &Forms::Form3, &TForm3::ListeNotenFrequenzen1Click);
    opensOnFirstUse(main.HotKeyPad1, &Forms::Form4, &TForm4::HotKeyPad1Click);
    g_forms.Form5 = new TForm5(main, &main);
    g_forms.Form6 = new TForm6(&main);
    opensOnFirstUse(main.Klaviatur1, &Forms::Form8, &TForm8::Klaviatur1Click);
    g_forms.Form11 = new TForm11(&main);
    // Last in the menu bar, after every menu the windows added.
    new HelpMenu(main);
}

void destroyForms() {
    // From here on nothing creates a window any more.
    g_forms.m_ending = true;
    // A window being deleted still finds itself here, as while it lived.
    const auto release = [](auto*& window) {
        delete window;
        window = nullptr;
    };
    release(g_forms.Form11);
    release(g_forms.m_form8);
    release(g_forms.Form6);
    release(g_forms.Form5);
    release(g_forms.m_form4);
    release(g_forms.m_form3);
    release(g_forms.m_form2);
    release(g_forms.Form1);
    forgetConfigFile();
}
