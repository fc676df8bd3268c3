#pragma once

/// Puts the toolkit's own texts (standard buttons such as "Abbrechen", the file dialogs, the
/// input box, the edit fields' context menus) into the interface language: German from the
/// toolkit's translation files (Debian package qt6-translations-l10n), or, for @p english, the
/// toolkit's built-in English. May be called again to switch. Returns false when the German
/// translation could not be loaded (the texts then stay English).
bool installToolkitTranslations(bool english);
