#pragma once

// Shared by the benchmarks that drive the window: a long song put into the main window.

#include "gui/ListBox.h"
#include "gui/MainWindow.h"
#include "song/SongHistory.h"

#include <QStringList>

/// Fills the window's song with @p lines varied lines (rests on track 2 every fifth line) and
/// starts its history afresh, as for a song just opened.
inline void fillLongSong(TForm1& w, int lines) {
    QStringList f1, d1, f2;
    for (int i = 0; i < lines; ++i) {
        f1 << QString::number(200 + i % 800);
        d1 << QString::number(50 + i % 200);
        f2 << QString::number(i % 5 ? 0 : 100 + i % 300);
    }
    w.Memo1->addAll(f1);
    w.Memo2->addAll(d1);
    w.Memo3->addAll(f2);
    w.Memo4->addAll(d1);
    f1.clear(), d1.clear(), f2.clear();
    w.RenumberLines();
}
