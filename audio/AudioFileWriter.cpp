#include "audio/AudioFileWriter.h"

#include "base/Errors.h"
#include "files/FileAccess.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <sndfile.h>

#include <cerrno>

namespace {

int formatFor(const QString& fileName) {
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (ext == QLatin1String("wav"))
        return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    if (ext == QLatin1String("flac"))
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    if (ext == QLatin1String("ogg"))
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    if (ext == QLatin1String("mp3"))
        return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    return 0;
}

// The library writes through these into the temporary file of a QSaveFile.
sf_count_t vioLength(void* user) {
    return static_cast<QSaveFile*>(user)->size();
}
sf_count_t vioSeek(sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<QSaveFile*>(user);
    qint64 to = offset;
    if (whence == SEEK_CUR)
        to += file->pos();
    else if (whence == SEEK_END)
        to += file->size();
    return file->seek(to) ? to : -1;
}
sf_count_t vioRead(void* ptr, sf_count_t count, void* user) {
    return static_cast<QSaveFile*>(user)->read(static_cast<char*>(ptr), count);
}
sf_count_t vioWrite(const void* ptr, sf_count_t count, void* user) {
    return static_cast<QSaveFile*>(user)->write(static_cast<const char*>(ptr), count);
}
sf_count_t vioTell(void* user) {
    return static_cast<QSaveFile*>(user)->pos();
}

[[noreturn]] void fail(const QString& detail) {
    throw AppError(
        QStringLiteral("Die Audiodatei konnte nicht geschrieben werden: %1").arg(detail));
}

} // namespace

struct AudioFileWriter::State {
    explicit State(const QString& fileName) : file(fileName) {}
    QSaveFile file;
    SNDFILE* sound = nullptr;
    SF_VIRTUAL_IO io{vioLength, vioSeek, vioRead, vioWrite, vioTell};
};

QStringList AudioFileWriter::extensions() {
    return {QStringLiteral("wav"), QStringLiteral("flac"), QStringLiteral("ogg"),
            QStringLiteral("mp3")};
}

bool AudioFileWriter::supports(const QString& fileName) {
    return formatFor(fileName) != 0;
}

AudioFileWriter::AudioFileWriter(const QString& fileName)
    : m_state(std::make_unique<State>(fileName)) {
    const int format = formatFor(fileName);
    if (format == 0)
        throw AppError(QStringLiteral("Unbekanntes Audioformat \"%1\": möglich sind .wav, .flac, "
                                      ".ogg und .mp3.")
                           .arg(QFileInfo(fileName).suffix()));
    if (!m_state->file.open(QIODevice::WriteOnly))
        throw EInOutError(FileAccess::codeForErrno(errno ? errno : EACCES));
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = format;
    m_state->sound = sf_open_virtual(&m_state->io, SFM_WRITE, &info, &m_state->file);
    if (!m_state->sound)
        fail(QString::fromLocal8Bit(sf_strerror(nullptr)));
    if (format == (SF_FORMAT_OGG | SF_FORMAT_VORBIS)) {
        double quality = 0.6;
        sf_command(m_state->sound, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
    }
}

AudioFileWriter::~AudioFileWriter() {
    if (m_state->sound)
        sf_close(m_state->sound);
    // Not finished: the temporary file goes, an earlier file stays.
    m_state->file.cancelWriting();
}

void AudioFileWriter::write(const std::int16_t* samples, std::size_t count) {
    if (count == 0)
        return;
    if (sf_write_short(m_state->sound, samples, sf_count_t(count)) != sf_count_t(count))
        fail(QString::fromLocal8Bit(sf_strerror(m_state->sound)));
}

void AudioFileWriter::finish() {
    const int closed = sf_close(m_state->sound);
    m_state->sound = nullptr;
    if (closed != 0)
        fail(QString::fromLocal8Bit(sf_error_number(closed)));
    if (!m_state->file.commit())
        throw EInOutError(FileAccess::codeForErrno(errno ? errno : EIO));
}
