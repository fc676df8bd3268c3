#include "gui/KeyboardWindow.h"

#include "gui/Controls.h"
#include "audio/SystemBeep.h"
#include "base/Guard.h"
#include "base/Prompts.h"
#include "base/StrToInt.h"
#include "gui/SettingsDialog.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "gui/KeyboardMap.h"

#include "gui/EditCommands.h"
#include "gui/ListBox.h"
#include "song/Song.h"
#include "song/SongEntry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int kWhiteKeys = 7;
constexpr std::array<int, kWhiteKeys> kWhiteLefts{0, 72, 144, 216, 288, 360, 432};
constexpr std::array<int, 5> kBlackLefts{40, 120, 256, 328, 408};

QPlainTextEdit* pianoKey(QWidget* parent, int number, const QRect& geometry) {
    auto* key = new QPlainTextEdit(parent);
    key->setObjectName(QStringLiteral("Memo%1").arg(number));
    key->setReadOnly(true);
    key->setFrameShape(QFrame::NoFrame);
    key->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    key->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    key->setTextInteractionFlags(Qt::NoTextInteraction);
    key->setFocusPolicy(Qt::StrongFocus);
    key->viewport()->setCursor(Qt::ArrowCursor);
    key->setGeometry(geometry);
    return key;
}

void setKeyColour(QPlainTextEdit* key, const QColor& colour) {
    QPalette palette = key->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    key->setPalette(palette);
}

} // namespace

TForm8::TForm8(TForm1& main, QWidget* parent) : QWidget(parent, Qt::Window), m_main(main) {
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Klavier"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    createControls();
    setFixedSize(kClientWidth, kClientHeight);
    centerOnScreen(this);

    connectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

TForm8::~TForm8() = default;

void TForm8::createControls() {
    for (int i = 0; i < kWhiteKeys; ++i)
        keys[i] = pianoKey(this, i + 1, QRect(kWhiteLefts[i], 0, 65, 193));
    for (int i = 0; i < int(kBlackLefts.size()); ++i) {
        keys[kWhiteKeys + i] = pianoKey(this, kWhiteKeys + i + 1, QRect(kBlackLefts[i], 0, 49, 97));
        keys[kWhiteKeys + i]->raise();
    }

    QFont large = font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    auto whiteLabel = [&](const QString& name, const QString& text, int left) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        label->setFont(large);
        label->setStyleSheet(QStringLiteral("color: white;"));
        label->move(left, 208);
        label->adjustSize();
        return label;
    };
    Label1 = whiteLabel(QStringLiteral("Label1"), QStringLiteral("Oktave = "), 8);
    Label2 = whiteLabel(QStringLiteral("Label2"), QStringLiteral("1"), 112);

    Button1 = new QPushButton(QStringLiteral("+"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFont(large);
    Button1->setGeometry(136, 208, 25, 25);
    Button1->setAutoDefault(false);
    Button2 = new QPushButton(QStringLiteral("-"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setFont(large);
    Button2->setGeometry(168, 208, 25, 25);
    Button2->setAutoDefault(false);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(208, 208, 121, 21);
    cbInsLied = new QCheckBox(QStringLiteral("Ins Lied"), this);
    cbInsLied->setObjectName(QStringLiteral("cbInsLied"));
    cbInsLied->setStyleSheet(QStringLiteral("color: white;"));
    cbInsLied->setGeometry(344, 208, 145, 21);

    QWidget* previous = nullptr;
    for (QWidget* w : keys) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    setTabOrder(previous, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Edit1);
    setTabOrder(Edit1, cbInsLied);

    // Keys and buttons hand typed characters to the window; the duration field keeps its own.
    for (QWidget* w : keys)
        w->installEventFilter(this);
    Button1->installEventFilter(this);
    Button2->installEventFilter(this);
    cbInsLied->installEventFilter(this);
}

bool TForm8::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    // Tab moves the focus; Space still presses a focused button after passing the character on.
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->text().isEmpty())
        return QWidget::eventFilter(watched, event);
    const bool buttonPress =
        key->key() == Qt::Key_Space &&
        (watched == Button1 || watched == Button2 || watched == cbInsLied);
    for (const QChar c : key->text())
        guarded([this, c] { FormKeyPress(c); });
    return !buttonPress;
}

void TForm8::Klaviatur1Click() {
    const KeyboardMap::Skin skin = KeyboardMap::skin(forms().Form6->ComboBox2->currentIndex());
    for (int i = 0; i < int(keys.size()); ++i)
        setKeyColour(keys[i], i < kWhiteKeys ? skin.whiteKeys : skin.blackKeys);
    show();
    raise();
    activateWindow();
}

void TForm8::FormKeyPress(QChar key) {
    // An empty field takes the main window's duration: the first key press just plays.
    const QString length = Edit1->text().isEmpty() ? m_main.edLengh->text() : Edit1->text();
    const int duration = StrToInt(length);
    const int hertz = KeyboardMap::frequency(key, Octave);
    if (hertz == 0)
        return;
    if (cbInsLied->isChecked()) {
        // As if the key had filled the active frequency field and the tone were inserted.
        m_main.activeFrequencyField()->setText(QString::number(hertz));
        SongLine line = m_main.editCommands->enteredTone();
        line.dur1 = line.dur2 = SongEntry::checkedDuration(QStringLiteral("Dauer"), length);
        const bool append = m_main.song->currentLine() < 0;
        m_main.editCommands->insertLine(line);
        if (append) {
            for (ListBox* list : {m_main.Memo2, m_main.Memo1, m_main.Memo4, m_main.Memo3, m_main.Line})
                list->setTopIndex(list->count() - 1);
        }
    }
    SystemBeep(hertz, duration);
}

void TForm8::stepOctave(int by) {
    int n = StrToInt(Label2->text());
    if (by > 0 && n >= KeyboardMap::kHighestOctave)
        prompts().showMessage(QStringLiteral("höher ist nicht möglich"));
    else if (by < 0 && n <= KeyboardMap::kLowestOctave)
        prompts().showMessage(QStringLiteral("tiefer ist nicht möglich"));
    else
        n += by;
    Octave = n;
    Label2->setText(QString::number(n));
}

void TForm8::Button1Click() {
    stepOctave(+1);
}
void TForm8::Button2Click() {
    stepOctave(-1);
}
