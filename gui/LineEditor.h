#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TForm1;

/// The line editor: shows one song line and writes the edited values back to the lines
/// selected in the main window when OK is pressed.
class TForm2 final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm2)

public:
    explicit TForm2(TForm1& mainWindow, QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
    QLineEdit* edZeile = nullptr;
    QLineEdit* edFreq1 = nullptr;
    QLineEdit* edDauer1 = nullptr;
    QLineEdit* edFreq2 = nullptr;
    QLineEdit* edDauer2 = nullptr;
    QPushButton* btOk = nullptr;
    QPushButton* Button2 = nullptr;

    void FormCreate();
    void edDauer1Change();
    void edDauer2Change();
    void btOkClick();
    void Button2Click();

private:
    void clearEdits();

    TForm1& m_main;
};
