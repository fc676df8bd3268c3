#include "gui/ExtraMenu.h"

#include "gui/Controls.h"
#include "gui/MainWindow.h"

#include <QAction>
#include <QMenu>

ExtraMenu::ExtraMenu(TForm1& form) {
    // "Exportieren" follows "Speichern", before the separator above "Beenden".
    Exportieren1 = new QMenu(QStringLiteral("Exportieren"), form.Datei1);
    Exportieren1->setObjectName(QStringLiteral("Exportieren1"));
    ExportAudio1 =
        named(new QAction(QStringLiteral("Audio (WAV, FLAC, OGG, MP3)..."), Exportieren1),
              QStringLiteral("ExportAudio1"));
    ExportMidi1 = named(new QAction(QStringLiteral("MIDI-Datei (.mid)..."), Exportieren1),
                        QStringLiteral("ExportMidi1"));
    Exportieren1->addAction(ExportAudio1);
    Exportieren1->addAction(ExportMidi1);
    const QList<QAction*> file = form.Datei1->actions();
    const qsizetype save = file.indexOf(form.Speichern1);
    QAction* before = save >= 0 && save + 1 < file.size() ? file[save + 1] : nullptr;
    form.Datei1->insertMenu(before, Exportieren1)
        ->setObjectName(QStringLiteral("Exportieren1Item"));

    Rueckgaengig1 = named(new QAction(QStringLiteral("Rückgängig"), form.Bearbeiten1),
                          QStringLiteral("Rueckgaengig1"));
    Rueckgaengig1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Wiederholen1 = named(new QAction(QStringLiteral("Wiederholen"), form.Bearbeiten1),
                         QStringLiteral("Wiederholen1"));
    Wiederholen1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    QAction* first = form.Bearbeiten1->actions().value(0);
    form.Bearbeiten1->insertActions(first, {Rueckgaengig1, Wiederholen1});
    form.Bearbeiten1->insertSeparator(first);
    Rueckgaengig1->setEnabled(false);
    Wiederholen1->setEnabled(false);

    form.MIDIFilemidmidi1->setEnabled(true);
}
