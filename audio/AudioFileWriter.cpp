#include "audio/AudioFileWriter.h"

#include "audio/SharedLibrary.h"
#include "base/Errors.h"
#include "base/SafeFile.h"

#include <QFileInfo>
#include <QStringList>

#include <sndfile.h>

#include <vector>

namespace {

// The functions of the sound file library the program calls, typed by its header. The library
// is loaded with the first export, not at the program's start.
#define Z1RPW3RK_SNDFILE_FUNCTIONS(F)                                                         \
    F(sf_open_virtual) F(sf_command) F(sf_write_short) F(sf_write_float) F(sf_close)          \
    F(sf_strerror) F(sf_error_number)

struct SndFile {
    Z1RPW3RK_SNDFILE_FUNCTIONS(Z1RPW3RK_LIBRARY_FUNCTION)
    SharedLibrary file{"libsndfile.so.1", "Z1RPW3RK_LIBSNDFILE", "libsndfile1"};

    SndFile() {
        Z1RPW3RK_SNDFILE_FUNCTIONS(Z1RPW3RK_LIBRARY_RESOLVE)
    }
};

/// Loads the library once, at the first file written; raises when it is missing.
const SndFile& sndFile() {
    static const SndFile library;
    if (!library.file.loaded())
        throw AppError(library.file.missingText());
    return library;
}

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

// The library writes through these into the program's safe file.
sf_count_t vioLength(void* user) {
    return static_cast<SafeFile*>(user)->device().size();
}
sf_count_t vioSeek(sf_count_t offset, int whence, void* user) {
    QIODevice& file = static_cast<SafeFile*>(user)->device();
    qint64 to = offset;
    if (whence == SEEK_CUR)
        to += file.pos();
    else if (whence == SEEK_END)
        to += file.size();
    return file.seek(to) ? to : -1;
}
sf_count_t vioRead(void* ptr, sf_count_t count, void* user) {
    return static_cast<SafeFile*>(user)->device().read(static_cast<char*>(ptr), count);
}
sf_count_t vioWrite(const void* ptr, sf_count_t count, void* user) {
    const qint64 written = static_cast<SafeFile*>(user)->tryWrite(
        QByteArrayView(static_cast<const char*>(ptr), qsizetype(count)));
    return written < 0 ? 0 : written;
}
sf_count_t vioTell(void* user) {
    return static_cast<SafeFile*>(user)->device().pos();
}

[[noreturn]] void fail(const QString& detail) {
    throw AppError(
        QStringLiteral("Die Audiodatei konnte nicht geschrieben werden: %1").arg(detail));
}

} // namespace

struct AudioFileWriter::State {
    explicit State(const QString& fileName) : file(fileName) {}
    SafeFile file;
    const SndFile* sf = nullptr;
    SNDFILE* sound = nullptr;
    bool wav = false;
    bool rf64 = false;
    /// Lossy codecs overshoot the edges of square waves: their samples are scaled by this,
    /// so that decoded samples stay below full scale.
    float gain = 1.0F;
    std::vector<float> scaled;
    std::uint64_t written = 0;
    SF_VIRTUAL_IO io{vioLength, vioSeek, vioRead, vioWrite, vioTell};
};

QStringList AudioFileWriter::extensions() {
    return {QStringLiteral("wav"), QStringLiteral("flac"), QStringLiteral("ogg"),
            QStringLiteral("mp3")};
}

bool AudioFileWriter::supports(const QString& fileName) {
    return formatFor(fileName) != 0;
}

bool AudioFileWriter::needsRf64(const QString& fileName, std::uint64_t samples) {
    return formatFor(fileName) == (SF_FORMAT_WAV | SF_FORMAT_PCM_16) && samples > kWavMaxSamples;
}

AudioFileWriter::AudioFileWriter(const QString& fileName, std::uint64_t expectedSamples) {
    int format = formatFor(fileName);
    if (format == 0)
        throw AppError(QStringLiteral("Unbekanntes Audioformat \"%1\": möglich sind .wav, .flac, "
                                      ".ogg und .mp3.")
                           .arg(QFileInfo(fileName).suffix()));
    const SndFile& library = sndFile();
    m_state = std::make_unique<State>(fileName);
    m_state->sf = &library;
    m_state->wav = format == (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    // A WAV file counts its bytes in 32 bits; a longer sound goes into the 64-bit variant of
    // the format, which players of long recordings read.
    if (needsRf64(fileName, expectedSamples)) {
        format = SF_FORMAT_RF64 | SF_FORMAT_PCM_16;
        m_state->rf64 = true;
    }
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = format;
    m_state->sound = m_state->sf->sf_open_virtual(&m_state->io, SFM_WRITE, &info, &m_state->file);
    if (!m_state->sound) {
        m_state->file.check(); // a full disk says more than the library's text
        fail(QString::fromLocal8Bit(m_state->sf->sf_strerror(nullptr)));
    }
    if (format == (SF_FORMAT_OGG | SF_FORMAT_VORBIS)) {
        double quality = 0.6;
        m_state->sf->sf_command(m_state->sound, SFC_SET_VBR_ENCODING_QUALITY, &quality,
                                sizeof quality);
    }
    // Measured with full-scale square waves of 31 Hz to 21 kHz: decoded MP3 reaches 85 % of
    // full scale at half the level, Vorbis 87 % at 70 %.
    if (format == (SF_FORMAT_OGG | SF_FORMAT_VORBIS))
        m_state->gain = 0.7F;
    else if (format == (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III))
        m_state->gain = 0.5F;
}

AudioFileWriter::~AudioFileWriter() {
    // Not finished: the temporary file goes with the safe file, an earlier file stays.
    if (m_state && m_state->sound)
        m_state->sf->sf_close(m_state->sound);
}

bool AudioFileWriter::isRf64() const {
    return m_state->rf64;
}

void AudioFileWriter::write(const std::int16_t* samples, std::size_t count) {
    if (count == 0)
        return;
    m_state->written += count;
    // Sizes past 4 GB would wrap in a WAV header: players would show a fraction of the sound.
    if (m_state->wav && !m_state->rf64 && m_state->written > kWavMaxSamples)
        throw AppError(wavTooLongText());
    sf_count_t done = 0;
    if (m_state->gain != 1.0F) {
        std::vector<float>& scaled = m_state->scaled;
        scaled.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            scaled[i] = float(samples[i]) * (m_state->gain / 32768.0F);
        done = m_state->sf->sf_write_float(m_state->sound, scaled.data(), sf_count_t(count));
    } else {
        done = m_state->sf->sf_write_short(m_state->sound, samples, sf_count_t(count));
    }
    if (done != sf_count_t(count)) {
        // The file system's failure says more than the library's.
        m_state->file.check();
        fail(QString::fromLocal8Bit(m_state->sf->sf_strerror(m_state->sound)));
    }
}

void AudioFileWriter::finish() {
    const int closed = m_state->sf->sf_close(m_state->sound);
    m_state->sound = nullptr;
    if (closed != 0 && !m_state->file.failed())
        fail(QString::fromLocal8Bit(m_state->sf->sf_error_number(closed)));
    // Raises the file system's failure, if any, and keeps the earlier file then.
    m_state->file.commit();
}

QString AudioFileWriter::wavTooLongText() {
    return QStringLiteral("Eine WAV-Datei fasst höchstens 4 GB (%1 Stunden Klang); der Export "
                          "wurde abgebrochen.")
        .arg(kWavMaxSamples / 44100 / 3600);
}
