#pragma once

#include <QString>

/// Where Config.ini lives: beside the executable when that folder already holds one or can be
/// written (a portable copy, the build tree), otherwise in the user's configuration folder,
/// because an installed program's own folder is usually not writable.
QString configFilePath();

/// Puts the settings file at @p path instead (an empty path restores the rule above).
/// Test fixtures use it to give every run of the program its own file.
void setConfigFilePath(const QString& path);
