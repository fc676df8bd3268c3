#include "gui/WindowEffects.h"

#include "base/Guard.h"
#include "gui/Pictures.h"
#include "gui/SettingsDialog.h"
#include "gui/Forms.h"
#include "gui/LineEditor.h"
#include "gui/MainWindow.h"

#include <QAction>
#include <QBitmap>
#include <QCheckBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QRegion>
#include <QTimer>

namespace {

const QColor kBlack(0, 0, 0);

// While see-through, the window's shape follows its contents at this pace (the song lists,
// the progress bar and the logo change what is black).
constexpr int kShapeRefreshMs = 200;

} // namespace

WindowEffects::WindowEffects(TForm1& window) : m_window(window) {
    setObjectName(QStringLiteral("WindowEffects"));
    QWidget* client = window.centralWidget();

    BildHALT = new QLabel(client);
    BildHALT->setObjectName(QStringLiteral("BildHALT"));
    BildHALT->setAttribute(Qt::WA_TransparentForMouseEvents);
    BildHALT->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    BildHALT->setGeometry(QRect(kBackgroundOrigin, QSize(2560, 1600)));
    showBackgroundPart();
    BildHALT->lower();

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(10);
    connectGuarded(Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });

    m_shapeRefresh = new QTimer(this);
    m_shapeRefresh->setInterval(kShapeRefreshMs);
    connectGuarded(m_shapeRefresh, &QTimer::timeout, this, [this] { updateSeeThroughShape(); });

    // Qt has already toggled a checkable item when `triggered` arrives; the handler toggles
    // itself, as it does when called directly.
    connectGuarded(window.Scrollfunktion1, &QAction::triggered, this, [this] {
        m_window.Scrollfunktion1->toggle();
        Scrollfunktion1Click();
    });

    client->installEventFilter(this);
    window.installEventFilter(this);
    updateTextColour();
}

WindowEffects::~WindowEffects() = default;

QRect WindowEffects::backgroundPart() {
    return QRect(-kBackgroundOrigin, QSize(TForm1::kWideWidth, TForm1::kClientHeight + kSpareRows));
}

void WindowEffects::showBackgroundPart() {
    // Only the corner of the picture that the window shows at its largest: decoding the whole
    // 2560 × 1600 picture would hold up the first sight of the window several times over. The
    // label keeps its place and draws the part where the whole picture would have it.
    const QImage picture = Pictures::loadRegion(Pictures::kBackground, backgroundPart());
    if (picture.isNull())
        return;
    const QPoint corner = -kBackgroundOrigin;
    BildHALT->setContentsMargins(corner.x(), corner.y(), 0, 0);
    BildHALT->setPixmap(QPixmap::fromImage(picture));
}

void WindowEffects::loadWholeBackground() {
    if (m_backgroundComplete)
        return;
    m_backgroundComplete = true;
    const QImage picture = Pictures::loadOrReport(Pictures::kBackground);
    BildHALT->setContentsMargins(0, 0, 0, 0);
    BildHALT->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
    // The line editor shows the same picture from its top left corner; created later, it
    // takes the picture as it is created.
    if (TForm2* editor = forms().created<TForm2>())
        editor->FormCreate();
}

const std::array<QColor, 20>& WindowEffects::defaultPalette() {
    // The static colours of the system palette: ten dark and pale ones, then ten bright ones.
    static const std::array<QColor, 20> palette = {
        QColor(0, 0, 0),       QColor(128, 0, 0),     QColor(0, 128, 0),
        QColor(128, 128, 0),   QColor(0, 0, 128),     QColor(128, 0, 128),
        QColor(0, 128, 128),   QColor(192, 192, 192), QColor(192, 220, 192),
        QColor(166, 202, 240), QColor(255, 251, 240), QColor(160, 160, 164),
        QColor(128, 128, 128), QColor(255, 0, 0),     QColor(0, 255, 0),
        QColor(255, 255, 0),   QColor(0, 0, 255),     QColor(255, 0, 255),
        QColor(0, 255, 255),   QColor(255, 255, 255),
    };
    return palette;
}

