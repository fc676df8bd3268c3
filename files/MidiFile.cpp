#include "files/MidiFile.h"

#include "base/Errors.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace MidiFile {

namespace {

void putU16(QByteArray& out, int value) {
    out.append(char((value >> 8) & 0xFF));
    out.append(char(value & 0xFF));
}

void putU32(QByteArray& out, quint32 value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
}

void putVarLen(QByteArray& out, quint32 value) {
    char bytes[5];
    int n = 0;
    bytes[n++] = char(value & 0x7F);
    while ((value >>= 7) != 0)
        bytes[n++] = char(0x80 | (value & 0x7F));
    while (n > 0)
        out.append(bytes[--n]);
}

/// Events of one track in tick order, written as a chunk straight at the end of the file's
/// bytes: a long song's track is never held twice. Delta times are written as the ticks
/// advance; deltas beyond the 28 bits a delta can hold are split by empty text events.
class TrackWriter {
public:
    explicit TrackWriter(QByteArray& file) : m_body(file) {
        m_body.append("MTrk");
        m_lengthAt = m_body.size();
        putU32(m_body, 0); // the length, once it is known
    }
    void at(qint64 tick) {
        qint64 delta = tick - m_tick;
        constexpr qint64 kMaxDelta = 0x0FFFFFFF;
        while (delta > kMaxDelta) {
            putVarLen(m_body, quint32(kMaxDelta));
            m_body.append("\xFF\x01\x00", 3);
            delta -= kMaxDelta;
        }
        putVarLen(m_body, quint32(delta));
        m_tick = tick;
    }
    void channel(qint64 tick, int status, int data1) {
        at(tick);
        m_body.append(char(status));
        m_body.append(char(data1 & 0x7F));
    }
    void channel(qint64 tick, int status, int data1, int data2) {
        channel(tick, status, data1);
        m_body.append(char(data2 & 0x7F));
    }
    void meta(qint64 tick, int type, const QByteArray& data) {
        at(tick);
        m_body.append(char(0xFF));
        m_body.append(char(type));
        putVarLen(m_body, quint32(data.size()));
        m_body.append(data);
    }
    /// Ends the track at `endTick` (or its last event) and writes the chunk's length.
    void finish(qint64 endTick) {
        meta(std::max(endTick, m_tick), 0x2F, {});
        const quint32 length = quint32(m_body.size() - m_lengthAt - 4);
        for (int i = 0; i < 4; ++i)
            m_body[m_lengthAt + i] = char((length >> (24 - 8 * i)) & 0xFF);
    }

private:
    QByteArray& m_body;
    qsizetype m_lengthAt = 0;
    qint64 m_tick = 0;
};

bool sounds(int note) {
    return note >= 0 && note <= 127;
}

/// Sets the channel's pitch bend range by RPN 0 and closes the RPN again.
void writeBendRange(TrackWriter& track, int channel) {
    for (const auto& [controller, value] :
         {std::pair{101, 0}, {100, 0}, {6, kBendRange}, {38, 0}, {101, 127}, {100, 127}})
        track.channel(0, 0xB0 | channel, controller, value);
}

void writeTrack(TrackWriter& track, const QList<Line>& lines, bool first, const TrackSetup& setup) {
    const int channel = setup.drum ? 9 : (setup.channel & 0x0F);
    const int velocity = std::clamp(setup.velocity, 1, 127);
    if (!setup.drum)
        writeBendRange(track, channel);
    int bendNow = 0;
    qint64 tick = 0;
    for (const Line& line : lines) {
        const int note = first ? line.note1 : line.note2;
        const qint64 end = tick + std::max(line.durationMs, 0);
        if (sounds(note)) {
            const int key = setup.drum ? setup.drumKey : note;
            const int bend = std::clamp<int>(first ? line.bend1 : line.bend2, -8192, 8191);
            if (!setup.drum && bend != bendNow) {
                track.channel(tick, 0xE0 | channel, (bend + 8192) & 0x7F, (bend + 8192) >> 7);
                bendNow = bend;
            }
            track.channel(tick, 0x90 | channel, key, velocity);
            track.channel(end, 0x80 | channel, key, velocity);
        }
        tick = end;
    }
}

} // namespace

std::optional<Pitch> pitchOf(double hertz) {
    if (!(hertz > 0))
        return std::nullopt;
    const double pitch = 69.0 + 12.0 * std::log2(hertz / 440.0);
    const long note = std::lround(pitch);
    if (note < 0 || note > 127)
        return std::nullopt;
    const long bend = std::lround((pitch - double(note)) / kBendRange * 8192.0);
    return Pitch{int(note), int(std::clamp(bend, -8192L, 8191L))};
}

double frequencyOf(int note, double semitones) {
    return 440.0 * std::exp2((double(note) + semitones - 69.0) / 12.0);
}

