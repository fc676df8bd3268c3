#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

class IniFile;
class SongFiles;

/// The list behind "Datei" → "Zuletzt geöffnet": the last eight songs opened, imported or saved,
/// newest first, kept in Config.ini in a section of their own. A file chosen from it (or
/// dropped on the main window) opens the way its kind is opened from the menu: a song file
/// with "Öffnen", a .bmm, MIDI or ringtone file with its import.
class RecentFiles final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecentFiles)

public:
    static constexpr int kMaxFiles = 8;
    /// The section of Config.ini that holds the list, keys "Datei1" … "Datei8".
    static const QString kSection;

    /// Reads the list from @p config (Config.ini as read at start) and stores it there; files
    /// opened or imported through @p files join it.
    RecentFiles(SongFiles& files, IniFile& config, QObject* parent = nullptr);
    /// Replaces the section's lines in a settings file's bytes (appending the section when it is
    /// missing); every other byte stays as it was.
    static QByteArray withSection(const QByteArray& ini, const QStringList& files);
    /// The list a settings file's bytes hold.
    static QStringList readSection(const QByteArray& ini);

    /// Opens the file by its kind and puts it at the top of the list.
    void openSong(const QString& fileName);
    /// Puts a file at the top of the list (it was opened) and stores the list.
    void add(const QString& fileName);
    /// "Liste leeren": empties the list and stores it.
    void clear();

    QStringList files() const { return m_files; }

signals:
    /// The list changed (and was stored).
    void changed();

private:
    void store();

    SongFiles& m_songFiles;
    IniFile& m_config;
    QStringList m_files;
    bool m_opening = false;
};
