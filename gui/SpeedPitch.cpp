#include "gui/SpeedPitch.h"

#include "base/Guard.h"
#include "gui/ListBox.h"
#include "base/Prompts.h"
#include "base/StrToInt.h"
#include "gui/Forms.h"
#include "song/Rescale.h"
#include "gui/MainWindow.h"
#include "gui/SpeedPitchDialog.h"
#include "song/NoteTable.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

SpeedPitchChange::SpeedPitchChange(TForm1& mainWindow) : m_main(mainWindow) {
    connectGuarded(m_main.Geschwindigkeitndern1, &QAction::triggered, &m_main,
                   [this] { Geschwindigkeitndern1Click(); });
    connectGuarded(m_main.Oktavendern1, &QAction::triggered, &m_main,
                   [this] { Oktavendern1Click(); });
}

void SpeedPitchChange::Geschwindigkeitndern1Click() {
    const QString preset = QStringLiteral("100");
    const QString answer =
        prompts()
            .inputBox(QStringLiteral("Geschwindigkeit"), QStringLiteral("Prozent"), preset)
            .value_or(preset);
    const int percent = StrToInt(answer);
    for (int i = 0; i < m_main.Memo2->count(); ++i) {
        m_main.Memo2->setItem(i, IntToStr(ScaleDuration(StrToInt(m_main.Memo2->item(i)), percent)));
        m_main.Memo4->setItem(i, IntToStr(ScaleDuration(StrToInt(m_main.Memo4->item(i)), percent)));
    }
}

void SpeedPitchChange::Oktavendern1Click() {
    TForm11& dialog = *forms().Form11;
    prompts().execModal(dialog);
    const int octaves = StrToInt(dialog.Label1->text());
    const bool trackOne = dialog.CheckBox1->isChecked();
    const bool trackTwo = dialog.CheckBox2->isChecked();
    if (octaves == 0)
        changeByPercent(StrToInt(dialog.Edit1->text()), trackOne, trackTwo);
    else
        changeByOctaves(octaves, trackOne, trackTwo);
    dialog.resetToNeutral();
}

void SpeedPitchChange::changeByPercent(int percent, bool trackOne, bool trackTwo) {
    for (int i = 0; i < m_main.Memo1->count(); ++i) {
        if (trackOne)
            m_main.Memo1->setItem(
                i, IntToStr(ScaleFrequency(StrToInt(m_main.Memo1->item(i)), percent)));
        if (trackTwo)
            m_main.Memo3->setItem(
                i, IntToStr(ScaleFrequency(StrToInt(m_main.Memo3->item(i)), percent)));
    }
}

// A note whose octave lies beyond the ends of the note table has no frequency to move to.
// Rather than leave an empty text or a half-moved song, the move is refused as a whole before
// anything changes, and the user is told why.
void SpeedPitchChange::changeByOctaves(int octaves, bool trackOne, bool trackTwo) {
    const NoteTable& table = NoteTable::stored();
    QList<ListBox*> tracks;
    if (trackOne)
        tracks.append(m_main.Memo1);
    if (trackTwo)
        tracks.append(m_main.Memo3);

    int outside = 0;
    for (ListBox* track : tracks)
        for (const QString& text : track->items())
            if (MoveByOctaves(table, text, octaves).kind == OctaveMove::Kind::OutsideTable)
                ++outside;
    if (outside > 0) {
        const QString range = table.cell(NoteTable::kNameColumn, 1) + QStringLiteral(" bis ") +
                              table.cell(NoteTable::kNameColumn, table.rowCount() - 1);
        const QString notes = outside == 1 ? QStringLiteral("1 Ton läge")
                                           : QStringLiteral("%1 Töne lägen").arg(outside);
        prompts().messageBox(
            QStringLiteral("Die Tonhöhe kann nicht um %1 Oktave(n) geändert werden: %2 "
                           "außerhalb der Notentabelle (%3). Das Lied bleibt unverändert.")
                .arg(octaves > 0 ? QStringLiteral("+%1").arg(octaves) : QString::number(octaves),
                     notes, range),
            QStringLiteral("Z1rpW3rk"), Prompts::Icon::Warning);
        return;
    }

    for (int i = 0; i < m_main.Memo1->count(); ++i) {
        for (ListBox* track : tracks) {
            const OctaveMove move = MoveByOctaves(table, track->item(i), octaves);
            if (move.kind == OctaveMove::Kind::Moved)
                track->setItem(i, move.text);
        }
    }
}
