#include "gui/ExtraTexts.h"

namespace ExtraTexts {

QList<QPair<QString, QString>> english() {
    return {
        {QStringLiteral("Exportieren1"), QStringLiteral("Export")},
        {QStringLiteral("ExportAudio1"), QStringLiteral("Audio (WAV, FLAC, OGG, MP3)...")},
        {QStringLiteral("ExportMidi1"), QStringLiteral("MIDI file (.mid)...")},
        {QStringLiteral("Rueckgaengig1"), QStringLiteral("Undo")},
        {QStringLiteral("Wiederholen1"), QStringLiteral("Redo")},
    };
}

} // namespace ExtraTexts
