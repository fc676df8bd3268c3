#pragma once

#include <QString>

/// The English form of the program's other German texts: menu items, captions, titles, dialog
/// texts and messages beyond the fixed captions of EnglishTexts. A text with "%1" or "%2"
/// stands for every text that differs only there (a file name, a number).
namespace EnglishDictionary {

/// The English text for @p german, or an empty string when there is none.
QString lookup(const QString& german);

} // namespace EnglishDictionary
