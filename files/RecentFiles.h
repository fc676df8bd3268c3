#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

class QAction;
class QMenu;
class TForm1;

/// "Datei" → "Zuletzt geöffnet": the last eight songs opened or imported, newest first, kept in
/// Config.ini in a section of their own; and songs dropped on the main window. Both open a file
/// the way its kind is opened from the menu: a song file with "Öffnen", a .bmm, MIDI or
/// ringtone file with its import.
class RecentFiles final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecentFiles)

public:
    static constexpr int kMaxFiles = 8;
    /// The section of Config.ini that holds the list, keys "Datei1" … "Datei8".
    static const QString kSection;

    explicit RecentFiles(TForm1& form);

    /// Whether a file of this name can be opened by dropping it (by its extension).
    static bool canOpen(const QString& fileName);
    /// Replaces the section's lines in a settings file's bytes (appending the section when it is
    /// missing); every other byte stays as it was.
    static QByteArray withSection(const QByteArray& ini, const QStringList& files);
    /// The list a settings file's bytes hold.
    static QStringList readSection(const QByteArray& ini);

    /// Opens the file by its kind and puts it at the top of the list.
    void openSong(const QString& fileName);
    /// Puts a file at the top of the list (it was opened) and stores the list.
    void add(const QString& fileName);

    QStringList files() const { return m_files; }

    QMenu* ZuletztGeoeffnet1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void store();
    void rebuildMenu();

    TForm1& m_form;
    QStringList m_files;
    bool m_opening = false;
};
