#pragma once

/// Lines `first` … `last` of a list, both included.
struct LineRange {
    int first = 0;
    int last = 0;

    int count() const { return last - first + 1; }
    friend bool operator==(const LineRange&, const LineRange&) = default;
};
