#pragma once

/// The arithmetic of the two tone generators, apart from the window that runs them.

/// A frequency sweep in equal steps: `count` tones from `start`, each `step` hertz apart.
struct ShredderSweep {
    long long start = 0;
    long long step = 0;
    long long count = 0; ///< 0 when the step points away from the end frequency
    /// The frequency of tone `index` (0 … count − 1).
    long long frequency(long long index) const { return start + index * step; }
};

/// The sweep from `von` toward `bis`: downward the step is made negative whatever its sign,
/// upward it keeps its sign. The number of steps is (bis − von) div step, truncated toward
/// zero; the sweep holds one tone more. A step of 0 raises "Division durch Null".
ShredderSweep makeShredderSweep(int von, int bis, int step);

/// The wave's frequency for tone `index` (1 … count): sin(index / stretch) × strength + start,
/// in extended precision, truncated toward zero. A stretch of 0 raises
/// "Gleitkommadivision durch Null".
long long waveFrequency(int index, int stretch, int strength, int start);
