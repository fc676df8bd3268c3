#pragma once

#include "gui/Forms.h"
#include "support/ScriptedPrompts.h"

#include <QString>
#include <QTemporaryDir>

/// A fresh set of the program's windows for one test, with scripted prompts; the main window
/// is shown and active so that shortcuts reach it. The settings file is the given one, or one
/// of the fixture's own, so that no test sees another's settings.
class AppFixture {
public:
    explicit AppFixture(const QString& configFile = QString());
    ~AppFixture();
    AppFixture(const AppFixture&) = delete;
    AppFixture& operator=(const AppFixture&) = delete;

    QTemporaryDir configDir;
    ScriptedPrompts prompts;
    TForm1& main() const;
    /// The next "Änderungen speichern?" is answered "Nein", when the song has changed (else
    /// nothing is asked).
    void giveUpChanges();
};
