#include "files/MidiVoices.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace MidiVoices {

QPair<int, int> busiestChannels(const MidiFile::Sequence& sequence) {
    std::array<qint64, 16> starts{};
    for (const MidiFile::NoteEvent& e : sequence.notes)
        if (e.on)
            ++starts[std::size_t(e.channel)];
    std::array<int, 16> order{};
    for (int c = 0; c < 16; ++c)
        order[std::size_t(c)] = c;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return starts[std::size_t(a)] > starts[std::size_t(b)]; });
    int first = starts[std::size_t(order[0])] > 0 ? order[0] : -1;
    int second = starts[std::size_t(order[1])] > 0 ? order[1] : -1;
    if (second >= 0 && second < first)
        std::swap(first, second);
    return {first, second};
}

TempoMap::TempoMap(const MidiFile::Sequence& sequence)
    : m_division(sequence.division), m_timeCode(sequence.timeCode) {
    m_segments.append({0, 0.0L, MidiFile::kTempo});
    for (const auto& [tick, tempo] : sequence.tempos) {
        const Segment& last = m_segments.constLast();
        const long double at =
            last.microseconds + (long double)(tick - last.tick) * last.tempo / m_division;
        if (tick == last.tick)
            m_segments.last().tempo = tempo;
        else
            m_segments.append({tick, at, tempo});
    }
}

qint64 TempoMap::milliseconds(qint64 tick) const {
    if (m_timeCode)
        return std::llround((long double)tick * 1000.0L / m_division);
    auto it = std::upper_bound(m_segments.cbegin(), m_segments.cend(), tick,
                               [](qint64 t, const Segment& s) { return t < s.tick; });
    const Segment& s = *(it - 1);
    const long double us = s.microseconds + (long double)(tick - s.tick) * s.tempo / m_division;
    return std::llround(us / 1000.0L);
}

namespace {

/// One channel reduced to its highest sounding note.
class Voice {
public:
    void apply(const MidiFile::NoteEvent& e) {
        int& count = m_sounding[std::size_t(e.note)];
        if (e.on) {
            ++count;
            m_struck[std::size_t(e.note)] = true;
            m_bend[std::size_t(e.note)] = e.bend;
        } else if (count > 0) {
            --count;
        }
    }
    /// The voice's note now, and whether it was struck within the tick just applied.
    int note() const {
        for (int n = 127; n >= 0; --n)
            if (m_sounding[std::size_t(n)] > 0)
                return n;
        return MidiFile::kSilent;
    }
    bool struck(int note) const { return note >= 0 && m_struck[std::size_t(note)]; }
    /// The bend the note was last struck with.
    double bend(int note) const { return note >= 0 ? m_bend[std::size_t(note)] : 0.0; }
    void newTick() { m_struck.fill(false); }

private:
    std::array<int, 128> m_sounding{};
    std::array<bool, 128> m_struck{};
    std::array<double, 128> m_bend{};
};

} // namespace

QList<ImportedLine> toLines(const MidiFile::Sequence& sequence) {
    const auto [channel1, channel2] = busiestChannels(sequence);
    const TempoMap tempo(sequence);
    QList<ImportedLine> lines;
    Voice voices[2];
    int current[2] = {MidiFile::kSilent, MidiFile::kSilent};
    double bends[2] = {0, 0};
    qint64 lineStart = 0;
    const auto close = [&](qint64 tick) {
        const qint64 ms = tempo.milliseconds(tick) - tempo.milliseconds(lineStart);
        if (ms > 0)
            lines.append({current[0], current[1], ms, bends[0], bends[1]});
        lineStart = tick;
    };

    const QList<MidiFile::NoteEvent>& notes = sequence.notes;
    qsizetype marker = 0;
    qsizetype i = 0;
    while (i < notes.size() || marker < sequence.markers.size()) {
        const qint64 tick = std::min(i < notes.size() ? notes[i].tick : sequence.endTick + 1,
                                     marker < sequence.markers.size() ? sequence.markers[marker]
                                                                      : sequence.endTick + 1);
        bool boundary = false;
        while (marker < sequence.markers.size() && sequence.markers[marker] == tick) {
            boundary = true;
            ++marker;
        }
        voices[0].newTick();
        voices[1].newTick();
        for (; i < notes.size() && notes[i].tick == tick; ++i) {
            const int channel = notes[i].channel;
            if (channel == channel1)
                voices[0].apply(notes[i]);
            else if (channel == channel2)
                voices[1].apply(notes[i]);
        }
        int next[2];
        for (int v = 0; v < 2; ++v) {
            next[v] = voices[v].note();
            if (next[v] != current[v] || voices[v].struck(next[v]))
                boundary = true;
        }
        if (boundary) {
            close(tick);
            for (int v = 0; v < 2; ++v) {
                current[v] = next[v];
                bends[v] = voices[v].bend(next[v]);
            }
        }
    }
    // The last line, sounding or silent, lasts until the end of the longest track.
    close(std::max(sequence.endTick, lineStart));
    return lines;
}

qsizetype joinShortLines(QList<ImportedLine>& lines) {
    // A short line that starts nothing new (a gap, a note of a chord that stops early) belongs
    // to the line before it; one that starts a note (a chord struck note by note) to the next.
    const auto startsNothing = [](const ImportedLine& line, const ImportedLine* before) {
        const auto kept = [](int note, int earlier) {
            return note == MidiFile::kSilent || note == earlier;
        };
        const bool silent = line.note1 == MidiFile::kSilent && line.note2 == MidiFile::kSilent;
        return silent || (before && kept(line.note1, before->note1) &&
                          kept(line.note2, before->note2));
    };
    QList<ImportedLine> out;
    out.reserve(lines.size());
    qint64 carried = 0; // time of short lines given to the next line
    qsizetype joined = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const ImportedLine& line = lines[i];
        const ImportedLine* before = i > 0 ? &lines[i - 1] : nullptr;
        if (line.durationMs < kShortLineMs) {
            const bool hasNext = i + 1 < lines.size();
            if (hasNext && (out.isEmpty() || !startsNothing(line, before))) {
                carried += line.durationMs;
                ++joined;
                continue;
            }
            if (!out.isEmpty()) {
                out.last().durationMs += line.durationMs + std::exchange(carried, 0);
                ++joined;
                continue;
            }
        }
        out.append(line);
        out.last().durationMs += std::exchange(carried, 0);
    }
    lines = std::move(out);
    return joined;
}

} // namespace MidiVoices
