// The MIDI file reader on any bytes: either its own German error, or a sequence whose events
// are in order and inside the file's length.

#include "FuzzCheck.h"
#include "base/Errors.h"
#include "files/MidiFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MidiFile::Sequence sequence;
    try {
        sequence =
            MidiFile::read(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const AppError& error) {
        fuzzCheck(!error.message().isEmpty(), "an error says what is wrong");
        return 0;
    }
    fuzzCheck(sequence.format == 0 || sequence.format == 1, "only formats 0 and 1 are read");
    fuzzCheck(sequence.division > 0, "a read file has a time unit");
    fuzzCheck(sequence.endTick >= 0 && sequence.endTick <= MidiFile::kMaxTick,
              "times stay within what a song holds");
    qint64 last = 0;
    for (const MidiFile::NoteEvent& event : sequence.notes) {
        fuzzCheck(event.tick >= last, "notes are ordered by tick");
        fuzzCheck(event.tick <= sequence.endTick, "notes lie within the file");
        fuzzCheck(event.channel >= 0 && event.channel < 16, "channels are 0 to 15");
        fuzzCheck(event.note >= 0 && event.note < 128, "notes are 0 to 127");
        last = event.tick;
    }
    last = 0;
    for (const auto& [tick, tempo] : sequence.tempos) {
        fuzzCheck(tick >= last, "tempo changes are ordered by tick");
        fuzzCheck(tempo >= 0, "a tempo is not negative");
        last = tick;
    }
    return 0;
}
