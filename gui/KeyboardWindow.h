#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TForm1;

/// The keyboard window "Klavier": one octave of piano keys; the letter keys of the computer
/// keyboard play notes on the system beep in the chosen octave for the typed duration (the main
/// window's duration while the field is empty). With "Ins Lied" checked each note also goes
/// into the song on the active track: before the current line when lines are selected, else at
/// the end.
class TForm8 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm8)

public:
    explicit TForm8(TForm1& main, QWidget* parent = nullptr);
    ~TForm8() override;

    static constexpr int kClientWidth = 496;
    static constexpr int kClientHeight = 258;

    /// Memo1 … Memo7: the white keys; Memo8 … Memo12: the black keys, over the white ones.
    std::array<QPlainTextEdit*, 12> keys{};
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;       ///< the octave
    QPushButton* Button1 = nullptr; ///< "+"
    QPushButton* Button2 = nullptr; ///< "-"
    QLineEdit* Edit1 = nullptr;     ///< the duration in milliseconds
    QCheckBox* cbInsLied = nullptr; ///< "Ins Lied": keys write into the song

    /// The octave, 1 … 7, as `Label2` shows it.
    int Octave = 1;

    void Klaviatur1Click();
    /// A typed character: plays the note of a key letter for the duration in `Edit1`.
    void FormKeyPress(QChar key);
    void Button1Click();
    void Button2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void stepOctave(int by);

    TForm1& m_main;
};
