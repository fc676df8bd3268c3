#pragma once

#include <QString>

class IniFile;

/// Where Config.ini lives. A copy run from its build tree, and a copy that already holds a
/// Config.ini beside itself (a portable copy), keep it beside the executable; an installed
/// program keeps it in the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config, in
/// the folder "Z1rpW3rk"), never beside itself, also when that folder could be written (root).
QString configFilePath();

/// The rule above for a program in @p programDir and the user's folder @p userConfigDir (the
/// folder that holds the program's own folder).
QString configFilePathFor(const QString& programDir, const QString& userConfigDir);

/// Puts the settings file at @p path instead (an empty path restores the rule above).
/// Test fixtures use it to give every run of the program its own file.
void setConfigFilePath(const QString& path);

/// Config.ini of this run, read when first asked and then kept: the settings and the recent
/// files are read from this copy and written through it, so the program reads the file once.
IniFile& configFile();
/// Drops the copy (and whatever was not saved): the next configFile() reads the file again, as
/// at a new start of the program.
void forgetConfigFile();
