#include "song/ExtraTexts.h"

namespace ExtraTexts {

QList<QPair<QString, QString>> english() {
    return {
        {QStringLiteral("Exportieren1"), QStringLiteral("Export")},
        {QStringLiteral("ExportAudio1"), QStringLiteral("Audio (WAV, FLAC, OGG, MP3)...")},
        {QStringLiteral("ExportMidi1"), QStringLiteral("MIDI file (.mid)...")},
        {QStringLiteral("Rueckgaengig1"), QStringLiteral("Undo")},
        {QStringLiteral("Wiederholen1"), QStringLiteral("Redo")},
        {QStringLiteral("ImportRtttl1"), QStringLiteral("RTTTL ringtone (.rtttl / .txt)")},
        {QStringLiteral("ExportRtttl1"), QStringLiteral("RTTTL ringtone (.rtttl)...")},
        {QStringLiteral("ExportSketch1"), QStringLiteral("Buzzer sketch (.ino)...")},
        {QStringLiteral("ExportBeep1"), QStringLiteral("beep script (.sh)...")},
        {QStringLiteral("ZuletztGeoeffnet1"), QStringLiteral("Recent files")},
        {QStringLiteral("ListeLeeren1"), QStringLiteral("Clear list")},
    };
}

} // namespace ExtraTexts
