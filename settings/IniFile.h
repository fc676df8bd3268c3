#pragma once

#include <QString>
#include <QStringList>

/// A settings file of sections and keys with the rules of the classic profile-file functions:
/// names match without regard to case, a value is read as at most 2047 characters with the
/// blanks around it dropped, integers may be written "0x…", booleans are stored as 0/1, and a
/// missing or unreadable value yields the caller's default. The file is read once, when the
/// object is made; reads and writes then work on that copy. A write replaces an existing key in
/// place, adds a new key at the end of its section and a new section at the end of the file, and
/// keeps everything it does not know; the file is written at once after each write, or once by
/// save(). Writes go through SafeFile, so a failed write leaves the previous file whole; a file
/// this class writes is readable by its owner only (it may hold a password).
///
/// What is not a regular readable file (a folder, a pipe, a device, a link to one of these, a
/// file of another user) reads as empty and is not written. A file larger than kMaxFileSize is
/// not the program's: it reads as empty and is left untouched, writes included.
class IniFile {
public:
    /// Longest value text a read returns.
    static constexpr int kMaxValueLength = 2047;
    /// Largest file that is read; the program's own settings take a few hundred bytes.
    static constexpr qint64 kMaxFileSize = 1024 * 1024;

    enum class Writes {
        Immediate, ///< every write updates the file at once
        OnSave,    ///< writes change the copy in memory; save() writes the file once
    };

    explicit IniFile(QString path, Writes writes = Writes::Immediate);

    const QString& path() const { return m_path; }
    /// True when the file was larger than kMaxFileSize; tooLargeText() says so to the user.
    bool tooLarge() const { return m_state == State::TooLarge; }
    QString tooLargeText() const;

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
    /// The text held, as save() would write it (every line ending in CR LF).
    QByteArray bytes() const;
    /// Replaces the whole text held (for a section kept by rules of its own); written at once
    /// or by save(), as the other writes are.
    void setBytes(const QByteArray& bytes);
    /// Writes the changed copy to the file (nothing when unchanged, nor for a file too large);
    /// throws AppError "In <path> kann nicht geschrieben werden" and keeps the file as it was.
    void save();

private:
    enum class State { Read, Unreadable, TooLarge };

    QString m_path;
    Writes m_writes;
    State m_state = State::Read;
    QStringList m_lines;
    bool m_changed = false;
};
