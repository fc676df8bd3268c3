#include "song/Song.h"

#include "base/ListItems.h"
#include "base/ListTextModel.h"
#include "base/ProgressSink.h"
#include "song/LineTimes.h"
#include "song/SongHistory.h"

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
      m_times(new LineTimes(*Memo2->textModel(), this)) {}

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
    for (ListItems* list : {Memo1, Memo2, Memo3, Memo4, Line})
        list->setItemIndex(index);
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
