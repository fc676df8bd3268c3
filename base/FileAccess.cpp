#include "base/FileAccess.h"

#include "base/Errors.h"
#include "base/SafeFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kNotFound = 2;
constexpr int kBadName = 3;
constexpr int kAccessDenied = 5;
constexpr int kOutOfMemory = 8;
constexpr int kDiskFull = 39;
constexpr int kDeviceError = 1117;
constexpr int kReadFault = 100;

[[noreturn]] void fail(int code) {
    throw EInOutError(code);
}

int codeOr(int error, int fallback) {
    return error != 0 ? FileAccess::codeForErrno(error) : fallback;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

/// A name the file system cannot take at all.
bool unusableName(const QString& fileName) {
    return fileName.isEmpty() || fileName.contains(QChar(0));
}

} // namespace

namespace FileAccess {

int codeForErrno(int error) {
    switch (error) {
    case ENOENT:
        return kNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
        return kBadName;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
        return kAccessDenied;
    case ENOMEM:
        return kOutOfMemory;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return kDiskFull;
    case EIO:
        return kDeviceError;
    default:
        // A system number that happens to equal one of the codes above would show that
        // code's text ("Dateizugriff verweigert" for an input/output failure); such numbers
        // are reported as a device error instead.
        switch (error) {
        case kNotFound:
        case kBadName:
        case kAccessDenied:
        case kOutOfMemory:
        case kDiskFull:
            return kDeviceError;
        default:
            return error;
        }
    }
}

namespace {

/// Reads a regular file, at most `limit` bytes; with `refuseLarger` a longer file is refused
/// with a message that names the limit instead of being cut.
QByteArray readRegularFile(const QString& fileName, qint64 limit, bool refuseLarger) {
    if (unusableName(fileName))
        fail(kBadName);
    const QByteArray path = QFile::encodeName(fileName);
    // Non-blocking open: a named pipe must not stall the program waiting for a writer.
    const Descriptor fd(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        fail(codeOr(errno, kReadFault));
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        fail(codeOr(errno, kReadFault));
    // Directories, devices and pipes are not the program's files (a device may never end).
    if (!S_ISREG(info.st_mode))
        fail(kAccessDenied);
    if (refuseLarger && info.st_size > limit)
        throw AppError(FileAccess::tooLargeText(limit));

    // Read one byte beyond the limit, so that a file of exactly the largest size still loads
    // and a longer one (it may have grown since fstat) is noticed.
    const qsizetype capacity = qsizetype(refuseLarger ? limit + 1 : limit);
    QByteArray bytes;
    bytes.resize(std::min<qsizetype>(qsizetype(info.st_size), capacity));
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() >= capacity)
                break;
            bytes.resize(std::min<qsizetype>(bytes.size() + 65536, capacity));
        }
        const ssize_t got = ::read(fd.get(), bytes.data() + done, size_t(bytes.size() - done));
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            fail(codeOr(errno, kReadFault));
        }
        if (got == 0)
            break;
        done += got;
    }
    if (refuseLarger && done > limit)
        throw AppError(FileAccess::tooLargeText(limit));
    bytes.truncate(done);
    return bytes;
}

} // namespace

QString tooLargeText(qint64 maxBytes) {
    return QStringLiteral("Datei zu groß (mehr als %1 MB)").arg(maxBytes / (1024 * 1024));
}

QByteArray readAll(const QString& fileName, qint64 maxBytes) {
    return readRegularFile(fileName, maxBytes, true);
}

QByteArray readStart(const QString& fileName, qint64 maxBytes) {
    return readRegularFile(fileName, maxBytes, false);
}

bool sameFile(const QString& a, const QString& b) {
    struct stat first {}, second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

void saveAll(const QString& fileName, const QByteArray& bytes) {
    SafeFile::save(fileName, bytes);
}

} // namespace FileAccess
