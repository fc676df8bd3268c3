#include "gui/HotKeyPad.h"

#include "gui/Controls.h"
#include "base/Guard.h"
#include "gui/ListBox.h"
#include "base/Prompts.h"
#include "gui/MainWindow.h"
#include "tools/HotKeyPadFile.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

namespace {

constexpr int kSlotsPerColumn = 4;
constexpr int kColumnShift = 96;
constexpr int kSlotPitch = 120;
constexpr int kHiddenPitch = 96;

Prompts::FileDialog configDialog() {
    Prompts::FileDialog dialog;
    dialog.title = QStringLiteral("Z1rpW3rk - HotKeyPad Config");
    dialog.filter = QStringLiteral("Z1rpW3rk-HotKeyPad (.hkp)|*.hkp");
    dialog.defaultExt = QStringLiteral(".hkp");
    return dialog;
}

int columnLeft(int slot) {
    return slot < kSlotsPerColumn ? 0 : kColumnShift;
}
int row(int slot) {
    return slot % kSlotsPerColumn;
}

} // namespace

TForm4::TForm4(TForm1& main, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint),
      m_main(main) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("HotKeyPad"));
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);
    createControls(client);
    createMenu();
    setClientHeight(kClientHeight);
    centerOnScreen(this);
}

TForm4::~TForm4() = default;

void TForm4::createControls(QWidget* client) {
    QFont large = font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    Label1 = new QLabel(QStringLiteral("FREQ"), client);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(large);
    Label1->move(8, 0);
    Label1->adjustSize();
    Label2 = new QLabel(QStringLiteral("Dauer"), client);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(large);
    Label2->move(104, 0);
    Label2->adjustSize();

    QFont big = font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    for (int slot = 0; slot < kSlots; ++slot) {
        const int left = columnLeft(slot);
        const int top = kSlotPitch * row(slot);
        auto* edit = new QLineEdit(client);
        edit->setObjectName(QStringLiteral("Edit%1").arg(slot + 1));
        edit->setGeometry(left, 32 + top, 57, 21);
        auto* ok = new QPushButton(QStringLiteral("OK"), client);
        ok->setObjectName(QStringLiteral("Button%1").arg(2 * slot + 2));
        ok->setGeometry(left + 56, 32 + top, 41, 25);
        ok->setAutoDefault(false);
        auto* bigButton = new QPushButton(QStringLiteral("-"), client);
        bigButton->setObjectName(QStringLiteral("Button%1").arg(2 * slot + 1));
        bigButton->setGeometry(left, 56 + top, 97, 97);
        bigButton->setFont(big);
        bigButton->setAutoDefault(false);
        edits[slot] = edit;
        okButtons[slot] = ok;
        bigButtons[slot] = bigButton;
        connectGuarded(ok, &QPushButton::clicked, this, [this, slot] { okClick(slot); });
        connectGuarded(bigButton, &QPushButton::clicked, this, [this, slot] { bigClick(slot); });
    }

    Memo1 = new ListBox(client);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->hide();
    setStoredLines(QStringList(kSlots, QString()));
}

void TForm4::createMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    Optionen1 = bar->addMenu(QStringLiteral("Optionen"));
    Optionen1->setObjectName(QStringLiteral("Optionen1"));
    EinstellungenSpeichern1 = Optionen1->addAction(QStringLiteral("Einstellungen Speichern"));
    EinstellungenSpeichern1->setObjectName(QStringLiteral("EinstellungenSpeichern1"));
    Einstellungenladen1 = Optionen1->addAction(QStringLiteral("Einstellungen Laden"));
    Einstellungenladen1->setObjectName(QStringLiteral("Einstellungenladen1"));
    Configausblenden1 = Optionen1->addAction(QStringLiteral("Config ausblenden"));
    Configausblenden1->setObjectName(QStringLiteral("Configausblenden1"));
    Configausblenden1->setCheckable(true);

    connectGuarded(EinstellungenSpeichern1, &QAction::triggered, this,
                   [this] { EinstellungenSpeichern1Click(); });
    connectGuarded(Einstellungenladen1, &QAction::triggered, this,
                   [this] { Einstellungenladen1Click(); });
    // The handler decides by the check mark as it was before the click.
    connect(Configausblenden1, &QAction::triggered, this, [this](bool checked) {
        Configausblenden1->setChecked(!checked);
        guarded([this] { Configausblenden1Click(); });
    });
}

void TForm4::setClientHeight(int height) {
    centralWidget()->setFixedSize(kClientWidth, height);
    setFixedSize(kClientWidth, height + menuBar()->sizeHint().height());
}

QStringList TForm4::storedLines() const {
    return HotKeyPadFile::normalised(Memo1->items());
}

void TForm4::setStoredLines(const QStringList& lines) {
    Memo1->clearItems();
    Memo1->addAll(HotKeyPadFile::normalised(lines));
}

void TForm4::HotKeyPad1Click() {
    show();
    raise();
    activateWindow();
}

void TForm4::okClick(int slot) {
    bigButtons[slot]->setText(edits[slot]->text());
}

void TForm4::bigClick(int slot) {
    QLineEdit* target = slot < kSlotsPerColumn ? m_main.activeFrequencyField() : m_main.edLengh;
    target->setText(bigButtons[slot]->text());
}

void TForm4::EinstellungenSpeichern1Click() {
    QStringList lines;
    for (const QLineEdit* edit : edits)
        lines.append(edit->text());
    setStoredLines(lines);
    if (const std::optional<QString> fileName = prompts().saveFile(configDialog()))
        HotKeyPadFile::write(*fileName, storedLines());
}

void TForm4::Einstellungenladen1Click() {
    if (const std::optional<QString> fileName = prompts().openFile(configDialog()))
        setStoredLines(HotKeyPadFile::read(*fileName));
    // Cancelled or not, the fields and buttons take the stored lines.
    const QStringList lines = storedLines();
    for (int slot = 0; slot < kSlots; ++slot)
        edits[slot]->setText(lines[slot]);
    for (int slot = 0; slot < kSlots; ++slot)
        okClick(slot);
}

void TForm4::Configausblenden1Click() {
    const bool hide = !Configausblenden1->isChecked();
    for (int slot = 0; slot < kSlots; ++slot) {
        const int top = hide ? kHiddenPitch * row(slot) : 56 + kSlotPitch * row(slot);
        bigButtons[slot]->move(columnLeft(slot), top);
        edits[slot]->setVisible(!hide);
        okButtons[slot]->setVisible(!hide);
    }
    setClientHeight(hide ? kClientHeightHidden : kClientHeight);
    Configausblenden1->setChecked(hide);
}
