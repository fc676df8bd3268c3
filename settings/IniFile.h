#pragma once

#include <QString>

/// A settings file of sections and keys with the rules of the classic profile-file functions:
/// names match without regard to case, a value is read as at most 2047 characters with the
/// blanks around it dropped, integers may be written "0x…", booleans are stored as 0/1, and a
/// missing or unreadable value yields the caller's default. Every read looks at the file as it
/// is now; every write updates the file at once, replacing an existing key in place, adding a
/// new key at the end of its section and a new section at the end of the file, and keeping
/// everything it does not know. Writes go through a temporary file that is renamed into place,
/// so a failed write leaves the previous file whole; a file this class creates is readable by
/// its owner only (it may hold a password).
class IniFile {
public:
    /// Longest value text a read returns.
    static constexpr int kMaxValueLength = 2047;

    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    /// Decimal text, or hexadecimal after "0x"/"0X" when longer than two characters; any
    /// other text gives the default.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    /// Any non-zero integer is true.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    /// Throws AppError "In <path> kann nicht geschrieben werden" when the file cannot be
    /// written; the file on disk is then unchanged.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

private:
    QString m_path;
};
