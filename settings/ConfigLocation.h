#pragma once

#include <QString>

class IniFile;
/// Where Config.ini lives: beside the executable when that folder already holds one or can be
/// written (a portable copy, the build tree), otherwise in the user's configuration folder,
/// because an installed program's own folder is usually not writable.
QString configFilePath();

/// Puts the settings file at @p path instead (an empty path restores the rule above).
/// Test fixtures use it to give every run of the program its own file.
void setConfigFilePath(const QString& path);

/// Config.ini of this run, read when first asked and then kept: the settings and the recent
/// files are read from this copy and written through it, so the program reads the file once.
IniFile& configFile();
/// Drops the copy (and whatever was not saved): the next configFile() reads the file again, as
/// at a new start of the program.
void forgetConfigFile();
