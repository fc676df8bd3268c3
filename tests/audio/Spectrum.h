#pragma once

// Pitch of captured sound: the frequency with the strongest partial, by Goertzel filters on a
// grid (square and sampled instruments fool zero-crossing counts).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

/// Power of @p frequency in @p windowed (samples already multiplied by a window).
inline double goertzelPower(const std::vector<double>& windowed, double frequency,
                            double rate = 44100.0) {
    const double c = 2.0 * std::cos(2.0 * M_PI * frequency / rate);
    double q1 = 0, q2 = 0;
    for (const double x : windowed) {
        const double q0 = c * q1 - q2 + x;
        q2 = q1;
        q1 = q0;
    }
    return q1 * q1 + q2 * q2 - c * q1 * q2;
}

/// The frequency between @p low and @p high (in steps of @p step Hz) with the most power in
/// @p count samples from @p from.
inline double strongestPartial(const std::vector<std::int16_t>& s, std::size_t from,
                               std::size_t count, double low = 50, double high = 4000,
                               double step = 2) {
    // A Hann window keeps neighbouring partials from leaking into each other.
    std::vector<double> windowed;
    for (std::size_t i = from; i < from + count && i < s.size(); ++i)
        windowed.push_back(s[i] *
                           (0.5 - 0.5 * std::cos(2.0 * M_PI * double(i - from) / double(count))));
    double best = low, bestPower = -1;
    for (double f = low; f <= high; f += step) {
        const double p = goertzelPower(windowed, f);
        if (p > bestPower) {
            bestPower = p;
            best = f;
        }
    }
    return best;
}

/// Index of the first sample whose magnitude exceeds @p threshold at or after @p from, or the
/// size when there is none.
inline std::size_t firstLoud(const std::vector<std::int16_t>& s, std::size_t from = 0,
                             int threshold = 300) {
    for (std::size_t i = from; i < s.size(); ++i)
        if (std::abs(int(s[i])) > threshold)
            return i;
    return s.size();
}

/// Index one past the last sample louder than @p threshold, or 0.
inline std::size_t lastLoud(const std::vector<std::int16_t>& s, int threshold = 300) {
    for (std::size_t i = s.size(); i > 0; --i)
        if (std::abs(int(s[i - 1])) > threshold)
            return i;
    return 0;
}