QByteArray write(const QList<Line>& lines, const TrackSetup& track1, const TrackSetup& track2,
                 int quarterMs) {
    quarterMs = std::clamp(quarterMs, 1, 0x7FFF);
    const int tempoUs = quarterMs * 1000;
    QByteArray out("MThd");
    putU32(out, 6);
    putU16(out, 1);
    putU16(out, 3);
    putU16(out, quarterMs);

    TrackWriter tempo(out);
    tempo.meta(0, 0x03, QByteArray(kWriterName));
    QByteArray tempoBytes;
    tempoBytes.append(char((tempoUs >> 16) & 0xFF));
    tempoBytes.append(char((tempoUs >> 8) & 0xFF));
    tempoBytes.append(char(tempoUs & 0xFF));
    tempo.meta(0, 0x51, tempoBytes);
    // A line where neither track starts or stops a note would melt into the rest before it.
    qint64 tick = 0;
    bool previousSilent = false;
    for (int i = 0; i < lines.size(); ++i) {
        const bool silent = !sounds(lines[i].note1) && !sounds(lines[i].note2);
        if (silent && previousSilent && i > 0)
            tempo.meta(tick, 0x06, QByteArrayLiteral("Pause"));
        previousSilent = silent;
        tick += std::max(lines[i].durationMs, 0);
    }
    const qint64 endTick = tick;
    tempo.finish(endTick);

    const TrackSetup* setups[2] = {&track1, &track2};
    for (int t = 0; t < 2; ++t) {
        TrackWriter track(out);
        const QByteArray name = setups[t]->name;
        track.meta(0, 0x03, !name.isEmpty() ? name
                            : t == 0        ? QByteArrayLiteral("Spur 1")
                                            : QByteArrayLiteral("Spur 2"));
        // Programs as MIDI-Out sets them at Play: channel 1 and 2, whatever the mode.
        track.channel(0, 0xC0 | t, setups[t]->program);
        writeTrack(track, lines, t == 0, *setups[t]);
        track.finish(endTick);
    }
    return out;
}

namespace {

/// Reads the bytes of one chunk; every read past its end is the file's damage.
class Reader {
public:
    Reader(QByteArrayView data, qsizetype base) : m_data(data), m_base(base) {}

    bool atEnd() const { return m_at >= m_data.size(); }
    qsizetype offset() const { return m_base + m_at; }

