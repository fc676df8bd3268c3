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

/// The program memory of the sketch on an Uno: the core, tone() and the playing loop (as the
/// Arduino 1.8 core built for the Uno measures them, within 60 bytes), then two bytes per
/// frequency and two or four per duration.
qint64 unoProgramBytes(qsizetype tones, bool shortDurations) {
    const qint64 code = shortDurations ? 2560 : 2610;
    return code + qint64(std::max<qsizetype>(tones, 1)) * (shortDurations ? 4 : 6);
}

} // namespace

namespace BuzzerExport {

Sketch sketch(const QList<PlayedTone>& tones, const QString& name) {
    Sketch result;
    QList<qint64> frequencies, durations;
    qint64 longest = 0;
    for (qsizetype i = 0; i < tones.size(); ++i) {
        const PlayedTone& tone = tones[i];
        if (tone.durationMs <= 0)
            continue;
        if (tone.frequency > 0 && tone.frequency < kLowestToneHz)
            result.tooLow.append(i);
        frequencies.append(std::clamp(tone.frequency, 0, 65535));
        durations.append(tone.durationMs);
        longest = std::max<qint64>(longest, tone.durationMs);
    }
    const bool shortDurations = longest <= 0xFFFF;
    const QByteArray durationType = shortDurations ? "uint16_t" : "uint32_t";
    const qsizetype count = frequencies.size();
    if (count == 0) { // an array needs one element; the count says none is played
        frequencies.append(0);
        durations.append(0);
    }

    QByteArray text;
    text += "// " + commentName(name) + ": a buzzer sketch written by Z1rpW3rk, " +
            QByteArray::number(count) + " tones, " + QByteArray::number(totalMs(tones)) +
            " ms.\n"
            "// On an Arduino Uno it takes about " +
            QByteArray::number(result.programBytes = unoProgramBytes(count, shortDurations)) +
            " of the " + QByteArray::number(kUnoProgramBytes) +
            " bytes of program memory.\n"
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
    text += "};\nconst " + durationType + " kDurations[] PROGMEM = {";
    appendList(text, durations);
    text += "};\n"
            "\n"
            "void playSong() {\n"
            "    for (uint32_t i = 0; i < kToneCount; ++i) {\n"
            "        const uint16_t frequency = pgm_read_word(&kFrequencies[i]);\n"
            "        const uint32_t duration = " +
            QByteArray(shortDurations ? "pgm_read_word" : "pgm_read_dword") +
            "(&kDurations[i]);\n"
            "        // tone() cannot play below " +
            QByteArray::number(kLowestToneHz) +
            " Hz: such a tone rests.\n"
            "        if (frequency >= " +
            QByteArray::number(kLowestToneHz) + ")\n"
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
    result.text = text;
    return result;
}

Script beepScript(const QList<PlayedTone>& tones, const QString& name) {
    Script result;
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
    for (qsizetype i = 0; i < tones.size(); ++i) {
        const PlayedTone& tone = tones[i];
        if (tone.durationMs <= 0)
            continue;
        if (tone.frequency >= kBeepLimitHz) {
            // beep refuses the whole call for one such tone.
            text += "# line " + QByteArray::number(i) + ": " + QByteArray::number(tone.frequency) +
                    " Hz is beyond beep's " + QByteArray::number(kBeepLimitHz - 1) +
                    " Hz and rests\n";
            result.tooHigh.append(i);
        }
        if (tone.frequency > 0 && tone.frequency < kBeepLimitHz)
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
    result.text = text;
    return result;
}

} // namespace BuzzerExport
