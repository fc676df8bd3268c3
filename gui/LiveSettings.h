#pragma once

#include <QObject>

struct Settings;
class TForm6;

/// The running program's Settings value bound to the settings dialog's controls and to the
/// output and scroll check marks of the main menu: every change of one of them, by the user or
/// by code, updates the value at once, so the value always equals what the controls show.
/// Loading Config.ini shows the stored settings in the controls; applying pushes the value
/// into the main window and the subsystems and writes the file (SettingsStore).
///
/// A handler connected to one of these controls' change signals before this object (the
/// main window's own handlers of its menu items) still sees the value from before the change;
/// it reads the control or defers.
class LiveSettings final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveSettings)

public:
    /// Binds @p live to the controls of @p dialog (all its pages built) and of the main
    /// window, when there is one, and takes their current states.
    LiveSettings(TForm6& dialog, Settings& live);
    ~LiveSettings() override;

    const Settings& value() const { return m_live; }

    /// Reads Config.ini and shows it in the controls; a missing file or value gives the key's
    /// default. A file too large to be the program's is said once, here.
    void LoadSettings();
    /// Pushes the value into the main window and the subsystems, then writes the file.
    /// A step that fails stops here: the steps after it, the writing included, are skipped.
    void ApplySettings();

    /// Takes every control's state into the value again.
    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();
    void show(const Settings& stored);
    bool ownServerShown() const;

    TForm6& m_dialog;
    Settings& m_live;
};
