#pragma once

#include <QString>

#include <cstdint>
#include <memory>

/// Writes 44,100 Hz mono sound to a WAV, FLAC, Ogg Vorbis or MP3 file, chosen by the file
/// name's extension. The file appears under its name only when finish() succeeds; until then,
/// and whenever writing fails, an earlier file of that name stays as it was.
class AudioFileWriter {
public:
    /// The extensions that can be written, lower case, without the dot.
    static QStringList extensions();
    /// True when the name's extension is one of them.
    static bool supports(const QString& fileName);

    /// Samples a WAV file can hold: its sizes are 32-bit byte counts.
    static constexpr std::uint64_t kWavMaxSamples = (0xFFFFFFFFULL - 1024) / 2;
    /// True when a sound of this many samples is written as RF64 rather than WAV.
    static bool needsRf64(const QString& fileName, std::uint64_t samples);
    /// What the user reads when a WAV file would grow past what it can hold.
    static QString wavTooLongText();

    /// Opens the file through SafeFile; throws AppError when the format is unknown or the file
    /// cannot be made. A .wav file whose @p expectedSamples need more than 4 GB is written as
    /// RF64 (see isRf64()).
    explicit AudioFileWriter(const QString& fileName, std::uint64_t expectedSamples = 0);
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    /// True when the sound goes into an RF64 file (a WAV file past 4 GB).
    bool isRf64() const;

    void write(const std::int16_t* samples, std::size_t count);
    /// Completes the file and puts it in place.
    void finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};
