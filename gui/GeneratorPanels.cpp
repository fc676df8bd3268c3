#include "gui/GeneratorPanels.h"

#include "base/Errors.h"
#include "base/Guard.h"
#include "gui/ListBox.h"
#include "base/StrToInt.h"
#include "gui/MainWindow.h"
#include "gui/PanelCloseLabel.h"
#include "base/ResponsiveLoop.h"
#include "gui/SidePanels.h"
#include "tools/ToneGenerators.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

void checkLineCount(long long count) {
    if (count > GeneratorPanels::kMaxLines)
        throw AppError(QStringLiteral("Zu viele Töne: höchstens %1 auf einmal")
                           .arg(GeneratorPanels::kMaxLines));
}

} // namespace

GeneratorPanels::GeneratorPanels(TForm1& main) : m_main(main) {
    buildSchredder();
    buildWelle();

    SidePanels::onMenuClick(m_main.Schredder1, this, [this] { Schredder1Click(); });
    SidePanels::onMenuClick(m_main.Welle1, this, [this] { Welle1Click(); });
    connectGuarded(Label15, &PanelCloseLabel::clicked, this, [this] { Label15Click(); });
    connectGuarded(Label20, &PanelCloseLabel::clicked, this, [this] { Label20Click(); });
    connectGuarded(ButtonSchredder, &QPushButton::clicked, this,
                   [this] { ButtonSchredderClick(); });
    connectGuarded(btokwelle, &QPushButton::clicked, this, [this] { btokwelleClick(); });
}

GeneratorPanels::~GeneratorPanels() = default;

void GeneratorPanels::buildSchredder() {
    gbSchredder =
        SidePanels::create(m_main, QStringLiteral("gbSchredder"), QStringLiteral("Schredder"), 129);
    const QFont plain = gbSchredder->property("plainFont").value<QFont>();
    EditShredderVon =
        SidePanels::field(gbSchredder, QStringLiteral("EditShredderVon"), QStringLiteral("440"), 8,
                          20, 33, QStringLiteral("von (hz)"), 44, QStringLiteral("Label11"));
    EditSchredderBis =
        SidePanels::field(gbSchredder, QStringLiteral("EditSchredderBis"), QStringLiteral("1000"),
                          8, 44, 33, QStringLiteral("bis (hz)"), 44, QStringLiteral("Label12"));
    EditSchredderInterval = SidePanels::field(
        gbSchredder, QStringLiteral("EditSchredderInterval"), QStringLiteral("5"), 8, 68, 33,
        QStringLiteral("Intervall (hz)"), 44, QStringLiteral("Label13"));
    EditSchredderDauer =
        SidePanels::field(gbSchredder, QStringLiteral("EditSchredderDauer"), QStringLiteral("20"),
                          8, 92, 33, QStringLiteral("Dauer (ms)"), 44, QStringLiteral("Label14"));
    ButtonSchredder = new QPushButton(QStringLiteral("OK"), gbSchredder);
    ButtonSchredder->setObjectName(QStringLiteral("ButtonSchredder"));
    ButtonSchredder->setFont(plain);
    ButtonSchredder->setAutoDefault(false);
    ButtonSchredder->setGeometry(120, 16, 65, 105);
    Label15 = SidePanels::closeLabel(gbSchredder, QStringLiteral("Label15"));

    QWidget::setTabOrder(EditShredderVon, EditSchredderBis);
    QWidget::setTabOrder(EditSchredderBis, EditSchredderInterval);
    QWidget::setTabOrder(EditSchredderInterval, EditSchredderDauer);
    QWidget::setTabOrder(EditSchredderDauer, ButtonSchredder);
    SidePanels::fitTexts(gbSchredder);
}

