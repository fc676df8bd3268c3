#pragma once

#include "settings/Settings.h"

class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm8;
class TForm11;

/// The program's windows. All are created at start, in a fixed order, and live until the end;
/// windows reach each other through here.
struct Forms {
    TForm1* Form1 = nullptr;
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TForm4* Form4 = nullptr;
    TForm5* Form5 = nullptr;
    TForm6* Form6 = nullptr;
    TForm8* Form8 = nullptr;
    TForm11* Form11 = nullptr;
    /// The running program's settings: the windows hand it to the engines; the settings
    /// dialog keeps it equal to its controls and the menu's output check marks.
    Settings settings;
};

Forms& forms();

/// Creates every window in the start-up order; only the main window is shown by the caller.
void createForms();
/// Frees the windows in reverse order.
void destroyForms();
