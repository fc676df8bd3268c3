#pragma once

#include "gui/HelpShortcuts.h"

#include <QList>
#include <QString>

/// The program's built-in help: the manual and the About text, in German and English, as
/// rich text for a text view.
namespace HelpTexts {

/// The manual, ending with the table of keys @p keys.
QString manual(bool english, const QList<ShortcutRow>& keys);

/// Version, licence, the sound font in use and where the program's commands are installed.
QString about(bool english);

/// The window titles of the two texts.
QString manualTitle(bool english);
QString aboutTitle(bool english);

} // namespace HelpTexts
