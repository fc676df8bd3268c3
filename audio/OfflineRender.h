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
class SoundBlock;

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
        /// "Zweistimmig": the speaker and the waveform outputs sound both tracks (TwoVoices).
        bool twoVoices = false;
    };

    /// One song line as Play reads it: the frequencies of both tracks and track 1's duration.
    struct Line {
        int freq1 = 0;
        int freq2 = 0;
        int durationMs = 0;
        int note1 = MidiFile::kSilent; ///< MIDI-Out: the notes of the frequencies
        int note2 = MidiFile::kSilent;
        int duration2Ms = 0; ///< track 2's duration: two voices only
    };

    OfflineRender(QList<Line> lines, const Settings& settings);
    ~OfflineRender();
    OfflineRender(OfflineRender&&) noexcept;
    OfflineRender& operator=(OfflineRender&&) noexcept;

    /// Most samples one renderNext() call appends: memory does not grow with a line's length.
    static constexpr std::uint64_t kPieceSamples = 1 << 16;
    /// The longest sound an export writes (about 7.6 GB as WAV).
    static constexpr int kMaxExportHours = 24;
    static constexpr std::uint64_t kMaxExportSamples =
        std::uint64_t(kMaxExportHours) * 3600 * 44100;

    /// The next piece of the song, appended to @p out: the rest of the current line, at most
    /// kPieceSamples; a call never runs into the next line. False when the song is done.
    bool renderNext(std::vector<std::int16_t>& out);

    /// Lines rendered to their end.
    int linesDone() const { return m_next; }
    int lineCount() const { return int(m_lines.size()); }
    /// Samples of the whole song.
    std::uint64_t totalSamples() const;

    /// Throws AppError with tooLongText() for a song longer than an export holds.
    void checkExportLimits() const;
    /// "Ein Export fasst höchstens 24 Stunden Klang; …", with the song's length.
    static QString tooLongText(std::uint64_t samples);
    /// Said when a .wav export goes into an RF64 file because it is larger than 4 GB.
    static QString rf64Text();
    /// Where writeFile says such things (a message box, a line on stderr); none by default.
    void setNotice(std::function<void(const QString&)> notice) { m_notice = std::move(notice); }

    /// Renders the rest of the song into an audio file (format by extension), after
    /// checkExportLimits(); a .wav file past 4 GB becomes RF64 (said through the notice). @p
    /// keepGoing is asked between lines with the samples done and the total; false cancels, and the
    /// file is then not written (an earlier file of that name stays). Returns false when cancelled.
    bool writeFile(const QString& fileName,
                   const std::function<bool(std::uint64_t done, std::uint64_t total)>& keepGoing);

    /// The line's frequency as Play sounds it: track 1, or track 2 where track 1 rests.
    static int soundedFrequency(const Line& line);

private:
    bool startLine();
    void endLine();
    bool renderMidi(std::vector<std::int16_t>& out);
    void renderSynth(std::vector<std::int16_t>& out, std::uint64_t count);
    void postLineMessages(const Line& line);

    QList<Line> m_lines;
    Settings m_settings;
    int m_next = 0;
    // The line being rendered: its length and what of it is done.
    bool m_lineStarted = false;
    std::uint64_t m_lineLength = 0;
    std::uint64_t m_lineDone = 0;
    std::unique_ptr<SoundBlock> m_beep;
    int m_waveFrequency = 0;
    std::uint64_t m_waveLength = 0; ///< samples of the line the waveform output sounds
    std::unique_ptr<SoundBlock> m_voices; ///< the line's sound with two voices
    std::unique_ptr<GmSynth> m_synth;
    std::uint64_t m_sample = 0;
    bool m_inTail = false;
    bool m_tailDone = false;
    std::function<void(const QString&)> m_notice;
};
