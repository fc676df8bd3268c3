#pragma once

#include "settings/Settings.h"

#include <optional>

class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm8;
class TForm11;
enum class TextWindow;

/// The program's windows; windows reach each other through here. The main window, the graph
/// window, the settings dialog and the speed/octave dialog are created at start, in a fixed
/// order. The line editor, the note table, the HotKeyPad and the keyboard window are created,
/// hidden, when they are first needed (their menu items and the main window's buttons are
/// there from the start). All live until the end.
class Forms {
public:
    TForm1* Form1 = nullptr;
    TForm5* Form5 = nullptr;
    TForm6* Form6 = nullptr;
    TForm11* Form11 = nullptr;
    /// The running program's settings: the windows hand it to the engines; the settings
    /// dialog keeps it equal to its controls and the menu's output check marks.
    Settings settings;

    // The windows created on first use: the first call creates the window; nullptr only
    // before start and after the end.
    TForm2* Form2();
    TForm3* Form3();
    TForm4* Form4();
    TForm8* Form8();

    /// One of the windows above if it has been created, else nullptr; creates nothing.
    template <typename Window> Window* created() const;

private:
    friend void createForms();
    friend void destroyForms();

    /// The window, created at the first call with the English captions of `englishTexts`
    /// when English is chosen.
    template <typename Window>
    Window* onFirstUse(Window*& window, std::optional<TextWindow> englishTexts = std::nullopt);

    TForm2* m_form2 = nullptr;
    TForm3* m_form3 = nullptr;
    TForm4* m_form4 = nullptr;
    TForm8* m_form8 = nullptr;
    bool m_ending = false;
};

template <> inline TForm2* Forms::created<TForm2>() const { return m_form2; }
template <> inline TForm3* Forms::created<TForm3>() const { return m_form3; }
template <> inline TForm4* Forms::created<TForm4>() const { return m_form4; }
template <> inline TForm8* Forms::created<TForm8>() const { return m_form8; }

Forms& forms();

/// Creates the windows of the start in the start-up order and puts in the main window's
/// items that open the others; only the main window is shown by the caller.
void createForms();
/// Frees the windows in reverse order of the start-up order, those never created included.
void destroyForms();
