#include "files/BuzzerExport.h"

#include <algorithm>

namespace {

/// Tones per `beep` call: about 30 bytes each keeps a call far below any system's limit on a
/// command line.
constexpr int kTonesPerCall = 1000;

/// The song's name as it may stand in a comment line: printable Latin-1, no line end.
QByteArray commentName(const QString& name) {
    QByteArray text;
    for (QChar c : name)
        text += c.unicode() >= 32 && c.unicode() < 127 ? char(c.unicode()) : '?';
    return text.isEmpty() ? QByteArray("Z1rpW3rk") : text;
}

qint64 totalMs(const QList<PlayedTone>& tones) {
    qint64 total = 0;
    for (const PlayedTone& tone : tones)
        total += std::max(tone.durationMs, 0);
    return total;
}

/// Adds numbers separated by ", ", a line break after every 12.
void appendList(QByteArray& text, const QList<qint64>& values) {
    for (qsizetype i = 0; i < values.size(); ++i) {
        text += (i % 12 == 0 ? "\n    " : " ") + QByteArray::number(values[i]);
        if (i + 1 < values.size())
            text += ',';
    }
    text += '\n';
}

} // namespace

namespace BuzzerExport {

QByteArray sketch(const QList<PlayedTone>& tones, const QString& name) {
    QList<qint64> frequencies, durations;
    for (const PlayedTone& tone : tones) {
        if (tone.durationMs <= 0)
            continue;
        frequencies.append(std::clamp(tone.frequency, 0, 65535));
        durations.append(tone.durationMs);
    }
    const qsizetype count = frequencies.size();
    if (count == 0) { // an array needs one element; the count says none is played
        frequencies.append(0);
        durations.append(0);
    }

    QByteArray text;
    text += "// " + commentName(name) + ": a buzzer sketch written by Z1rpW3rk, " +
            QByteArray::number(count) + " tones, " + QByteArray::number(totalMs(tones)) +
            " ms.\n"
            "// Wire a piezo buzzer between the pin below and GND, then upload the sketch.\n"
            "const int kBuzzerPin = " +
            QByteArray::number(kDefaultPin) +
            ";\n"
            "\n"
            "#include <stdint.h>\n"
            "#ifdef __AVR__\n"
            "#include <avr/pgmspace.h>\n"
            "#endif\n"
            "#ifndef PROGMEM\n"
            "#define PROGMEM\n"
            "#endif\n"
            "#ifndef pgm_read_word\n"
            "#define pgm_read_word(address) (*(const uint16_t*)(address))\n"
            "#endif\n"
            "#ifndef pgm_read_dword\n"
            "#define pgm_read_dword(address) (*(const uint32_t*)(address))\n"
            "#endif\n"
            "\n"
            "// The song in program memory: frequency in Hz (0 = rest) and duration in ms.\n"
            "const uint32_t kToneCount = " +
            QByteArray::number(count) +
            ";\n"
            "const uint16_t kFrequencies[] PROGMEM = {";
    appendList(text, frequencies);
    text += "};\nconst uint32_t kDurations[] PROGMEM = {";
    appendList(text, durations);
    text += "};\n"
            "\n"
            "void playSong() {\n"
            "    for (uint32_t i = 0; i < kToneCount; ++i) {\n"
            "        const uint16_t frequency = pgm_read_word(&kFrequencies[i]);\n"
            "        const uint32_t duration = pgm_read_dword(&kDurations[i]);\n"
            "        if (frequency > 0)\n"
            "            tone(kBuzzerPin, frequency, duration);\n"
            "        else\n"
            "            noTone(kBuzzerPin);\n"
            "        delay(duration);\n"
            "    }\n"
            "    noTone(kBuzzerPin);\n"
            "}\n"
            "\n"
            "void setup() {\n"
            "    playSong();\n"
            "}\n"
            "\n"
            "void loop() {\n"
            "}\n";
    return text;
}

QByteArray beepScript(const QList<PlayedTone>& tones, const QString& name) {
    QByteArray text = "#!/bin/sh\n# " + commentName(name) +
                      ": written by Z1rpW3rk for the Linux beep command, " +
                      QByteArray::number(totalMs(tones)) + " ms.\n";
    // Tones with the rests that follow them, as (frequency, length, delay after).
    struct Call {
        int frequency;
        qint64 length;
        qint64 delayAfter;
    };
    QList<Call> calls;
    qint64 leadingRest = 0;
    for (const PlayedTone& tone : tones) {
        if (tone.durationMs <= 0)
            continue;
        if (tone.frequency > 0)
            calls.append({tone.frequency, tone.durationMs, 0});
        else if (calls.isEmpty())
            leadingRest += tone.durationMs;
        else
            calls.last().delayAfter += tone.durationMs;
    }
    if (leadingRest > 0)
        text += "sleep " + QByteArray::number(leadingRest / 1000) + '.' +
                QByteArray::number(leadingRest % 1000).rightJustified(3, '0') + '\n';
    for (qsizetype i = 0; i < calls.size(); ++i) {
        const Call& call = calls[i];
        const bool firstOfCall = i % kTonesPerCall == 0;
        text += firstOfCall ? "beep" : " \\\n  -n";
        text += " -f " + QByteArray::number(call.frequency) + " -l " +
                QByteArray::number(call.length);
        if (call.delayAfter > 0)
            text += " -D " + QByteArray::number(call.delayAfter);
        if ((i + 1) % kTonesPerCall == 0 || i + 1 == calls.size())
            text += '\n';
    }
    return text;
}

} // namespace BuzzerExport
