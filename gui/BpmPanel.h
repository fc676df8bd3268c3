#pragma once

#include <QObject>

class ListBox;
class PanelCloseLabel;
class QGroupBox;
class QLabel;
class QLineEdit;
class TForm1;

/// The "Notenwerte" panel of the side area: turns a tempo in beats per minute into the lengths
/// of the note values from a whole note to a sixteenth and puts the chosen one into the
/// duration field of tone entry.
class BpmPanel final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BpmPanel)

public:
    explicit BpmPanel(TForm1& main);
    ~BpmPanel() override;

    QGroupBox* gbInfoBPM = nullptr;
    QLabel* Label24 = nullptr;
    QLineEdit* edBPM = nullptr;
    ListBox* lbNoten = nullptr;
    PanelCloseLabel* Label22 = nullptr;

    /// Beats per minute; 0 until the BPM field first changes.
    int Tempo = 0;

    /// Length in milliseconds of note value `row` (0 whole … 4 sixteenth) at `tempo`;
    /// a tempo of 0 raises "Division durch Null".
    static int noteValue(int tempo, int row);

    void BPMNotenwerte1Click();
    void Label22Click();
    void edBPMChange();
    void lbNotenClick();

private:
    TForm1& m_main;
};
