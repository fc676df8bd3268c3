#pragma once

#include <QList>
#include <QString>

class IniFile;
class TForm6;

/// How a setting is held and stored.
enum class SettingKind {
    Check,     ///< a check box of the dialog, stored as 0/1
    Text,      ///< an edit of the dialog, stored as its text
    ItemIndex, ///< the selected entry of a drop-down list (−1: none)
    Position,  ///< a track bar's position, clamped to its range when read
    MenuCheck, ///< a check mark of the main window's menu, stored as 0/1
    Port,      ///< the mirror server's port, shown in an edit of the dialog
};

/// One key of Config.ini and the control that holds its value while the program runs.
struct SettingKey {
    QString section;
    QString key;
    QString control; ///< the control's design name
    SettingKind kind;
    QString defaultValue; ///< as it would stand in the file
    /// Read and written only while the own server ("Wähle eigenes...") is chosen.
    bool ownServerOnly = false;
};

/// Loads Config.ini into the settings dialog's controls, and applies the controls to the main
/// window and the other subsystems and writes them back. The controls are found by their
/// design names, so every page of the dialog can be built on its own.
class SettingsStore {
public:
    explicit SettingsStore(TForm6& dialog);

    /// Every key, in the order in which it is read and written.
    static const QList<SettingKey>& keys();
    /// Entry of the server list that stands for the user's own server.
    static constexpr int kOwnServer = 5;

    /// Reads the file into the controls; a missing file or value gives the key's default.
    void LoadSettings();
    /// Pushes the controls into the main window and the subsystems, then writes the file.
    /// A step that fails stops here: the steps after it, the writing included, are skipped.
    void ApplySettings();

private:
    bool ownServerChosen() const;
    void readKey(const IniFile& file, const SettingKey& key);
    void writeKey(IniFile& file, const SettingKey& key);

    TForm6& m_dialog;
};
