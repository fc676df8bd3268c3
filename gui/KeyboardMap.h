#pragma once

#include <QChar>
#include <QColor>

/// The keyboard window's fixed key map: twelve lower-case letters lying like piano keys on a
/// German keyboard row (white keys a s d f g h j, black keys w e t z u above them), each with
/// its frequency in octaves 1 … 7. The table is the keyboard's own and differs from the note
/// table in three cells.
namespace KeyboardMap {

constexpr int kLowestOctave = 1;
constexpr int kHighestOctave = 7;

/// The frequency in hertz of `letter` in `octave`, or 0 when the letter is no key or the
/// octave is outside 1 … 7. Capital letters are no keys.
int frequency(QChar letter, int octave);

/// The colours of a skin, as chosen in the settings ("Z1rpW3rk Smooth", "Z1rpW3rk Hard",
/// "Klavier normal").
struct Skin {
    QColor whiteKeys;
    QColor blackKeys;
};
constexpr int kSkins = 3;
/// The skin of index 0 … 2; any other index gives "Klavier normal".
Skin skin(int index);

} // namespace KeyboardMap
