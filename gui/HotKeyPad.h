#pragma once

#include <QMainWindow>

#include <array>

class ListBox;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class TForm1;

/// The HotKeyPad: eight big buttons holding often-used values, four frequencies and four
/// durations. A click writes the value into the main window's tone entry. The values are typed
/// into small fields above the buttons and can be saved to and loaded from a `.hkp` file.
class TForm4 final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm4)

public:
    explicit TForm4(TForm1& main, QWidget* parent = nullptr);
    ~TForm4() override;

    static constexpr int kSlots = 8;
    static constexpr int kClientWidth = 193;
    static constexpr int kClientHeight = 513;       ///< with the configuration shown
    static constexpr int kClientHeightHidden = 387; ///< buttons only

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    // Slot k (0 … 7): value edit Edit<k+1>, "OK" Button<2k+2>, big button Button<2k+1>.
    std::array<QLineEdit*, kSlots> edits{};
    std::array<QPushButton*, kSlots> okButtons{};
    std::array<QPushButton*, kSlots> bigButtons{};
    /// The stored lines, one item each: what a load reads into and a save writes from. Hidden.
    ListBox* Memo1 = nullptr;

    QMenu* Optionen1 = nullptr;
    QAction* EinstellungenSpeichern1 = nullptr;
    QAction* Einstellungenladen1 = nullptr;
    QAction* Configausblenden1 = nullptr;

    /// The stored lines, always eight.
    QStringList storedLines() const;

    void HotKeyPad1Click();
    /// "OK" of a slot: the big button takes the value edit's text.
    void okClick(int slot);
    /// A big button: frequencies go to the active track's field, durations to `edLengh`.
    void bigClick(int slot);
    void EinstellungenSpeichern1Click();
    void Einstellungenladen1Click();
    void Configausblenden1Click();

private:
    void createControls(QWidget* client);
    void createMenu();
    void setStoredLines(const QStringList& lines);
    void setClientHeight(int height);

    TForm1& m_main;
};
