#include "gui/LineEditor.h"

#include "song/NoteTable.h"
#include "song/SongEntry.h"

#include "gui/Controls.h"
#include "base/Errors.h"
#include "base/Guard.h"
#include "gui/ListBox.h"
#include "base/Prompts.h"
#include "gui/WindowEffects.h"
#include "gui/MainWindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLabel* caption(QWidget* parent, const QString& name, const QString& text, int left, int top,
                bool bold = false) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLineEdit* field(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    return edit;
}

} // namespace

TForm2::TForm2(TForm1& mainWindow, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_main(mainWindow) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Z1rpW3rk 3 Editor"));
    setFixedSize(280, 105);
    setModal(true);
    // Centred on the screen, not over the main window: placed once, it keeps its place.
    centerOnScreen(this);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 280, 105);
    Image1->setStyleSheet(QStringLiteral("background: #202838;"));

    // Each caption has the room of its column: "Frequenz" is wider than its edit.
    caption(this, QStringLiteral("Label1"), QStringLiteral("Zeile"), 6, 20);
    edZeile = field(this, QStringLiteral("edZeile"), QRect(6, 36, 34, 21));
    caption(this, QStringLiteral("Label4"), QStringLiteral("Spur 1"), 48, 4, true);
    caption(this, QStringLiteral("Label2"), QStringLiteral("Frequenz"), 48, 20);
    edFreq1 = field(this, QStringLiteral("edFreq1"), QRect(48, 36, 50, 21));
    caption(this, QStringLiteral("Label3"), QStringLiteral("Dauer"), 112, 20);
    edDauer1 = field(this, QStringLiteral("edDauer1"), QRect(112, 36, 42, 21));
    caption(this, QStringLiteral("Label7"), QStringLiteral("Spur 2"), 164, 4, true);
    caption(this, QStringLiteral("Label5"), QStringLiteral("Frequenz"), 164, 20);
    edFreq2 = field(this, QStringLiteral("edFreq2"), QRect(164, 36, 50, 21));
    caption(this, QStringLiteral("Label6"), QStringLiteral("Dauer"), 228, 20);
    edDauer2 = field(this, QStringLiteral("edDauer2"), QRect(228, 36, 42, 21));

    btOk = new QPushButton(QStringLiteral("OK"), this);
    btOk->setObjectName(QStringLiteral("btOk"));
    btOk->setGeometry(112, 72, 75, 25);
    Button2 = new QPushButton(QStringLiteral("Abbrechen"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(195, 72, 75, 25);

    setTabOrder(edZeile, edFreq1);
    setTabOrder(edFreq1, edDauer1);
    setTabOrder(edDauer1, edFreq2);
    setTabOrder(edFreq2, edDauer2);
    setTabOrder(edDauer2, btOk);
    setTabOrder(btOk, Button2);

    connectGuarded(edDauer1, &QLineEdit::textChanged, this, [this] { edDauer1Change(); });
    connectGuarded(edDauer2, &QLineEdit::textChanged, this, [this] { edDauer2Change(); });
    connectGuarded(btOk, &QPushButton::clicked, this, [this] { btOkClick(); });
    connectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    FormCreate();
}

void TForm2::FormCreate() {
    // The editor shows the main window's background picture from its top left corner.
    if (m_main.effects && !m_main.effects->BildHALT->pixmap().isNull()) {
        Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        Image1->setPixmap(m_main.effects->BildHALT->pixmap());
    }
}

void TForm2::edDauer1Change() {
    if (edDauer2->text() != edDauer1->text())
        edDauer2->setText(edDauer1->text());
}

void TForm2::edDauer2Change() {
    if (edDauer1->text() != edDauer2->text())
        edDauer1->setText(edDauer2->text());
}

void TForm2::btOkClick() {
    if (edDauer1->text() != edDauer2->text()) {
        prompts().showMessage(QStringLiteral("Die Dauer beider Spuren muss gleich sein"));
        return;
    }
    // A running playback may have moved the selection past the last line while the editor
    // was open: then nothing is written and the editor stays open, so no edit is lost and no
    // other line is overwritten.
    for (ListBox* list : {m_main.Memo1, m_main.Memo2, m_main.Memo3, m_main.Memo4})
        if (list->itemIndex() < 0)
            throw EListError(-1);
    // Only values the outputs can play are written; note names become their frequencies.
    const NoteTable& table = NoteTable::stored();
    const QString freq1 =
        SongEntry::checkedFrequency(table, QStringLiteral("Frequenz Spur 1"), edFreq1->text());
    const QString length = SongEntry::checkedDuration(QStringLiteral("Dauer"), edDauer1->text());
    const QString freq2 =
        SongEntry::checkedFrequency(table, QStringLiteral("Frequenz Spur 2"), edFreq2->text());
    m_main.Memo1->setItem(m_main.Memo1->itemIndex(), freq1);
    m_main.Memo2->setItem(m_main.Memo2->itemIndex(), length);
    m_main.Memo3->setItem(m_main.Memo3->itemIndex(), freq2);
    m_main.Memo4->setItem(m_main.Memo4->itemIndex(), length);
    clearEdits();
    accept();
}

void TForm2::Button2Click() {
    clearEdits();
    reject();
}

void TForm2::clearEdits() {
    for (QLineEdit* edit : {edZeile, edFreq1, edDauer1, edFreq2, edDauer2})
        edit->clear();
}
