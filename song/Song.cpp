#include "song/Song.h"

#include "base/ListItems.h"
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
      Memo4(list(this, "Memo4", ListItems::Content::Texts)), history(new SongHistory(*this)) {}

Song::~Song() = default;

int Song::lineCount() const {
    return Memo1->count();
}

void Song::clear() {
    for (ListItems* list : {Memo1, Memo2, Memo3, Memo4, Line})
        list->clearItems();
}

int Song::renumberLines() {
    const int n = Memo1->count();
    Line->setLineCount(n);
    return n;
}

void Song::selectLine(int index) {
    for (ListItems* list : {Memo1, Memo2, Memo3, Memo4, Line})
        list->setItemIndex(index);
}
