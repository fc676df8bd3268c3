#pragma once

#include "files/MidiFile.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

#include <cstdint>
#include <vector>

/// The song's sound as Play hands it to the sound device, produced without the device and as
/// fast as it can be computed: the same tone functions, the same line lengths and rests.
/// MIDI-Out sounds through the built-in General MIDI synthesizer, with the messages the MIDI
/// engine sends, placed on the samples where their lines begin and end.
class GmSynth;

class OfflineRender {
public:
    enum class Output { Beep, Wave, Midi };
    /// What MIDI-Out lets ring after the last line.
    static constexpr int kMidiTailMs = 1000;

    struct Settings {
        Output output = Output::Beep;
        int volume = 80;  ///< waveform output: 0 … 100
        int waveform = 1; ///< waveform output: 0 sine, 1 square, 2 square root, 3 noise
        MidiFile::TrackSetup track1{0}; ///< MIDI-Out: instrument, drum key, velocity of track 1
        MidiFile::TrackSetup track2{1};
    };

    /// One song line as Play reads it: the frequencies of both tracks and track 1's duration.
    struct Line {
        int freq1 = 0;
        int freq2 = 0;
        int durationMs = 0;
        int note1 = MidiFile::kSilent; ///< MIDI-Out: the notes of the frequencies
        int note2 = MidiFile::kSilent;
    };

    OfflineRender(QList<Line> lines, const Settings& settings);
    ~OfflineRender();
    OfflineRender(OfflineRender&&) noexcept;
    OfflineRender& operator=(OfflineRender&&) noexcept;

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
    bool renderMidi(std::vector<std::int16_t>& out);
    void renderSynth(std::vector<std::int16_t>& out, std::uint64_t count);

    QList<Line> m_lines;
    Settings m_settings;
    int m_next = 0;
    std::unique_ptr<GmSynth> m_synth;
    std::uint64_t m_sample = 0;
    bool m_tailDone = false;
};
