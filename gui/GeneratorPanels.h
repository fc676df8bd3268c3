#pragma once

#include <QObject>

class PanelCloseLabel;
class QGroupBox;
class QLineEdit;
class QPushButton;
class TForm1;

/// The two tone generators of the side area: the shredder ("Schredder") sweeps the frequency
/// in equal steps, the wave ("Welle") lets it follow a sine curve. Both append their tones to
/// the end of the song on the active track, with a rest of the same length on the other.
class GeneratorPanels final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GeneratorPanels)

public:
    /// Builds both panels in the main window's side area and connects their menu items.
    explicit GeneratorPanels(TForm1& main);
    ~GeneratorPanels() override;

    /// Most lines one run may append; more would exhaust the memory of the song lists.
    static constexpr long long kMaxLines = 1'000'000;

    QGroupBox* gbSchredder = nullptr;
    QLineEdit* EditShredderVon = nullptr;
    QLineEdit* EditSchredderBis = nullptr;
    QLineEdit* EditSchredderInterval = nullptr;
    QLineEdit* EditSchredderDauer = nullptr;
    QPushButton* ButtonSchredder = nullptr;
    PanelCloseLabel* Label15 = nullptr;

    QGroupBox* gbWelle = nullptr;
    QLineEdit* edKurve = nullptr;
    QLineEdit* edDauer = nullptr;
    QLineEdit* edAnzahl = nullptr;
    QLineEdit* edStarke = nullptr;
    QPushButton* btokwelle = nullptr;
    QLineEdit* edtonhoehe = nullptr;
    PanelCloseLabel* Label20 = nullptr;

    void Schredder1Click();
    void Welle1Click();
    void Label15Click();
    void Label20Click();
    void ButtonSchredderClick();
    void btokwelleClick();

private:
    void buildSchredder();
    void buildWelle();
    /// Appends one line: the tone on the active track, a rest of the same length on the other.
    void appendTone(const QString& frequency, const QString& duration);

    TForm1& m_main;
};
