#include "song/Rescale.h"

#include "base/IntMath.h"

namespace {

// Every intermediate value is held in long double (the 80-bit extended format), so that the
// factor and the product are each rounded to a 64-bit significand before the truncation.
long long scaled(int value, long double factor) {
    const long double product = static_cast<long double>(value) * factor;
    return static_cast<long long>(product);
}

} // namespace

long long ScaleDuration(int value, int percent) {
    return scaled(value, RealDiv(100.0L, static_cast<long double>(percent)));
}

long long ScaleFrequency(int value, int percent) {
    return scaled(value, RealDiv(static_cast<long double>(percent), 100.0L));
}

OctaveMove MoveByOctaves(const NoteTable& table, const QString& frequency, int octaves) {
    int found = -1;
    for (int row = 1; row < table.rowCount(); ++row)
        if (table.cell(NoteTable::kFrequencyColumn, row) == frequency)
            found = row;
    if (found < 0)
        return {};
    const int target = found + 12 * octaves;
    if (target < 1 || target >= table.rowCount())
        return {OctaveMove::Kind::OutsideTable, QString()};
    return {OctaveMove::Kind::Moved, table.cell(NoteTable::kFrequencyColumn, target)};
}
