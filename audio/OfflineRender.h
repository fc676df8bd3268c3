#pragma once

#include <QList>
#include <QString>

#include <functional>

#include <cstdint>
#include <vector>

/// The song's sound as Play hands it to the sound device, produced without the device and as
/// fast as it can be computed: the same tone functions, the same line lengths and rests.
class OfflineRender {
public:
    enum class Output { Beep, Wave };

    struct Settings {
        Output output = Output::Beep;
        int volume = 80;  ///< waveform output: 0 … 100
        int waveform = 1; ///< waveform output: 0 sine, 1 square, 2 square root, 3 noise
    };

    /// One song line as Play reads it: the frequencies of both tracks and track 1's duration.
    struct Line {
        int freq1 = 0;
        int freq2 = 0;
        int durationMs = 0;
    };

    OfflineRender(QList<Line> lines, const Settings& settings);

    /// The samples of the next line, appended to @p out; false when the song is done.
    /// Throws AppError where Play would (a waveform tone too long for memory).
    bool renderNext(std::vector<std::int16_t>& out);

    int linesDone() const { return m_next; }
    int lineCount() const { return int(m_lines.size()); }
    /// Samples of the whole song.
    std::uint64_t totalSamples() const;

    /// Renders the rest of the song into an audio file (format by extension). @p keepGoing is
    /// asked between lines with the samples done and the total; false cancels, and the file is
    /// then not written (an earlier file of that name stays). Returns false when cancelled.
    bool writeFile(const QString& fileName,
                   const std::function<bool(std::uint64_t done, std::uint64_t total)>& keepGoing);

    /// The line's frequency as Play sounds it: track 1, or track 2 where track 1 rests.
    static int soundedFrequency(const Line& line);

private:
    QList<Line> m_lines;
    Settings m_settings;
    int m_next = 0;
};