QColor WindowEffects::colorOfValue(quint32 value) {
    if ((value & 0xFF000000u) == kPaletteIndex) {
        // An index past the palette's end falls back to its first entry, as the platform does.
        const quint32 index = value & 0xFFFFu;
        return index < defaultPalette().size() ? defaultPalette()[index] : defaultPalette()[0];
    }
    // A plain value holds red in the low byte, then green, then blue.
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

void WindowEffects::setLogoColor(quint32 value) {
    m_logoColor = value;
    m_window.Label9->setStyleSheet(QStringLiteral("color: %1; background: transparent;")
                                       .arg(colorOfValue(value).name()));
}

void WindowEffects::Timer2Timer() {
    quint32 next = m_logoColor + 1;
    if (next == kCycleEnd)
        next = kWhite;
    setLogoColor(next);
}

void WindowEffects::Scrollfunktion1Click() {
    QAction* item = m_window.Scrollfunktion1;
    item->setChecked(!item->isChecked());
    if (TForm6* settings = forms().Form6)
        settings->cbscroll->setChecked(item->isChecked());
}

void WindowEffects::FormResize() {
    // The online list waits just below the visible area until it is shown; it only exists
    // once the online library is built into the window. It is looked for in the client area
    // only: the windows the main window owns have controls of the same name.
    auto* list = m_window.centralWidget()->findChild<QWidget*>(QStringLiteral("Memo6"));
    if (!list || m_window.ListderonlineDateien1->isChecked())
        return;
    const QWidget* parent = list->parentWidget();
    list->move(list->x(), parent ? parent->height() : m_window.height());
}

void WindowEffects::setLogoCycling(bool on) {
    if (on)
        Timer2->start();
    else
        Timer2->stop();
}

void WindowEffects::setBackgroundVisible(bool visible) {
    BildHALT->setVisible(visible);
    updateTextColour();
}

void WindowEffects::setScrollFollowDisabled(bool disabled) {
    m_window.Scrollfunktion1->setChecked(disabled);
}

bool WindowEffects::seeThroughSupported() {
    // Window shapes exist on X11, Windows and macOS; elsewhere (Wayland, offscreen) the mask
    // is accepted and ignored, which leaves a black, opaque window.
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("windows") ||
           platform == QLatin1String("cocoa");
}

void WindowEffects::setSeeThrough(bool on) {
    m_seeThrough = on;
    if (on) {
        // The client area turns black; the menu bar keeps its colours and stays whole.
        QWidget* client = m_window.centralWidget();
        QPalette palette = client->palette();
        palette.setColor(QPalette::Window, kBlack);
        client->setPalette(palette);
        client->setAutoFillBackground(true);
        updateSeeThroughShape();
        m_shapeRefresh->start();
    } else {
        m_shapeRefresh->stop();
        m_window.clearMask();
    }
    updateTextColour();
}

void WindowEffects::settleWidth() { m_window.TimerFade->start(); }

void WindowEffects::updateSeeThroughShape() {
    if (!m_seeThrough)
        return;
    // Colour keying by shape: what the window draws pure black is cut out of it. The window
    // is drawn whole, without its current shape, so cut-out parts can come back.
    const QImage drawn = m_window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The mask image sets the bits of the black pixels; as a bitmap those are the cleared
    // ones (color0), so the shape keeps everything but black.
    const QImage black = drawn.createMaskFromColor(qRgb(0, 0, 0), Qt::MaskInColor);
    const QRegion shape(QBitmap::fromImage(black));
    if (shape != m_window.mask())
        m_window.setMask(shape);
}

void WindowEffects::updateTextColour() {
    // Captions, group titles and radio items are written white on the picture and on the
    // black see-through background, black on the plain white window.
    QWidget* client = m_window.centralWidget();
    const bool darkBehind = !BildHALT->isHidden() ||
                            (client->autoFillBackground() &&
                             client->palette().color(QPalette::Window) == kBlack);
    QPalette palette = client->palette();
    palette.setColor(QPalette::WindowText,
                     darkBehind ? QColor(Qt::white) : QGuiApplication::palette().color(QPalette::WindowText));
    client->setPalette(palette);
}

bool WindowEffects::eventFilter(QObject* watched, QEvent* event) {
    // The whole picture follows as soon as the window has been drawn once.
    if (event->type() == QEvent::Paint && watched == &m_window && !m_backgroundComplete)
        QTimer::singleShot(0, this, [this] { guarded([this] { loadWholeBackground(); }); });
    if (event->type() == QEvent::Resize) {
        if (watched == m_window.centralWidget())
            guarded([this] { FormResize(); });
        else if (watched == &m_window && m_seeThrough)
            guarded([this] { updateSeeThroughShape(); });
    }
    return QObject::eventFilter(watched, event);
}
