#pragma once

#include "settings/Settings.h"

#include <QList>
#include <QString>

#include <variant>

class IniFile;

/// How a setting is held and stored.
enum class SettingKind {
    Check,     ///< a check box of the dialog, stored as 0/1
    Text,      ///< an edit of the dialog, stored as its text
    ItemIndex, ///< the selected entry of a drop-down list (−1: none)
    Position,  ///< a track bar's position, clamped to its range when read
    MenuCheck, ///< a check mark of the main window's menu, stored as 0/1
    Port,      ///< the mirror server's port, shown in an edit of the dialog
    WindowPlace, ///< a window's place or size, kept by the window; stored once it was placed
};

/// One key of Config.ini, the control that holds its value while the program runs, and the
/// field of Settings it is read into.
struct SettingKey {
    QString section;
    QString key;
    QString control; ///< the control's design name
    SettingKind kind;
    QString defaultValue; ///< as it would stand in the file
    /// Read and written only while the own server ("Wähle eigenes...") is chosen.
    bool ownServerOnly = false;
    std::variant<bool Settings::*, int Settings::*, QString Settings::*> field;
    /// ItemIndex: the number of entries of the list; Position: the largest position (the
    /// smallest is 0).
    int limit = 0;
};

/// Config.ini and the Settings value: which keys there are, in which order they are read and
/// written, their defaults and how a stored value that does not fit is taken. Needs no window;
/// the settings dialog's LoadSettings and ApplySettings go through it.
class SettingsStore {
public:
    /// Every key, in the order in which it is read and written.
    static const QList<SettingKey>& keys();
    /// Entry of the server list that stands for the user's own server.
    static constexpr int kOwnServer = Settings::kOwnServer;

    /// The stored settings; a missing file or value gives the key's default, an index outside
    /// its list gives −1, a volume outside 0 … 100 is clamped. The own server's address, user
    /// and password are read only when it is the stored choice. Fields that are not stored
    /// keep their defaults.
    static Settings read(const IniFile& file);
    /// The settings the program starts with: Config.ini read, or the defaults. A file too
    /// large to be the program's is said once, here (as information; the close leaves such a
    /// file as it is without a word).
    static Settings load();
    /// The same from a file already read (the one copy of Config.ini a run keeps).
    static Settings load(const IniFile& file);
    /// Writes every key in order (the own server's three only while it is chosen). Throws
    /// AppError "In <path> kann nicht geschrieben werden" as IniFile does; with
    /// IniFile::Writes::OnSave nothing reaches the disk before save().
    static void write(IniFile& file, const Settings& settings);
};
