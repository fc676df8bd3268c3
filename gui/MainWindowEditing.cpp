// Tone entry and line editing of the main window: add, change, delete and swap lines.
#include "gui/MainWindow.h"

#include "base/Errors.h"
#include "gui/ListBox.h"
#include "base/Prompts.h"
#include "gui/Forms.h"
#include "gui/LineEditor.h"
#include "gui/EditCommands.h"
#include "song/Song.h"

#include <QLineEdit>

void TForm1::btaddClick() {
    // Only a tone the outputs can play goes in; a note name goes in as its frequency.
    const SongLine tone = editCommands->enteredTone();
    Memo1->add(tone.freq1);
    Memo2->add(tone.dur1);
    Memo3->add(tone.freq2);
    Memo4->add(tone.dur2);
    RenumberLines();
    for (ListBox* list : {Memo2, Memo1, Memo4, Memo3, Line})
        list->setTopIndex(list->count() - 1);
}

void TForm1::btAendernClick() {
    if (Memo1->itemIndex() < 0)
        return;
    openLineEditor();
}

void TForm1::Memo1DblClick() { openLineEditor(); }
void TForm1::Memo2DblClick() { openLineEditor(); }
void TForm1::Memo3DblClick() { openLineEditor(); }
void TForm1::Memo4DblClick() { openLineEditor(); }

void TForm1::openLineEditor() {
    TForm2& editor = *forms().Form2();
    editor.edZeile->setText(QString::number(Line->itemIndex() + 1));
    editor.edFreq1->setText(Memo1->item(Memo1->itemIndex()));
    editor.edDauer1->setText(Memo2->item(Memo2->itemIndex()));
    editor.edFreq2->setText(Memo3->item(Memo3->itemIndex()));
    editor.edDauer2->setText(Memo4->item(Memo4->itemIndex()));
    prompts().execModal(editor);
}

void TForm1::btloeschenClick() {
    // A list rebuilt by "Dual-Spur" has lost its selection while the others still show the
    // line: that line is the one to delete, in all four lists, or the tracks would slide
    // against each other. Without any selection each list loses its last line.
    int line = -1;
    for (const ListBox* list : {Memo1, Memo2, Memo3, Memo4}) {
        if (list->itemIndex() >= 0) {
            line = list->itemIndex();
            break;
        }
    }
    for (ListBox* list : {Memo1, Memo2, Memo3, Memo4}) {
        const int index = line >= 0 ? line : list->count() - 1;
        if (index >= 0 && index < list->count())
            list->remove(index);
        // As after deleting a selected line: no selection, so the next press takes the last.
        list->setItemIndex(-1);
    }
    RenumberLines();
}

void TForm1::btTauschenClick() {
    const int index = Memo1->itemIndex();
    const QString first = Memo1->item(index);
    const QString second = Memo3->item(index);
    Memo1->setItem(index, second);
    Memo3->setItem(index, first);
}