    [[noreturn]] void damaged() const {
        throw AppError(QStringLiteral("Die MIDI-Datei ist beschädigt (Byte %1) und wurde nicht "
                                      "importiert.")
                           .arg(offset()));
    }
    int byte() {
        if (atEnd())
            damaged();
        return static_cast<unsigned char>(m_data[m_at++]);
    }
    int peek() {
        if (atEnd())
            damaged();
        return static_cast<unsigned char>(m_data[m_at]);
    }
    quint32 varLen() {
        quint32 value = 0;
        for (int i = 0; i < 4; ++i) {
            const int b = byte();
            value = (value << 7) | quint32(b & 0x7F);
            if (!(b & 0x80))
                return value;
        }
        damaged();
    }
    QByteArrayView take(quint32 length) {
        if (qsizetype(length) > m_data.size() - m_at)
            damaged();
        const QByteArrayView out = m_data.sliced(m_at, length);
        m_at += length;
        return out;
    }

private:
    QByteArrayView m_data;
    qsizetype m_base;
    qsizetype m_at = 0;
};

quint32 u32(QByteArrayView data, qsizetype at) {
    return quint32(quint8(data[at])) << 24 | quint32(quint8(data[at + 1])) << 16 |
           quint32(quint8(data[at + 2])) << 8 | quint32(quint8(data[at + 3]));
}

int u16(QByteArrayView data, qsizetype at) {
    return quint8(data[at]) << 8 | quint8(data[at + 1]);
}

struct Timed {
    qint64 tick;
    int track;
    int order;
    NoteEvent event;
};

/// What a channel's controllers say about its pitch: the bend and its range.
struct ChannelPitch {
    int bend = 0;          ///< -8192 … 8191
    int rangeCents = 200;  ///< RPN 0; the General MIDI default is two semitones
    int rpn = 0x3FFF;      ///< the selected registered parameter (none)
    double semitones() const { return double(bend) / 8192.0 * rangeCents / 100.0; }
};

void readTrack(Reader& in, int track, Sequence& out, QList<Timed>& notes) {
    qint64 tick = 0;
    int running = 0;
    std::array<ChannelPitch, 16> pitch{};
    while (!in.atEnd()) {
        const qsizetype deltaAt = in.offset();
        // Summed in 64 bits: many large deltas go past any 32-bit count.
        tick += in.varLen();
        if (tick > kMaxTick)
            throw AppError(QStringLiteral("Die MIDI-Datei enthält bei Byte %1 eine Zeit jenseits "
                                          "von %2 Ticks, die ein Lied nicht fassen kann, und "
                                          "wurde nicht importiert.")
                               .arg(deltaAt)
                               .arg(kMaxTick));
        int status = in.peek();
        if (status & 0x80) {
            in.byte();
        } else {
            // Running status: the data byte belongs to the last channel message.
            if (running == 0)
                in.damaged();
            status = running;
        }
        if (status == 0xFF) {
            running = 0;
            const int type = in.byte();
            const QByteArrayView data = in.take(in.varLen());
            if (type == 0x51) {
                if (data.size() != 3)
                    in.damaged();
                const int tempo = quint8(data[0]) << 16 | quint8(data[1]) << 8 | quint8(data[2]);
                if (tempo == 0)
                    in.damaged();
                out.tempos.append({tick, tempo});
            } else if (type == 0x06) {
                out.markers.append(tick);
            } else if (type == 0x03 && track == 0 && out.firstTrackName.isNull()) {
                out.firstTrackName = data.toByteArray();
            } else if (type == 0x2F) {
                break;
            }
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            running = 0;
            in.take(in.varLen());
            continue;
        }
        if (status > 0xF0)
            in.damaged();
        running = status;
        const int kind = status & 0xF0;
        const int data1 = in.byte();
        int data2 = 0;
        if (kind != 0xC0 && kind != 0xD0)
            data2 = in.byte();
        if ((data1 | data2) & 0x80)
            in.damaged();
        ChannelPitch& channel = pitch[std::size_t(status & 0x0F)];
        if (kind == 0x80 || kind == 0x90) {
            const NoteEvent event{tick, status & 0x0F, data1, kind == 0x90 && data2 > 0,
                                  channel.semitones()};
            notes.append({tick, track, int(notes.size()), event});
        } else if (kind == 0xE0) {
            channel.bend = (data2 << 7 | data1) - 8192;
        } else if (kind == 0xB0) {
            if (data1 == 101)
                channel.rpn = (channel.rpn & 0x7F) | data2 << 7;
            else if (data1 == 100)
                channel.rpn = (channel.rpn & 0x3F80) | data2;
            else if (data1 == 6 && channel.rpn == 0)
                channel.rangeCents = data2 * 100 + channel.rangeCents % 100;
            else if (data1 == 38 && channel.rpn == 0)
                channel.rangeCents = channel.rangeCents / 100 * 100 + std::min(data2, 99);
        }
    }
    out.endTick = std::max(out.endTick, tick);
}

} // namespace

Sequence read(QByteArrayView data) {
    if (data.size() < 14 || data.first(4) != "MThd")
        throw AppError(
            QStringLiteral("Die Datei ist keine MIDI-Datei und wurde nicht importiert."));
    const quint32 headerLength = u32(data, 4);
    if (headerLength < 6 || qsizetype(headerLength) > data.size() - 8)
        Reader(data, 0).damaged();
    Sequence out;
    out.format = u16(data, 8);
    out.trackCount = u16(data, 10);
    const int division = u16(data, 12);
    if (out.format > 1)
        throw AppError(QStringLiteral("MIDI-Dateien des Formats %1 werden nicht unterstützt; "
                                      "nur Format 0 und 1.")
                           .arg(out.format));
    if (division & 0x8000) {
        // Time code: frames per second (as a negative byte) times ticks per frame.
        const int fps = 256 - (division >> 8);
        out.timeCode = true;
        out.division = fps * (division & 0xFF);
    } else {
        out.division = division;
    }
    if (out.division <= 0)
        Reader(data, 12).damaged();

    QList<Timed> notes;
    qsizetype at = 8 + headerLength;
    int tracks = 0;
    while (at < data.size() && tracks < out.trackCount) {
        if (data.size() - at < 8)
            Reader(data, at).damaged();
        const quint32 length = u32(data, at + 4);
        if (qsizetype(length) > data.size() - at - 8)
            Reader(data, at + 4).damaged();
        if (data.sliced(at, 4) == "MTrk") {
            Reader in(data.sliced(at + 8, length), at + 8);
            readTrack(in, tracks++, out, notes);
        }
        at += 8 + qsizetype(length);
    }
    if (tracks < out.trackCount)
        Reader(data, data.size()).damaged();

    std::stable_sort(notes.begin(), notes.end(), [](const Timed& a, const Timed& b) {
        return a.tick != b.tick ? a.tick < b.tick
                                : (a.track != b.track ? a.track < b.track : a.order < b.order);
    });
    out.notes.reserve(notes.size());
    for (const Timed& t : notes)
        out.notes.append(t.event);
    std::stable_sort(out.tempos.begin(), out.tempos.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::sort(out.markers.begin(), out.markers.end());
    return out;
}

} // namespace MidiFile
