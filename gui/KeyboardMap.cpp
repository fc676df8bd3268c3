#include "gui/KeyboardMap.h"

#include <array>

namespace KeyboardMap {

namespace {

struct Key {
    char letter;
    std::array<int, 7> hertz; // octaves 1 … 7
};

constexpr std::array<Key, 12> kKeys{{
    {'a', {33, 65, 131, 262, 523, 1047, 2093}},  // C
    {'w', {35, 69, 139, 277, 554, 1109, 2218}},  // C#
    {'s', {37, 73, 147, 294, 587, 1175, 2349}},  // D
    {'e', {39, 78, 156, 311, 622, 1245, 2489}},  // D#
    {'d', {41, 82, 165, 330, 659, 1319, 2637}},  // E
    {'f', {44, 87, 175, 349, 699, 1397, 2794}},  // F
    {'t', {46, 93, 185, 370, 740, 1480, 2960}},  // F#
    {'g', {49, 98, 196, 392, 784, 1568, 3136}},  // G
    {'z', {52, 104, 208, 415, 831, 1661, 3322}}, // G#
    {'h', {55, 110, 220, 440, 880, 1760, 3520}}, // A
    {'u', {58, 117, 233, 466, 932, 1865, 3729}}, // A#
    {'j', {62, 124, 247, 494, 988, 1976, 3951}}, // H
}};

} // namespace

int frequency(QChar letter, int octave) {
    if (octave < kLowestOctave || octave > kHighestOctave)
        return 0;
    for (const Key& key : kKeys)
        if (letter == QLatin1Char(key.letter))
            return key.hertz[octave - kLowestOctave];
    return 0;
}

Skin skin(int index) {
    switch (index) {
    case 0:
        return {QColor(0xA6, 0xCA, 0xF0), QColor(0xC0, 0xDC, 0xC0)};
    case 1:
        return {QColor(0x00, 0x00, 0xFF), QColor(0x00, 0x80, 0x00)};
    default:
        return {QColor(0xFF, 0xFF, 0xFF), QColor(0x00, 0x00, 0x00)};
    }
}

} // namespace KeyboardMap
