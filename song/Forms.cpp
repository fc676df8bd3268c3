#include "song/Forms.h"

#include "settings/Unit6.h"
#include "song/Unit1.h"
#include "song/Unit11.h"
#include "song/Unit2.h"
#include "tools/Unit3.h"
#include "tools/Unit4.h"
#include "tools/Unit5.h"
#include "tools/Unit8.h"

namespace {
Forms g_forms;
}

Forms& forms() { return g_forms; }

void createForms() {
    // Start-up order: each window's creation may use the windows created before it.
    g_forms.Form1 = new TForm1;
    g_forms.Form2 = new TForm2(*g_forms.Form1, g_forms.Form1);
    g_forms.Form3 = new TForm3(*g_forms.Form1, g_forms.Form1);
    g_forms.Form4 = new TForm4(*g_forms.Form1, g_forms.Form1);
    g_forms.Form5 = new TForm5(*g_forms.Form1, g_forms.Form1);
    g_forms.Form6 = new TForm6(g_forms.Form1);
    g_forms.Form8 = new TForm8(*g_forms.Form1, g_forms.Form1);
    g_forms.Form11 = new TForm11(g_forms.Form1);
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
}
