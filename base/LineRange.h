#pragma once

#include <QList>

#include <algorithm>

/// Lines `first` … `last` of a list, both included.
struct LineRange {
    int first = 0;
    int last = 0;

    int count() const { return last - first + 1; }
    friend bool operator==(const LineRange&, const LineRange&) = default;
};

/// @p ranges sorted by their first line, with overlapping and touching ranges joined.
inline QList<LineRange> mergedRanges(QList<LineRange> ranges) {
    std::sort(ranges.begin(), ranges.end(),
              [](const LineRange& a, const LineRange& b) { return a.first < b.first; });
    QList<LineRange> out;
    for (const LineRange& range : std::as_const(ranges)) {
        if (!out.isEmpty() && range.first <= out.last().last + 1)
            out.last().last = std::max(out.last().last, range.last);
        else
            out.append(range);
    }
    return out;
}

/// @p ranges without @p line where they hold it, else with it added (a Ctrl+click), merged.
inline QList<LineRange> toggledLine(const QList<LineRange>& ranges, int line) {
    QList<LineRange> out;
    bool held = false;
    for (const LineRange& range : ranges) {
        if (line < range.first || line > range.last) {
            out.append(range);
            continue;
        }
        held = true;
        if (range.first < line)
            out.append({range.first, line - 1});
        if (line < range.last)
            out.append({line + 1, range.last});
    }
    if (!held)
        out.append({line, line});
    return mergedRanges(out);
}
