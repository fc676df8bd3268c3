#pragma once

#include <QString>

class QWidget;

/// The language of the interface beyond the fixed captions that the settings dialog sets:
/// with English chosen, every window, menu, message box and file dialog is put into English
/// when it is shown, through a dictionary of the program's German texts. The dictionary lives
/// with the settings; this is the mechanism, usable from anything that shows text.
namespace UiLanguage {

/// German text → English text, or an empty string for a text it does not know.
using Lookup = QString (*)(const QString& german);

/// Chooses English (with its dictionary) or, with nullptr, German: the program's texts as
/// written. English puts every window into English as it is shown.
void setEnglish(Lookup lookup);
bool isEnglish();

/// The text in the interface language: the English form where one is known, else as given.
QString text(const QString& german);

/// Makes a label's or button's new caption fit: a label grows to its text, and a caption that
/// would reach the control to its right, or a button's edge, gets a smaller type.
void fitText(QWidget& control);

/// Puts every caption of the widget, its children, actions and menus into the interface
/// language; user data (edits, the song lists) is not touched.
void translate(QWidget& root);

} // namespace UiLanguage
