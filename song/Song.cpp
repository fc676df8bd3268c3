#include "song/Song.h"

#include "base/ListItems.h"
#include "base/ListTextModel.h"
#include "base/ProgressSink.h"
#include "song/LineTimes.h"
#include "song/SongHistory.h"

#include <QItemSelectionModel>
#include <QScopedValueRollback>

#include <algorithm>

#include <utility>

namespace {

ListItems* list(QObject* song, const char* name, ListItems::Content content) {
    auto* items = new ListItems(content, song);
    items->setObjectName(QLatin1StringView(name));
    return items;
}

} // namespace

Song::Song(QObject* parent)
    : QObject(parent), Line(list(this, "Line", ListItems::Content::Numbers)),
      Memo1(list(this, "Memo1", ListItems::Content::Texts)),
      Memo2(list(this, "Memo2", ListItems::Content::Texts)),
      Memo3(list(this, "Memo3", ListItems::Content::Texts)),
      Memo4(list(this, "Memo4", ListItems::Content::Texts)), history(new SongHistory(*this)),
      m_times(new LineTimes(*Memo2->textModel(), this)) {
    // What any view or command does to track 1's selection is the song's selection.
    const auto changed = [this] {
        if (!m_selecting)
            emit selectionChanged();
    };
    connect(Memo1->selectionModel(), &QItemSelectionModel::selectionChanged, this, changed);
    connect(Memo1->selectionModel(), &QItemSelectionModel::currentChanged, this, changed);
    // Lines that come or go move the selection with them.
    connect(Memo1->model(), &QAbstractItemModel::modelReset, this, changed);
}

Song::~Song() = default;

int Song::lineCount() const {
    return Memo1->count();
}

void Song::clear() {
    for (ListItems* list : {Memo1, Memo2, Memo3, Memo4, Line})
        list->clearItems();
}

void Song::renumberLines(ProgressSink& progress) {
    const int n = Memo1->count();
    Line->setLineCount(n);
    // Progress after every line ends at 100 %, which clears bar and status again; only the
    // last report is visible once the loop is done, so report it once.
    if (n >= 2)
        progress.ShowProgress(n - 1, n - 1, QStringLiteral("Aktualisiere Pattern"));
}

void Song::selectLine(int index) {
    {
        const QScopedValueRollback<bool> quiet(m_selecting, true);
        for (ListItems* list : {Memo1, Memo2, Memo3, Memo4, Line})
            list->setItemIndex(index);
    }
    emit selectionChanged();
}

QList<LineRange> Song::selection() const {
    return Memo1->selectedRanges();
}

int Song::currentLine() const {
    return Memo1->itemIndex();
}

bool Song::isSelected(int line) const {
    return line >= 0 && line < Memo1->count() &&
           Memo1->selectionModel()->isSelected(Memo1->model()->index(line, 0));
}

void Song::setSelection(const QList<LineRange>& ranges, int current) {
    {
        const QScopedValueRollback<bool> quiet(m_selecting, true);
        for (ListItems* list : lists())
            list->select(ranges, current);
    }
    emit selectionChanged();
}

void Song::insertLines(int at, const QList<SongLine>& lines) {
    std::array<PackedTexts, 4> tracks;
    for (const SongLine& line : lines) {
        tracks[0].append(line.freq1);
        tracks[1].append(line.dur1);
        tracks[2].append(line.freq2);
        tracks[3].append(line.dur2);
    }
    insertLines(at, tracks);
}

void Song::insertLines(int at, const std::array<PackedTexts, 4>& tracks) {
    if (tracks[0].isEmpty())
        return;
    const std::array<ListItems*, 4> lists = trackLists();
    for (int k = 0; k < 4; ++k)
        lists[k]->insertItems(at, tracks[k]);
    // The line numbers count the lines of track 1, whatever the other lists hold.
    Line->insertEmptyItems(std::min(at, Line->count()), int(tracks[0].size()));
}

void Song::removeLines(const QList<LineRange>& ranges) {
    // From the last range back, so the earlier ranges keep their places.
    for (auto range = ranges.crbegin(); range != ranges.crend(); ++range) {
        for (ListItems* list : trackLists()) {
            const int last = std::min(range->last, list->count() - 1);
            if (range->first <= last)
                list->removeItems(range->first, last - range->first + 1);
        }
        const int last = std::min(range->last, Line->count() - 1);
        if (range->first <= last)
            Line->removeItems(range->first, last - range->first + 1);
    }
}

std::array<PackedTexts, 4> Song::tracks(const QList<LineRange>& ranges) const {
    std::array<PackedTexts, 4> out;
    const std::array<ListItems*, 4> lists = trackLists();
    for (int k = 0; k < 4; ++k) {
        for (const LineRange& range : ranges)
            out[k].append(lists[k]->texts(range.first, range.count()));
    }
    return out;
}

QList<SongLine> Song::lines(const QList<LineRange>& ranges) const {
    const std::array<PackedTexts, 4> texts = tracks(ranges);
    QList<SongLine> out;
    out.reserve(texts[0].size());
    for (qsizetype i = 0; i < texts[0].size(); ++i)
        out.append({texts[0][i], texts[1][i], texts[2][i], texts[3][i]});
    return out;
}

void Song::setLine(int index, const SongLine& line) {
    Memo1->setItem(index, line.freq1);
    Memo2->setItem(index, line.dur1);
    Memo3->setItem(index, line.freq2);
    Memo4->setItem(index, line.dur2);
}

qint64 Song::lineStart(int line) const {
    return m_times->start(line);
}

int Song::lineAt(qint64 ms) const {
    return m_times->lineAt(ms);
}

qint64 Song::totalDuration() const {
    return m_times->total();
}
