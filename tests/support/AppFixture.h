#pragma once

#include "song/Forms.h"
#include "support/ScriptedPrompts.h"

/// A fresh set of the program's windows for one test, with scripted prompts; the main window
/// is shown and active so that shortcuts reach it.
class AppFixture {
public:
    AppFixture();
    ~AppFixture();
    AppFixture(const AppFixture&) = delete;
    AppFixture& operator=(const AppFixture&) = delete;

    ScriptedPrompts prompts;
    TForm1& main() const;
};
