#include "gui/BpmPanel.h"

#include "base/Guard.h"
#include "base/IntMath.h"
#include "gui/ListBox.h"
#include "base/StrToInt.h"
#include "gui/MainWindow.h"
#include "gui/PanelCloseLabel.h"
#include "gui/SidePanels.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <array>

namespace {

constexpr int kRows = 5;
const std::array<const char*, kRows> kRowLabels = {
    "1/1 = ", "1/2 = ", "1/4 = ", "1/8 = ", "1/16 = "};

} // namespace

BpmPanel::BpmPanel(TForm1& main) : m_main(main) {
    gbInfoBPM =
        SidePanels::create(m_main, QStringLiteral("gbInfoBPM"), QStringLiteral("Notenwerte"), 121);
    const QFont plain = gbInfoBPM->property("plainFont").value<QFont>();

    Label24 = new QLabel(QStringLiteral("BPM"), gbInfoBPM);
    Label24->setObjectName(QStringLiteral("Label24"));
    QFont large = plain;
    large.setBold(true);
    large.setPointSizeF(plain.pointSizeF() * 1.2);
    Label24->setFont(large);
    Label24->move(8, 20);
    Label24->adjustSize();

    edBPM = new QLineEdit(QStringLiteral("180"), gbInfoBPM);
    edBPM->setObjectName(QStringLiteral("edBPM"));
    edBPM->setFont(plain);
    edBPM->setGeometry(48, 16, 49, 21);

    lbNoten = new ListBox(gbInfoBPM);
    lbNoten->setObjectName(QStringLiteral("lbNoten"));
    lbNoten->setFont(plain);
    lbNoten->setGeometry(8, 40, 177, 73);
    // Five empty rows until the tempo first changes.
    lbNoten->addAll(QStringList(kRows, QString()));

    Label22 = SidePanels::closeLabel(gbInfoBPM, QStringLiteral("Label22"));

    SidePanels::onMenuClick(m_main.BPMNotenwerte1, this, [this] { BPMNotenwerte1Click(); });
    connectGuarded(Label22, &PanelCloseLabel::clicked, this, [this] { Label22Click(); });
    // Every change of the text, typed or set by the program, runs the handler at once.
    connectGuarded(edBPM, &QLineEdit::textChanged, this, [this] { edBPMChange(); });
    connectGuarded(lbNoten, &ListBox::Click, this, [this] { lbNotenClick(); });
}

BpmPanel::~BpmPanel() = default;

int BpmPanel::noteValue(int tempo, int row) {
    const int beat = IntDiv(60000, tempo);
    switch (row) {
    case 0:
        return beat * 4;
    case 1:
        return beat * 2;
    case 2:
        return beat;
    case 3:
        return beat / 2;
    default:
        return beat / 4;
    }
}

void BpmPanel::BPMNotenwerte1Click() {
    m_main.toggleSidePanel(m_main.BPMNotenwerte1, gbInfoBPM);
}

void BpmPanel::Label22Click() {
    m_main.BPMNotenwerte1->trigger();
}

void BpmPanel::edBPMChange() {
    // Setting the text is itself a change: the handler runs once completely for "1" before
    // this run goes on.
    if (edBPM->text().isEmpty())
        edBPM->setText(QStringLiteral("1"));
    Tempo = StrToInt(edBPM->text());
    QStringList rows;
    for (int row = 0; row < kRows; ++row)
        rows.append(QLatin1String(kRowLabels[row]) + QString::number(noteValue(Tempo, row)) +
                    QStringLiteral("ms"));
    for (int row = 0; row < kRows; ++row)
        lbNoten->setItem(row, rows[row]);
    if (const int selected = lbNoten->itemIndex(); selected >= 0)
        m_main.edLengh->setText(QString::number(noteValue(Tempo, selected)));
}

void BpmPanel::lbNotenClick() {
    if (const int selected = lbNoten->itemIndex(); selected >= 0)
        m_main.edLengh->setText(QString::number(noteValue(Tempo, selected)));
}
