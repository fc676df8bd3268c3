#pragma once

#include "song/NoteTable.h"

#include <QDialog>

class QTableWidget;
class TForm1;

/// The note table dialog "ZWK-Liste": shows the loaded note table in its grid; choosing a note
/// puts its frequency into the active track's frequency field. Created when it is first
/// opened: the lookups of the rest of the program read the same stored table
/// (NoteTable::stored()) without the window.
class TForm3 final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm3)

public:
    explicit TForm3(TForm1& mainWindow, QWidget* parent = nullptr);

    QTableWidget* StringGrid1 = nullptr;

    /// The loaded table, exactly as the grid shows it.
    const NoteTable& noteTable() const { return m_table; }

    // The lookups over the loaded table.
    QString NoteNameToFrequency(const QString& name) const;
    int FrequencyToMidiNote(const QString& frequency) const;
    int MidiNoteToFrequency(const QString& midiNote) const;

    void FormCreate();
    void StringGrid1Click();
    void ListeNotenFrequenzen1Click();

private:
    void fillGrid();

    TForm1& m_main;
    NoteTable m_table;
};
