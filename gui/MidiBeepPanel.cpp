#include "gui/MidiBeepPanel.h"

#include "base/Guard.h"
#include "gui/ControlLookup.h"
#include "gui/SettingsDialog.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "song/NoteTable.h"
#include "gui/PanelCloseLabel.h"
#include "gui/SidePanels.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

MidiBeepPanel::MidiBeepPanel(TForm1& main) : m_main(main) {
    gbMidibeep =
        SidePanels::create(m_main, QStringLiteral("gbMidibeep"), QStringLiteral("MIDI-Beep"), 105);
    const QFont plain = gbMidibeep->property("plainFont").value<QFont>();
    cbmidibeepact = new QCheckBox(QStringLiteral("aktivieren"), gbMidibeep);
    cbmidibeepact->setObjectName(QStringLiteral("cbmidibeepact"));
    cbmidibeepact->setFont(plain);
    cbmidibeepact->setGeometry(8, 20, 177, 20);
    edLang = SidePanels::field(gbMidibeep, QStringLiteral("edLang"), QStringLiteral("10"), 8, 46,
                               41, QStringLiteral("Länge pro Ton"), 56, QStringLiteral("laLang"));
    laLang = gbMidibeep->findChild<QLabel*>(QStringLiteral("laLang"));
    cbwiederhol = new QCheckBox(QStringLiteral("wiederholend?"), gbMidibeep);
    cbwiederhol->setObjectName(QStringLiteral("cbwiederhol"));
    cbwiederhol->setFont(plain);
    cbwiederhol->setGeometry(8, 76, 177, 20);
    laX = SidePanels::closeLabel(gbMidibeep, QStringLiteral("laX"));

    SidePanels::onMenuClick(m_main.MidiBeep1, this, [this] { MidiBeep1Click(); });
    connectGuarded(laX, &PanelCloseLabel::clicked, this, [this] { laXClick(); });
    connectGuarded(cbmidibeepact, &QCheckBox::clicked, this, [this] { cbmidibeepactClick(); });
}

MidiBeepPanel::~MidiBeepPanel() = default;

void MidiBeepPanel::cbmidibeepactClick() {
    if (auto* wait = requiredControl<QCheckBox>(forms().Form6, QStringLiteral("cbMidiwait")))
        wait->setChecked(false);
}

void MidiBeepPanel::MidiBeep1Click() {
    m_main.toggleSidePanel(m_main.MidiBeep1, gbMidibeep);
}

void MidiBeepPanel::laXClick() {
    m_main.closeSidePanel(m_main.MidiBeep1, gbMidibeep);
}

const NoteTable* MidiBeepPanel::noteTable() const {
    // The stored table, as the note table window shows it.
    return &NoteTable::stored();
}

QString MidiBeepPanel::beepLength() const {
    return edLang->text();
}

bool MidiBeepPanel::repeatChecked() const {
    return cbwiederhol->isChecked();
}

QString MidiBeepPanel::entryLength() const {
    return m_main.edLengh->text();
}
