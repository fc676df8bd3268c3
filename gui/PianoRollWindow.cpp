#include "gui/PianoRollWindow.h"

#include "audio/PlaybackEngine.h"
#include "base/Guard.h"
#include "base/ListItems.h"
#include "base/Prompts.h"
#include "files/PianoRollPainter.h"
#include "gui/Controls.h"
#include "gui/ExtraMenu.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "gui/PianoRoll.h"
#include "song/LineTimes.h"
#include "song/Song.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr QSize kFirstSize(900, 420);
/// How often the cursor follows playback.
constexpr int kFollowMs = 30;
/// Pixels per millisecond when the window first opens on a long song: ten seconds a 1000.
constexpr double kFirstScale = 0.1;

QPushButton* button(QWidget* parent, const QString& name, const QString& text) {
    auto* b = named(new QPushButton(text, parent), name);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

PianoRollWindow::PianoRollWindow(TForm1& form) : QWidget(&form, Qt::Window), m_form(form) {
    setObjectName(QStringLiteral("PianoRollWindow"));
    setWindowTitle(QStringLiteral("Notenrolle"));
    roll = new PianoRoll(form, this);
    btGanzesLied = button(this, QStringLiteral("btGanzesLied"), QStringLiteral("Ganzes Lied"));
    btZoomIn = button(this, QStringLiteral("btZoomIn"), QStringLiteral("+"));
    btZoomOut = button(this, QStringLiteral("btZoomOut"), QStringLiteral("−"));
    btZoomIn->setToolTip(QStringLiteral("Vergrößern (Strg+Mausrad, +)"));
    btZoomOut->setToolTip(QStringLiteral("Verkleinern (Strg+Mausrad, −)"));
    scrollBar = named(new QScrollBar(Qt::Horizontal, this), QStringLiteral("PianoRollScrollBar"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btGanzesLied);
    buttons->addWidget(btZoomIn);
    buttons->addWidget(btZoomOut);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addLayout(buttons);
    layout->addWidget(roll, 1);
    layout->addWidget(scrollBar);

    connect(btGanzesLied, &QPushButton::clicked, roll, &PianoRoll::fitSong);
    connect(btZoomIn, &QPushButton::clicked, roll, &PianoRoll::zoomIn);
    connect(btZoomOut, &QPushButton::clicked, roll, &PianoRoll::zoomOut);
    connect(roll, &PianoRoll::viewChanged, this, &PianoRollWindow::syncScrollBar);
    connect(scrollBar, &QScrollBar::valueChanged, roll, [this](int value) { roll->scrollTo(value); });
    // The song's length decides how far the bar scrolls.
    const QAbstractItemModel* durations = form.song->Memo2->model();
    const auto sync = [this] { syncScrollBar(); };
    connect(durations, &QAbstractItemModel::rowsInserted, this, sync);
    connect(durations, &QAbstractItemModel::rowsRemoved, this, sync);
    connect(durations, &QAbstractItemModel::dataChanged, this, sync);
    connect(durations, &QAbstractItemModel::modelReset, this, sync);

    m_follow = new QTimer(this);
    m_follow->setTimerType(Qt::PreciseTimer);
    m_follow->setInterval(kFollowMs);
    connect(m_follow, &QTimer::timeout, this, [this] { followPlayback(); });

    const Settings& s = forms().settings;
    if (s.pianoRollWidth > 0) {
        setGeometry(s.pianoRollLeft, s.pianoRollTop, std::max(s.pianoRollWidth, 200),
                    std::max(s.pianoRollHeight, 150));
    } else {
        resize(kFirstSize);
        centerOnScreen(this);
    }
    m_placed = true;
    // A short song fits the window; a long one starts at ten seconds a thousand pixels.
    roll->roll().setSize(roll->size());
    const double total = double(form.song->totalDuration());
    roll->roll().fitTime();
    if (total * kFirstScale > roll->roll().barsArea().width())
        roll->roll().setScale(kFirstScale);
    syncScrollBar();
}

PianoRollWindow::~PianoRollWindow() = default;

void PianoRollWindow::attach(TForm1& form) {
    auto* item = named(new QAction(QStringLiteral("Notenrolle"), form.Extras1),
                       QStringLiteral("Notenrolle1"));
    item->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G));
    // After "Graphische Ausgabe".
    const QList<QAction*> items = form.Extras1->actions();
    const qsizetype graph = items.indexOf(form.GraphischeAusgabe1);
    form.Extras1->insertAction(graph >= 0 && graph + 1 < items.size() ? items[graph + 1] : nullptr,
                               item);
    connectGuarded(item, &QAction::triggered, &form, [&form] {
        auto* window = form.findChild<PianoRollWindow*>(QString(), Qt::FindDirectChildrenOnly);
        if (!window)
            window = new PianoRollWindow(form);
        window->Notenrolle1Click();
    });

    if (form.extraMenu && form.extraMenu->Exportieren1) {
        auto* picture = named(new QAction(QStringLiteral("Bild (PNG, SVG)..."),
                                          form.extraMenu->Exportieren1),
                              QStringLiteral("ExportBild1"));
        form.extraMenu->Exportieren1->addAction(picture);
        connectGuarded(picture, &QAction::triggered, &form, [&form] { exportPicture(form); });
    }
}