void GeneratorPanels::buildWelle() {
    gbWelle = SidePanels::create(m_main, QStringLiteral("gbWelle"), QStringLiteral("Welle"), 145);
    const QFont plain = gbWelle->property("plainFont").value<QFont>();
    edKurve =
        SidePanels::field(gbWelle, QStringLiteral("edKurve"), QStringLiteral("100"), 8, 16, 49,
                          QStringLiteral("Kurvenstreckung"), 64, QStringLiteral("Label16"));
    edDauer =
        SidePanels::field(gbWelle, QStringLiteral("edDauer"), QStringLiteral("10"), 8, 40, 49,
                          QStringLiteral("Dauer eines Tons (ms)"), 64, QStringLiteral("Label17"));
    edAnzahl =
        SidePanels::field(gbWelle, QStringLiteral("edAnzahl"), QStringLiteral("2000"), 8, 64, 49,
                          QStringLiteral("Anzahl der Töne"), 64, QStringLiteral("Label18"));
    edStarke = SidePanels::field(gbWelle, QStringLiteral("edStarke"), QStringLiteral("250"), 8, 88,
                                 49, QStringLiteral("Stärke (hz)"), 64, QStringLiteral("Label19"));
    btokwelle = new QPushButton(QStringLiteral("OK"), gbWelle);
    btokwelle->setObjectName(QStringLiteral("btokwelle"));
    btokwelle->setFont(plain);
    btokwelle->setAutoDefault(false);
    btokwelle->setGeometry(152, 88, 33, 41);
    edtonhoehe =
        SidePanels::field(gbWelle, QStringLiteral("edtonhoehe"), QStringLiteral("500"), 8, 112, 49,
                          QStringLiteral("Startton (hz)"), 64, QStringLiteral("Label21"));
    Label20 = SidePanels::closeLabel(gbWelle, QStringLiteral("Label20"));

    QWidget::setTabOrder(edKurve, edDauer);
    QWidget::setTabOrder(edDauer, edAnzahl);
    QWidget::setTabOrder(edAnzahl, edStarke);
    QWidget::setTabOrder(edStarke, btokwelle);
    QWidget::setTabOrder(btokwelle, edtonhoehe);
    SidePanels::fitTexts(gbWelle);
}

void GeneratorPanels::Schredder1Click() {
    m_main.toggleSidePanel(m_main.Schredder1, gbSchredder);
}
void GeneratorPanels::Welle1Click() {
    m_main.toggleSidePanel(m_main.Welle1, gbWelle);
}
void GeneratorPanels::Label15Click() {
    m_main.closeSidePanel(m_main.Schredder1, gbSchredder);
}
void GeneratorPanels::Label20Click() {
    m_main.closeSidePanel(m_main.Welle1, gbWelle);
}

void GeneratorPanels::appendTone(const QString& frequency, const QString& duration) {
    static const QString rest = QStringLiteral("0");
    const bool first = m_main.trackOneActive();
    m_main.Memo1->add(first ? frequency : rest);
    m_main.Memo2->add(duration);
    m_main.Memo3->add(first ? rest : frequency);
    m_main.Memo4->add(duration);
}

void GeneratorPanels::ButtonSchredderClick() {
    const bool complete =
        !EditShredderVon->text().isEmpty() && !EditSchredderBis->text().isEmpty() &&
        !EditSchredderInterval->text().isEmpty() && !EditSchredderDauer->text().isEmpty();
    if (complete) {
        const int von = StrToInt(EditShredderVon->text());
        const int bis = StrToInt(EditSchredderBis->text());
        const int step = StrToInt(EditSchredderInterval->text());
        // The duration is copied as typed: it is checked only where the song is played.
        const QString duration = EditSchredderDauer->text();
        const ShredderSweep sweep = makeShredderSweep(von, bis, step);
        checkLineCount(sweep.count);
        // The progress counts steps; a sweep of a single tone has none and shows as complete.
        const int total = static_cast<int>(std::max<long long>(sweep.count - 1, 1));
        const QString text = QStringLiteral("Generiere Daten");
        ResponsiveLoop loop;
        for (long long i = 0; i < sweep.count; ++i) {
            appendTone(QString::number(sweep.frequency(i)), duration);
            m_main.ShowProgress(static_cast<int>(i + 1), total, text);
            loop.step();
        }
    }
    m_main.RenumberLines();
}

void GeneratorPanels::btokwelleClick() {
    const int stretch = StrToInt(edKurve->text());
    const int strength = StrToInt(edStarke->text());
    const int count = StrToInt(edAnzahl->text());
    const int start = StrToInt(edtonhoehe->text());
    const QString duration = QString::number(StrToInt(edDauer->text()));
    checkLineCount(count);
    const QString text = QStringLiteral("Generiere Sinus");
    ResponsiveLoop loop;
    for (int i = 1; i <= count; ++i) {
        appendTone(QString::number(waveFrequency(i, stretch, strength, start)), duration);
        m_main.ShowProgress(i, count, text);
        loop.step();
    }
    m_main.RenumberLines();
}
