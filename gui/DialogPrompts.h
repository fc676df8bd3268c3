#pragma once

/// Makes the program's real dialogs the default prompts. Every program with windows calls it
/// once its application object exists.
void useDialogPrompts();
