#pragma once

#include <QStringList>

class ListBox;
class TForm1;

/// The song as a test sees it: one row per line, "freq1 dur1 freq2 dur2".
QStringList songRows(const TForm1& window);
/// Replaces the song by the given rows ("freq1 dur1 freq2 dur2"), renumbered.
void setSong(TForm1& window, const QStringList& rows);
/// Presses the mouse on item `index` of a list, as a user would.
void clickItem(ListBox* list, int index);
void doubleClickItem(ListBox* list, int index);
/// Selected index of Line, Memo1 … Memo4, in that order.
QList<int> selections(const TForm1& window);
