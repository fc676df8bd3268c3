#pragma once

#include <QElapsedTimer>
#include <QWidget>

class PianoRoll;
class QAction;
class QPushButton;
class QScrollBar;
class QTimer;
class TForm1;

/// The piano roll window ("Extras" → "Notenrolle", Ctrl+Shift+G): the roll, a row of buttons
/// ("Ganzes Lied", zoom in and out) and a scroll bar of time. While a song plays, a cursor
/// shows what is heard: the line the playback engine has stepped to, on the sound device's
/// clock as the lists follow it. The window keeps its place and size in the settings.
class PianoRollWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PianoRollWindow)

public:
    explicit PianoRollWindow(TForm1& form);
    ~PianoRollWindow() override;

    PianoRoll* roll = nullptr;
    QPushButton* btGanzesLied = nullptr;
    QPushButton* btZoomIn = nullptr;
    QPushButton* btZoomOut = nullptr;
    QScrollBar* scrollBar = nullptr;

    /// The menu item's handler: shows the window (opened at its stored place) and brings it
    /// to the front.
    void Notenrolle1Click();
    /// Follows playback once: the cursor at what is heard now.
    void followPlayback();

    /// Adds "Notenrolle" to "Extras" and "Bild..." to "Datei" → "Exportieren"; the window is
    /// made when it is first shown.
    static void attach(TForm1& form);
    /// "Exportieren" → "Bild...": the whole song as a PNG or SVG picture.
    static void exportPicture(TForm1& form);

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void syncScrollBar();
    void keepPlace();

    TForm1& m_form;
    QTimer* m_follow = nullptr;
    /// The line heard last and since when: the cursor moves on within it.
    int m_heardLine = -1;
    QElapsedTimer m_heardSince;
    bool m_placed = false;
};
