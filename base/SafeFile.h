#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>

class QIODevice;

/// The one way the program writes a file: song files, pad files, the library's list, MIDI and
/// audio exports and Config.ini all go through it.
///
/// The bytes go, unbuffered, into a temporary file beside the target, which replaces the target
/// only once every step has succeeded: open, every write, the flush to the disk, the rename.
/// Whenever a step fails the temporary file goes and an earlier file of that name stays byte
/// for byte; the failure is raised as EInOutError with the program's file texts ("Zu wenig
/// Speicherplatz" for a full disk).
///
/// A name that holds anything but a regular file (a folder, a named pipe, a device node, or a
/// link to one of these) is refused as "Dateizugriff verweigert", since renaming over it would
/// replace it; a symbolic link to a regular file is followed, so its target is written and the
/// link stays.
class SafeFile {
public:
    /// The steps of a write, in order.
    enum class Step { Open, Write, Flush, Commit };

    /// Opens the temporary file; throws EInOutError.
    explicit SafeFile(const QString& fileName);
    /// Without commit(), the temporary file is removed and the target left as it was.
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    /// Writes the bytes at the current position; throws EInOutError.
    void write(QByteArrayView bytes);
    /// The same for code that must not throw (a C library's callback): the bytes written, or
    /// -1 after a failure, which commit() then reports.
    qint64 tryWrite(QByteArrayView bytes) noexcept;
    /// The temporary file, for writers that seek and read back (audio encoders); their writes
    /// go through tryWrite().
    QIODevice& device();
    bool failed() const;
    /// Raises the failure of an earlier step, if any, as EInOutError.
    void check() const;
    /// Only the owner may read and write the new file (it may hold a password).
    void setOwnerOnly();
    /// Flushes to the disk and puts the file in place; throws EInOutError and keeps the
    /// earlier file when anything went wrong, here or before.
    void commit();

    /// Writes a whole file in one go.
    static void save(const QString& fileName, QByteArrayView bytes);

    /// For tests: from now on the given step fails with the system error number @p error (for
    /// example ENOSPC), in every write, until cleared with error 0.
    static void failStepForTesting(Step step, int error);

private:
    struct State;
    std::unique_ptr<State> m_state;
};
