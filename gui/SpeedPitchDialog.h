#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

/// The speed/octave dialog "Ton": collects a percentage or an octave count and the tracks to
/// change; the pitch change reads its controls after it closes. The octave count is the
/// number shown in Label1, from -5 to +5; while it is not 0 the percentage field is locked,
/// and while the percentage is not 100 the octave buttons are.
class TForm11 final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm11)

public:
    explicit TForm11(QWidget* parent = nullptr);

    static constexpr int kMaxOctaves = 5;

    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QPushButton* Button4 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Button3 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    void Button3Click();
    void Button4Click();
    void Edit1Change();
    void Button1Click();
    void Button2Click();

    /// Back to neutral: octave count 0, percentage "100", every field usable.
    void resetToNeutral();

private:
    void stepOctaves(int step);
};