void PianoRollWindow::exportPicture(TForm1& form) {
    Prompts::FileDialog dialog;
    dialog.title = QStringLiteral("Bild exportieren");
    dialog.filter = QStringLiteral("PNG-Bilder (.png)|*.png|SVG-Bilder (.svg)|*.svg");
    dialog.defaultExt = QStringLiteral(".png");
    dialog.mustExist = false;
    const auto choice = prompts().saveFileOfType(dialog);
    if (!choice || choice->fileName.isEmpty())
        return;
    QString fileName = choice->fileName;
    if (!PianoRollPainter::supports(fileName))
        fileName += choice->filterIndex == 1 ? QStringLiteral(".svg") : QStringLiteral(".png");
    PianoRollPainter::writePicture(*form.song, fileName);
}

void PianoRollWindow::Notenrolle1Click() {
    show();
    raise();
    activateWindow();
    roll->setFocus();
}

void PianoRollWindow::followPlayback() {
    const PlaybackEngine* playback = m_form.playback.get();
    if (!playback)
        return;
    const Song& song = *m_form.song;
    const int position = playback->PlayPosition;
    if (playback->PlayStopped) {
        m_heardLine = -1;
        // Paused: the cursor waits where playing goes on; stopped at the start: none.
        roll->setPlayCursor(position > 0 ? double(song.lineStart(position)) : -1);
        return;
    }
    // The engine steps to a line when its start is heard: the line before the next to play.
    const int heard = std::max(position - 1, 0);
    if (heard != m_heardLine) {
        m_heardLine = heard;
        m_heardSince.start();
    }
    const double within =
        std::min(double(m_heardSince.elapsed()), double(song.times().duration(heard)));
    roll->setPlayCursor(double(song.lineStart(heard)) + within);
}

void PianoRollWindow::syncScrollBar() {
    const PianoRollPainter& view = roll->roll();
    const double span = view.visibleSpan();
    const double total = double(m_form.song->totalDuration());
    const QSignalBlocker quiet(scrollBar);
    const auto clampInt = [](double v) { return int(std::clamp(v, 0.0, double(INT_MAX / 2))); };
    scrollBar->setRange(0, clampInt(total - span * 0.9));
    scrollBar->setPageStep(std::max(1, clampInt(span)));
    scrollBar->setSingleStep(std::max(1, clampInt(span / 8)));
    scrollBar->setValue(clampInt(view.start()));
}

void PianoRollWindow::keepPlace() {
    if (!m_placed || !isVisible())
        return;
    Settings& s = forms().settings;
    const QRect place = geometry();
    s.pianoRollLeft = place.left();
    s.pianoRollTop = place.top();
    s.pianoRollWidth = place.width();
    s.pianoRollHeight = place.height();
}

void PianoRollWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    keepPlace();
}

void PianoRollWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    keepPlace();
}

void PianoRollWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    keepPlace();
    m_follow->start();
    followPlayback();
}

void PianoRollWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_follow->stop();
}
