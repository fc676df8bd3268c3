#pragma once

#include <QString>

#include <cstdint>
#include <memory>

/// Writes 44,100 Hz mono sound to a WAV, FLAC, Ogg Vorbis or MP3 file, chosen by the file
/// name's extension. The file appears under its name only when finish() succeeds; until then
/// an earlier file of that name stays as it was.
class AudioFileWriter {
public:
    /// The extensions that can be written, lower case, without the dot.
    static QStringList extensions();
    /// True when the name's extension is one of them.
    static bool supports(const QString& fileName);

    /// Opens the file; throws AppError when the format is unknown or the file cannot be made.
    explicit AudioFileWriter(const QString& fileName);
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    void write(const std::int16_t* samples, std::size_t count);
    /// Completes the file and puts it in place.
    void finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};
