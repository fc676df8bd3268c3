#pragma once

#include <QColor>
#include <QObject>
#include <QPoint>

#include <array>

class QLabel;
class QTimer;
class TForm1;

/// The main window's look: the background picture BildHALT, the logo's colour cycle (Timer2),
/// the see-through mode, the scroll switch and the place of the online list on resizing.
/// The switches are public so that applying the settings can drive them.
class WindowEffects final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowEffects)

public:
    explicit WindowEffects(TForm1& window);
    ~WindowEffects() override;

    /// The picture is 2560 × 1600; the window shows it from this corner onwards.
    static constexpr QPoint kBackgroundOrigin{-1504, -672};
    /// The part of the background picture the window shows at its largest (picture pixels).
    static QRect backgroundPart();
    /// Colour values of the logo: plain white, or 0x01000000 + i for entry i of the palette.
    static constexpr quint32 kWhite = 0x00FFFFFF;
    static constexpr quint32 kPaletteIndex = 0x01000000;
    /// One past the last palette entry the cycle shows; reaching it wraps to white.
    static constexpr quint32 kCycleEnd = 0x01000013;

    /// The default 20-colour system palette, entries 0 … 19.
    static const std::array<QColor, 20>& defaultPalette();
    /// The colour a logo colour value stands for.
    static QColor colorOfValue(quint32 value);

    QLabel* BildHALT = nullptr;
    QTimer* Timer2 = nullptr;

    /// Colour value of the logo Label9 (kWhite or a palette index).
    quint32 logoColor() const { return m_logoColor; }

    // Handlers.
    void Timer2Timer();
    void Scrollfunktion1Click();
    void FormResize();

    // Switches.
    /// Starts or stops the logo's colour cycle; stopping leaves the current colour.
    void setLogoCycling(bool on);
    void setBackgroundVisible(bool visible);
    /// Checks or unchecks "Scrollfunktion deaktivieren" (playback then does not follow the line).
    void setScrollFollowDisabled(bool disabled);
    /// See-through: the window background turns black and every black pixel of the window
    /// shows what lies behind it. Off: the window is whole again; the background stays black.
    void setSeeThrough(bool on);
    bool seeThrough() const { return m_seeThrough; }
    /// Whether the platform can cut the window to its non-black pixels. Where it cannot, the
    /// see-through mode only turns the background black.
    static bool seeThroughSupported();
    /// Lets the width slide settle the window on the state of SidePanelOpen.
    void settleWidth();

    /// Whether the whole background picture is decoded. Until the window has first been drawn
    /// it holds only the part the window shows; the rest (for a taller window and for the line
    /// editor) is decoded right after.
    bool backgroundComplete() const { return m_backgroundComplete; }
    /// Decodes the whole background picture now, if that has not happened yet.
    void loadWholeBackground();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Rows below the first window height that the first part includes.
    static constexpr int kSpareRows = 64;

    void showBackgroundPart();
    void setLogoColor(quint32 value);
    void updateTextColour();
    void updateSeeThroughShape();

    TForm1& m_window;
    quint32 m_logoColor = kWhite;
    bool m_seeThrough = false;
    bool m_backgroundComplete = false;
    QTimer* m_shapeRefresh = nullptr;
};
