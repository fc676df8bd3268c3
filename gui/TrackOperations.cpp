#include "gui/TrackOperations.h"

#include "base/Guard.h"
#include "gui/ListBox.h"
#include "base/StrToInt.h"
#include "gui/MainWindow.h"

#include <QAction>

namespace {

// Track 2's texts move over as they are; track 1's values arrive as plain decimal text. The
// first value that is no whole number stops the exchange where it stands.
void exchange(ListBox* first, ListBox* second) {
    for (int i = 0; i < first->count(); ++i) {
        const int value = StrToInt(first->item(i));
        first->setItem(i, second->item(i));
        second->setItem(i, IntToStr(value));
    }
}

void copyInto(ListBox* source, ListBox* target) {
    const PackedTexts texts = source->texts();
    target->clearItems();
    target->addAll(texts);
}

void silence(ListBox* frequencies) {
    for (int i = 0; i < frequencies->count(); ++i)
        frequencies->setItem(i, QStringLiteral("0"));
}

} // namespace

TrackOperations::TrackOperations(TForm1& mainWindow) : m_main(mainWindow) {
    connectGuarded(m_main.Spurentauschen1, &QAction::triggered, &m_main,
                   [this] { Spurentauschen1Click(); });
    connectGuarded(m_main.Spur11, &QAction::triggered, &m_main, [this] { Spur11Click(); });
    connectGuarded(m_main.Spur21, &QAction::triggered, &m_main, [this] { Spur21Click(); });
    connectGuarded(m_main.Spur12, &QAction::triggered, &m_main, [this] { Spur12Click(); });
    connectGuarded(m_main.Spur22, &QAction::triggered, &m_main, [this] { Spur22Click(); });
}

void TrackOperations::Spurentauschen1Click() {
    exchange(m_main.Memo1, m_main.Memo3);
    exchange(m_main.Memo2, m_main.Memo4);
}

void TrackOperations::Spur11Click() {
    copyInto(m_main.Memo1, m_main.Memo3);
}

void TrackOperations::Spur21Click() {
    copyInto(m_main.Memo3, m_main.Memo1);
}

void TrackOperations::Spur12Click() {
    silence(m_main.Memo1);
}

void TrackOperations::Spur22Click() {
    silence(m_main.Memo3);
}
