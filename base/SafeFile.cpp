#include "base/SafeFile.h"

#include "base/Errors.h"
#include "base/FileAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kBadName = 3;
constexpr int kAccessDenied = 5;
constexpr int kWriteFault = 101;

struct Fault {
    SafeFile::Step step = SafeFile::Step::Open;
    int error = 0;
};
Fault g_fault;

/// The system error number a step must fail with, 0 when it may go on.
int injected(SafeFile::Step step) {
    return g_fault.error != 0 && g_fault.step == step ? g_fault.error : 0;
}

int codeOf(int error) {
    return error != 0 ? FileAccess::codeForErrno(error) : kWriteFault;
}

} // namespace

struct SafeFile::State {
    explicit State(const QString& fileName) : file(fileName) {}
    QSaveFile file;
    /// The first failure, as an error code of the program; 0 while all is well.
    int failure = 0;
};

SafeFile::SafeFile(const QString& fileName) : m_state(std::make_unique<State>(fileName)) {
    if (fileName.isEmpty() || fileName.contains(QChar(0)))
        throw EInOutError(kBadName);
    // Renaming over a named pipe or a device node (even /dev/null, through a link) would
    // replace it with a regular file; a folder cannot be replaced at all.
    struct stat info {};
    if (::stat(QFile::encodeName(fileName).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        throw EInOutError(kAccessDenied);
    const QFileInfo folder(QFileInfo(fileName).absolutePath());
    if (!folder.exists() || !folder.isDir())
        throw EInOutError(kBadName);
    if (const int error = injected(Step::Open))
        throw EInOutError(codeOf(error));
    errno = 0;
    // Unbuffered: every write reaches the file system at once, so a full disk shows at the
    // write that meets it and not only in a final flush whose failure may go unnoticed.
    if (!m_state->file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw EInOutError(errno != 0 ? FileAccess::codeForErrno(errno) : kAccessDenied);
}

SafeFile::~SafeFile() {
    if (m_state->file.isOpen())
        m_state->file.cancelWriting();
}

qint64 SafeFile::tryWrite(QByteArrayView bytes) noexcept {
    if (m_state->failure != 0)
        return -1;
    if (const int error = injected(Step::Write)) {
        m_state->failure = codeOf(error);
        return -1;
    }
    errno = 0;
    const qint64 written = m_state->file.write(bytes.data(), bytes.size());
    if (written != bytes.size()) {
        m_state->failure = codeOf(errno);
        return -1;
    }
    return written;
}

void SafeFile::write(QByteArrayView bytes) {
    if (tryWrite(bytes) < 0)
        throw EInOutError(m_state->failure);
}

QIODevice& SafeFile::device() {
    return m_state->file;
}

bool SafeFile::failed() const {
    return m_state->failure != 0 || m_state->file.error() != QFileDevice::NoError;
}

void SafeFile::check() const {
    if (m_state->failure != 0)
        throw EInOutError(m_state->failure);
    if (m_state->file.error() != QFileDevice::NoError)
        throw EInOutError(kWriteFault);
}

void SafeFile::setOwnerOnly() {
    m_state->file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void SafeFile::commit() {
    QSaveFile& file = m_state->file;
    const auto giveUp = [&](int code) {
        file.cancelWriting();
        throw EInOutError(code);
    };
    if (m_state->failure != 0)
        giveUp(m_state->failure);
    if (file.error() != QFileDevice::NoError)
        giveUp(kWriteFault);
    // Some file systems report a full disk or a lost device only when the data reaches the
    // disk; the rename below must not happen before that is known. A file system that cannot
    // sync (EINVAL) has nothing to report.
    int error = injected(Step::Flush);
    errno = 0;
    if (error == 0 && (!file.flush() || ::fsync(file.handle()) != 0) && errno != EINVAL &&
        errno != EROFS)
        error = errno != 0 ? errno : EIO;
    if (error != 0)
        giveUp(codeOf(error));
    if (const int failure = injected(Step::Commit))
        giveUp(codeOf(failure));
    errno = 0;
    if (!file.commit())
        throw EInOutError(errno != 0 ? FileAccess::codeForErrno(errno) : kWriteFault);
}

void SafeFile::save(const QString& fileName, QByteArrayView bytes) {
    SafeFile file(fileName);
    file.write(bytes);
    file.commit();
}

void SafeFile::failStepForTesting(Step step, int error) {
    g_fault = {step, error};
}
