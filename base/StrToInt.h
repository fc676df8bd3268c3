#pragma once

#include <QString>

#include <optional>

/// Reads a 32-bit signed integer: leading blanks, an optional sign, then decimal digits,
/// or hexadecimal digits after "$", "x", "X", "0x" or "0X". Nothing may follow.
/// Hexadecimal values take up to 32 bits and are read as two's complement ("$FFFFFFFF" is -1).
std::optional<int> TryStrToInt(const QString& text);

/// As TryStrToInt, but throws EConvertError ("'%s' ist kein gültiger Integerwert").
int StrToInt(const QString& text);

/// The plain decimal text of a value, as results are written back into the song.
inline QString IntToStr(long long value) { return QString::number(value); }
