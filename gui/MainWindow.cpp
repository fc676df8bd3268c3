#include "gui/MainWindow.h"
#include "gui/PianoRollWindow.h"

#include "gui/Controls.h"
#include "gui/UiLanguage.h"
#include "audio/MidiEngine.h"
#include "audio/MidiBeep.h"
#include "audio/PlaybackEngine.h"
#include "gui/AudioExportMenu.h"
#include "gui/MidiBeepPanel.h"
#include "gui/PlaybackControls.h"
#include "base/Guard.h"
#include "base/TerminationSignals.h"
#include "base/IntMath.h"
#include "gui/ListBox.h"
#include "files/BmmImporter.h"
#include "audio/AudioExport.h"
#include "files/MidiFileActions.h"
#include "gui/CloseQuestion.h"
#include "files/BeepFormatActions.h"
#include "files/RecentFiles.h"
#include "gui/ExtraMenu.h"
#include "song/Song.h"
#include "gui/EditCommands.h"
#include "song/SongHistory.h"
#include "files/SongFileActions.h"
#include "files/SongFiles.h"
#include "gui/FileMenus.h"
#include "gui/WriteNotice.h"
#include "net/MultiZ1rp.h"
#include "gui/OnlineLibrary.h"
#include "gui/Forms.h"
#include "settings/ConfigLocation.h"
#include "gui/SpeedPitch.h"
#include "gui/TrackOperations.h"
#include "gui/SettingsDialog.h"
#include "gui/WindowEffects.h"
#include "gui/BpmPanel.h"
#include "gui/GeneratorPanels.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

namespace {

const QColor kWhite(255, 255, 255);
// Set on a side panel once it has been shown: the menu item whose check mark tells its state.
constexpr const char* kSidePanelItem = "sidePanelItem";
const QColor kSilver(192, 192, 192);

void setBase(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, int left, int top) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    QFont font = l->font();
    font.setBold(true);
    l->setFont(font);
    l->move(left, top);
    l->adjustSize();
    return l;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text,
                    const QRect& geometry) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

QLineEdit* edit(QWidget* parent, const QString& name, const QString& text, const QRect& geometry) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setGeometry(geometry);
    return e;
}

ListBox* songList(QWidget* parent, ListItems& items, const QRect& geometry) {
    auto* list = new ListBox(parent, items);
    const QString name = items.objectName();
    list->setObjectName(name);
    list->setGeometry(geometry);
    QFont font = list->font();
    font.setBold(true);
    list->setFont(font);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setExtendedSelection(true);
    return list;
}

QAction* menuItem(QMenu* menu, const QString& name, const QString& text,
                  const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    return action;
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent), song(new Song(this)), history(song->history) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Z1rpW3rk 3.3"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kWhite);
    setPalette(palette);
    setAutoFillBackground(true);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setMinimumHeight(kClientHeight);
    setCentralWidget(client);
    createControls(client);
    createMenu();
    connectHandlers();

    setMinimumWidth(kNarrowWidth);
    setMaximumWidth(kNarrowWidth);
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    centerOnScreen(this);

    FormCreate();

    // Song files: open, save, import and export.
    fileView = std::make_unique<WindowFileView>(*this);
    files = std::make_unique<SongFiles>(*song, forms().settings, *fileView, *this);
    songFiles = &files->songFiles;
    bmmImport = &files->bmmImport;
    midiFiles = &files->midiFiles;
    beepFormats = &files->beepFormats;
    // Track operations, speed and pitch change.
    trackOperations = std::make_unique<TrackOperations>(*this);
    speedPitch = std::make_unique<SpeedPitchChange>(*this);
    // Window effects.
    effects = std::make_unique<WindowEffects>(*this);
    // Playback.
    playbackControls = std::make_unique<PlaybackControls>(*this);
    playback = std::make_unique<PlaybackEngine>(*song, forms().settings, *this, *playbackControls,
                                                *playbackControls);
    midi = std::make_unique<MidiEngine>(*song, forms().settings, *playback, *playbackControls);
    playbackControls->connectEngines(*playback, *midi);
    // Network: the MulTiZ1rp mirror.
    mirror = std::make_unique<MultiZ1rp>(*song, *this, this);
    connectGuarded(MultiBeep1, &QAction::triggered, mirror.get(),
                   [this] { mirror->MultiBeep1Click(); });
    connect(mirror.get(), &MultiZ1rp::captionChanged, this, &QWidget::setWindowTitle);
    library = std::make_unique<OnlineLibrary>(*this);

    // Composition tools: generator panels and BPM note values.
    generators = std::make_unique<GeneratorPanels>(*this);
    bpmPanel = std::make_unique<BpmPanel>(*this);
    midiBeepPanel = std::make_unique<MidiBeepPanel>(*this);
    midiBeep = std::make_unique<MidiBeep>(*song, forms().settings, *midiBeepPanel);

    // Export, MIDI file import, undo and redo, the question on closing.
    extraMenu = std::make_unique<ExtraMenu>(*this);
    audioExportMenu = new AudioExportMenu(*this);
    audioExport = new AudioExport(*song, forms().settings, *playback, *audioExportMenu, this);
    audioExportMenu->connectItem(extraMenu->ExportAudio1, *audioExport);
    // Undo and redo: saving makes the song as it stands the saved one; opening one begins a new
    // history.
    connect(songFiles, &SongFileActions::saved, history, [this] { history->markClean(); });
    connect(songFiles, &SongFileActions::loaded, history, [this] { history->restart(); });
    connect(extraMenu->Rueckgaengig1, &QAction::triggered, history, [this] { history->undo(); });
    connect(extraMenu->Wiederholen1, &QAction::triggered, history, [this] { history->redo(); });
    connect(history, &SongHistory::availabilityChanged, this, [this](bool undo, bool redo) {
        extraMenu->Rueckgaengig1->setEnabled(undo);
        extraMenu->Wiederholen1->setEnabled(redo);
    });
    extraMenu->Rueckgaengig1->setEnabled(history->canUndo());
    extraMenu->Wiederholen1->setEnabled(history->canRedo());
    closeQuestion = new CloseQuestion(*this, *history);
    recentFiles = new RecentFiles(*files, configFile(), this);
    editCommands = new EditCommands(*this);
    fileMenus = new FileMenus(*this, extraMenu->Exportieren1, extraMenu->ExportMidi1);
    // The piano roll window and pictures of the song.
    PianoRollWindow::attach(*this);
    // A save or an export says where it wrote.
    auto* notice = new WriteNotice(*probar, this);
    connect(songFiles, &SongFileActions::wrote, notice, &WriteNotice::show);
    connect(audioExport, &AudioExport::wrote, notice, &WriteNotice::show);
}

TForm1::~TForm1() = default;

void TForm1::createControls(QWidget* client) {
    // The line numbers are always 0 … n − 1: the list holds only their count.
    Line = songList(client, *song->Line, QRect(0, 16, 57, 330));
    QPalette grey = Line->palette();
    grey.setColor(QPalette::Base, QColor(128, 128, 128));
    grey.setColor(QPalette::Text, kWhite);
    Line->setPalette(grey);
    Memo1 = songList(client, *song->Memo1, QRect(56, 16, 65, 330));
    Memo2 = songList(client, *song->Memo2, QRect(120, 16, 65, 330));
    Memo3 = songList(client, *song->Memo3, QRect(184, 16, 65, 330));
    Memo4 = songList(client, *song->Memo4, QRect(248, 16, 65, 330));
    // Five columns of one song: a row is one line only while they show the same first row.
    ListBox::scrollTogether({Line, Memo1, Memo2, Memo3, Memo4});
    // The track lists are white whatever colours the desktop prefers.
    for (ListBox* list : {Memo1, Memo2, Memo3, Memo4}) {
        QPalette white = list->palette();
        white.setColor(QPalette::Base, kWhite);
        white.setColor(QPalette::Text, Qt::black);
        list->setPalette(white);
    }

    Label3 = label(client, QStringLiteral("Label3"), QStringLiteral("Lines"), 8, 0);
    Label4 = label(client, QStringLiteral("Label4"), QStringLiteral("Spur 1"), 96, 0);
    Label5 = label(client, QStringLiteral("Label5"), QStringLiteral("Spur 2"), 224, 0);
    Label1 = label(client, QStringLiteral("Label1"), QStringLiteral("Frequenz (hz)"), 328, 0);
    Label2 = label(client, QStringLiteral("Label2"), QStringLiteral("Dauer (ms)"), 448, 0);

    rgASpur = new QGroupBox(QStringLiteral("Aktive Spur"), client);
    rgASpur->setObjectName(QStringLiteral("rgASpur"));
    rgASpur->setGeometry(320, 24, 201, 105);
    const QString blanks(10, QLatin1Char(' '));
    rgASpurItem0 = new QRadioButton(QStringLiteral("-") + blanks + QStringLiteral("Spur 1"), rgASpur);
    rgASpurItem0->setObjectName(QStringLiteral("rgASpurItem0"));
    rgASpurItem0->setGeometry(8, 24, 185, 24);
    rgASpurItem0->setChecked(true);
    rgASpurItem1 = new QRadioButton(QStringLiteral("-") + blanks + QStringLiteral("Spur 2"), rgASpur);
    rgASpurItem1->setObjectName(QStringLiteral("rgASpurItem1"));
    rgASpurItem1->setGeometry(8, 66, 185, 24);

    edFreq1 = edit(client, QStringLiteral("edFreq1"), QStringLiteral("500"), QRect(344, 50, 41, 21));
    edFreq1->setMaxLength(5);
    edFreq2 = edit(client, QStringLiteral("edFreq2"), QStringLiteral("0"), QRect(344, 92, 41, 21));
    edLengh = edit(client, QStringLiteral("edLengh"), QStringLiteral("100"), QRect(432, 69, 49, 21));

    BitBtn1 = new QToolButton(client);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(488, 68, 25, 25);
    BitBtn1->setText(QStringLiteral("♪"));
    BitBtn1->setToolTip(QStringLiteral("Ton anspielen"));

    btadd = button(client, QStringLiteral("btadd"), QStringLiteral("Ton &hinzufügen"),
                   QRect(320, 130, 201, 25));
    btadd->setDefault(true);

    gbBearbeitung = new QGroupBox(QStringLiteral("Bearbeitung"), client);
    gbBearbeitung->setObjectName(QStringLiteral("gbBearbeitung"));
    gbBearbeitung->setGeometry(320, 160, 201, 49);
    btAendern = button(gbBearbeitung, QStringLiteral("btAendern"), QStringLiteral("Ändern"),
                       QRect(6, 18, 60, 25));
    btloeschen = button(gbBearbeitung, QStringLiteral("btloeschen"), QStringLiteral("&Löschen"),
                        QRect(70, 18, 60, 25));
    btTauschen = button(gbBearbeitung, QStringLiteral("btTauschen"), QStringLiteral("&Tauschen"),
                        QRect(134, 18, 60, 25));

    Label9 = new QLabel(QStringLiteral("Z1rpW3rk"), client);
    Label9->setObjectName(QStringLiteral("Label9"));
    QFont title = Label9->font();
    title.setPixelSize(37);
    title.setBold(true);
    Label9->setFont(title);
    Label9->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    Label9->move(312, 248);
    Label9->setIndent(2); // keeps the first letter off the track list to its left
    Label9->adjustSize();

    laStatus = new QLabel(client);
    laStatus->setObjectName(QStringLiteral("laStatus"));
    QFont status = laStatus->font();
    status.setBold(true);
    laStatus->setFont(status);
    laStatus->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    laStatus->setGeometry(312, 304, 136, 16); // up to the Stop button

    btstop = button(client, QStringLiteral("btstop"), QStringLiteral("&Stop"), QRect(448, 296, 41, 25));
    btplay = button(client, QStringLiteral("btplay"), QStringLiteral("&Play"), QRect(488, 296, 41, 25));

    probar = new QProgressBar(client);
    probar->setObjectName(QStringLiteral("probar"));
    probar->setGeometry(312, 320, 217, 25);
    probar->setRange(0, 100);
    probar->setValue(0);
    probar->setTextVisible(false);

    TimerFade = new QTimer(this);
    TimerFade->setObjectName(QStringLiteral("TimerFade"));
    TimerFade->setInterval(3);
    TimerFade->setTimerType(Qt::PreciseTimer);

    setTabOrder(edFreq1, edLengh);
    setTabOrder(edLengh, edFreq2);
}

void TForm1::createMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("Hauptmenue"));

    Datei1 = bar->addMenu(QStringLiteral("Datei"));
    Datei1->setObjectName(QStringLiteral("Datei1"));
    Neu1 = menuItem(Datei1, QStringLiteral("Neu1"), QStringLiteral("Neu"), QKeySequence(Qt::CTRL | Qt::Key_N));
    Oeffnen1 = menuItem(Datei1, QStringLiteral("Oeffnen1"), QStringLiteral("Öffnen"), QKeySequence(Qt::CTRL | Qt::Key_O));
    Speichern1 = menuItem(Datei1, QStringLiteral("Speichern1"), QStringLiteral("Speichern"), QKeySequence(Qt::CTRL | Qt::Key_S));
    Datei1->addSeparator();
    Beenden1 = menuItem(Datei1, QStringLiteral("Beenden1"), QStringLiteral("Beenden"));
    Datei1->addSeparator();
    Play1 = menuItem(Datei1, QStringLiteral("Play1"), QStringLiteral("Play"), QKeySequence(Qt::Key_F5));
    Stop1 = menuItem(Datei1, QStringLiteral("Stop1"), QStringLiteral("Stop"), QKeySequence(Qt::Key_F8));

    Bearbeiten1 = bar->addMenu(QStringLiteral("Bearbeiten"));
    Bearbeiten1->setObjectName(QStringLiteral("Bearbeiten1"));
    Geschwindigkeitndern1 = menuItem(Bearbeiten1, QStringLiteral("Geschwindigkeitndern1"), QStringLiteral("Geschwindigkeit ändern..."));
    Oktavendern1 = menuItem(Bearbeiten1, QStringLiteral("Oktavendern1"), QStringLiteral("Tonhöhe ändern..."));
    Spurentauschen1 = menuItem(Bearbeiten1, QStringLiteral("Spurentauschen1"), QStringLiteral("Spuren tauschen"), QKeySequence(Qt::CTRL | Qt::Key_T));
    DualSpur1 = Bearbeiten1->addMenu(QStringLiteral("Dual-Spur"));
    DualSpur1->setObjectName(QStringLiteral("DualSpur1"));
    Spur11 = menuItem(DualSpur1, QStringLiteral("Spur11"), QStringLiteral("Spur 1"));
    Spur21 = menuItem(DualSpur1, QStringLiteral("Spur21"), QStringLiteral("Spur 2"));
    SpurLoeschen1 = Bearbeiten1->addMenu(QStringLiteral("Spur Löschen"));
    SpurLoeschen1->setObjectName(QStringLiteral("SpurLoeschen1"));
    Spur12 = menuItem(SpurLoeschen1, QStringLiteral("Spur12"), QStringLiteral("Spur 1"));
    Spur22 = menuItem(SpurLoeschen1, QStringLiteral("Spur22"), QStringLiteral("Spur 2"));

    // The title carries Alt+E as its mnemonic; Ctrl+E belongs to "Einstellungen".
    Extras1 = bar->addMenu(QStringLiteral("&Extras"));
    Extras1->setObjectName(QStringLiteral("Extras1"));
    Hochladen1 = menuItem(Extras1, QStringLiteral("Hochladen1"), QStringLiteral("Hochladen"), QKeySequence(Qt::CTRL | Qt::Key_H));
    ListderonlineDateien1 = menuItem(Extras1, QStringLiteral("ListderonlineDateien1"), QStringLiteral("List der online Dateien"), QKeySequence(Qt::CTRL | Qt::Key_L));
    Import1 = Extras1->addMenu(QStringLiteral("Import"));
    Import1->setObjectName(QStringLiteral("Import1"));
    BleeperMusicMakerbmm1 = menuItem(Import1, QStringLiteral("BleeperMusicMakerbmm1"), QStringLiteral("Bleeper Music Maker (.bmm)"));
    MIDIFilemidmidi1 = menuItem(Import1, QStringLiteral("MIDIFilemidmidi1"), QStringLiteral("MIDI-File (.mid / .midi)"));
    MIDIFilemidmidi1->setEnabled(false);
    Extras1->addSeparator();
    Schredder1 = menuItem(Extras1, QStringLiteral("Schredder1"), QStringLiteral("Schredder"), QKeySequence(Qt::CTRL | Qt::Key_R));
    Welle1 = menuItem(Extras1, QStringLiteral("Welle1"), QStringLiteral("Welle"), QKeySequence(Qt::CTRL | Qt::Key_W));
    Extras1->addSeparator();
    ListeNotenFrequenzen1 = menuItem(Extras1, QStringLiteral("ListeNotenFrequenzen1"), QStringLiteral("Liste Noten - Frequenzen"), QKeySequence(Qt::CTRL | Qt::Key_F));
    BPMNotenwerte1 = menuItem(Extras1, QStringLiteral("BPMNotenwerte1"), QStringLiteral("BPM / Notenwerte"), QKeySequence(Qt::CTRL | Qt::Key_B));
    HotKeyPad1 = menuItem(Extras1, QStringLiteral("HotKeyPad1"), QStringLiteral("HotKeyPad"), QKeySequence(Qt::CTRL | Qt::Key_P));
    Klaviatur1 = menuItem(Extras1, QStringLiteral("Klaviatur1"), QStringLiteral("Klaviatur"), QKeySequence(Qt::CTRL | Qt::Key_K));
    MidiBeep1 = menuItem(Extras1, QStringLiteral("MidiBeep1"), QStringLiteral("MidiBeep"), QKeySequence(Qt::CTRL | Qt::Key_I));
    MidiBeep1->setEnabled(false);
    GraphischeAusgabe1 = menuItem(Extras1, QStringLiteral("GraphischeAusgabe1"), QStringLiteral("Graphische Ausgabe"), QKeySequence(Qt::CTRL | Qt::Key_G));
    MultiBeep1 = menuItem(Extras1, QStringLiteral("MultiBeep1"), QStringLiteral("Multi-Beep"), QKeySequence(Qt::CTRL | Qt::Key_M));

    // Items whose check mark tells whether their panel or list is shown.
    for (QAction* item : {Hochladen1, ListderonlineDateien1, Schredder1, Welle1, BPMNotenwerte1,
                          MidiBeep1})
        item->setCheckable(true);

    Optionen1 = bar->addMenu(QStringLiteral("Optionen"));
    Optionen1->setObjectName(QStringLiteral("Optionen1"));
    Optionen1->menuAction()->setObjectName(QStringLiteral("N2"));
    Scrollfunktion1 = menuItem(Optionen1, QStringLiteral("Scrollfunktion1"), QStringLiteral("Scrollfunktion deaktivieren"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
    Scrollfunktion1->setCheckable(true);
    Optionen1->addSeparator();
    Beeper1 = menuItem(Optionen1, QStringLiteral("Beeper1"), QStringLiteral("Beeper"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_B));
    Beeper1->setCheckable(true);
    Beeper1->setChecked(true);
    FMSynthese1 = menuItem(Optionen1, QStringLiteral("FMSynthese1"), QStringLiteral("FM-Synthese"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F));
    FMSynthese1->setCheckable(true);
    MIDIOut1 = menuItem(Optionen1, QStringLiteral("MIDIOut1"), QStringLiteral("MIDI-Out"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_M));
    MIDIOut1->setCheckable(true);
    Optionen1->addSeparator();
    Einstellungen1 = menuItem(Optionen1, QStringLiteral("Einstellungen1"), QStringLiteral("Einstellungen"), QKeySequence(Qt::CTRL | Qt::Key_E));
}

void TForm1::connectHandlers() {
    connectGuarded(TimerFade, &QTimer::timeout, this, [this] { TimerFadeTimer(); });
    connectGuarded(Neu1, &QAction::triggered, this, [this] {
        if (!mayReplaceSong())
            return;
        Neu1Click();
        // A new song: nothing before it can be undone.
        history->restart();
    });
    connectGuarded(Beenden1, &QAction::triggered, this, [this] { Beenden1Click(); });
    connectGuarded(Einstellungen1, &QAction::triggered, this,
                   [] { forms().Form6->Einstellungen1Click(); });
    connectGuarded(rgASpurItem0, &QRadioButton::toggled, this, [this] { rgASpurClick(); });

    connectGuarded(Memo1, &ListBox::Click, this, [this] { Memo1Click(); });
    connectGuarded(Memo2, &ListBox::Click, this, [this] { Memo2Click(); });
    connectGuarded(Memo3, &ListBox::Click, this, [this] { Memo3Click(); });
    connectGuarded(Memo4, &ListBox::Click, this, [this] { Memo4Click(); });
    connectGuarded(Memo1, &ListBox::MouseDown, this, [this] { Memo1Click(); });
    connectGuarded(Memo2, &ListBox::MouseDown, this, [this] { Memo2Click(); });
    connectGuarded(Memo3, &ListBox::MouseDown, this, [this] { Memo3Click(); });
    connectGuarded(Memo4, &ListBox::MouseDown, this, [this] { Memo4Click(); });
    connectGuarded(Line, &ListBox::MouseDown, this, [this] { LineMouseDown(); });

    connectGuarded(btadd, &QPushButton::clicked, this, [this] { btaddClick(); });
    connectGuarded(btAendern, &QPushButton::clicked, this, [this] { btAendernClick(); });
    connectGuarded(btloeschen, &QPushButton::clicked, this, [this] { btloeschenClick(); });
    connectGuarded(btTauschen, &QPushButton::clicked, this, [this] { btTauschenClick(); });
    connectGuarded(Memo1, &ListBox::DblClick, this, [this] { Memo1DblClick(); });
    connectGuarded(Memo2, &ListBox::DblClick, this, [this] { Memo2DblClick(); });
    connectGuarded(Memo3, &ListBox::DblClick, this, [this] { Memo3DblClick(); });
    connectGuarded(Memo4, &ListBox::DblClick, this, [this] { Memo4DblClick(); });

    // F1/F2 and Enter reach the window before the focused control, wherever the focus is.
    for (const int key : {int(Qt::Key_F1), int(Qt::Key_F2)}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setWhatsThis(key == Qt::Key_F1 ? QStringLiteral("Spur 1 aktiv")
                                                 : QStringLiteral("Spur 2 aktiv"));
        connectGuarded(shortcut, &QShortcut::activated, this, [this, key] { FormKeyDown(key); });
    }
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        if (key == Qt::Key_Return) // the manual lists one of the two
            shortcut->setWhatsThis(QStringLiteral("Ton hinzufügen (Standardknopf)"));
        connect(shortcut, &QShortcut::activated, this, [this] { pressDefaultButton(); });
    }
    // A focused control may claim a key the window wants first (an edit field takes Ctrl+E as
    // "end of line" on some desktops); the filter keeps the window's keys for the window.
    qApp->installEventFilter(this);
}

bool TForm1::isWindowKey(const QKeyEvent* event, bool inTextField) const {
    const QKeySequence key(
        QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
    for (const QAction* action : menuBar()->findChildren<QAction*>())
        if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == key)
            return !(inTextField && action->property("textFieldKey").toBool());
    for (const QShortcut* shortcut : findChildren<QShortcut*>(Qt::FindDirectChildrenOnly))
        if (shortcut->isEnabled() && shortcut->key() == key)
            return true;
    return false;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this &&
        isWindowKey(static_cast<QKeyEvent*>(event), qobject_cast<QLineEdit*>(watched))) {
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The song lists stretch with the window's height; the logo keeps its distance to the bottom.
    const int clientHeight = centralWidget()->height();
    const int height = std::max(0, clientHeight - 16);
    for (ListBox* list : {Line, Memo1, Memo2, Memo3, Memo4})
        list->resize(list->width(), height);
    Label9->move(Label9->x(), 248 + clientHeight - kClientHeight);
    if (library)
        library->FormResize();
}


void TForm1::FormCreate() {
    setBase(edFreq1, kWhite);
    setBase(edFreq2, kSilver);
}

void TForm1::FormKeyDown(int key) {
    if (key == Qt::Key_F1) {
        setBase(edFreq1, kWhite);
        setBase(edFreq2, kSilver);
        rgASpurItem0->setChecked(true);
    } else if (key == Qt::Key_F2) {
        setBase(edFreq1, kSilver);
        setBase(edFreq2, kWhite);
        rgASpurItem1->setChecked(true);
    }
}

void TForm1::pressDefaultButton() {
    // As on classic desktops, a focused push button takes Enter itself (the picture
    // button beside the duration is one too).
    QWidget* focus = QApplication::focusWidget();
    if (auto* focused = qobject_cast<QAbstractButton*>(focus);
        focused && focused->window() == this &&
        (qobject_cast<QPushButton*>(focus) || qobject_cast<QToolButton*>(focus))) {
        focused->click();
        return;
    }
    btadd->click();
}

void TForm1::rgASpurClick() {
    const bool first = rgASpurItem0->isChecked();
    setBase(edFreq1, first ? kWhite : kSilver);
    setBase(edFreq2, first ? kSilver : kWhite);
}

bool TForm1::trackOneActive() const {
    return edFreq1->palette().color(QPalette::Base) == kWhite;
}

QLineEdit* TForm1::activeFrequencyField() const { return trackOneActive() ? edFreq1 : edFreq2; }

void TForm1::Neu1Click() {
    songFiles->newSong();
}

bool TForm1::mayReplaceSong() {
    return closeQuestion == nullptr || closeQuestion->mayReplaceSong();
}

void TForm1::Beenden1Click() { close(); }

void TForm1::closeEvent(QCloseEvent* event) {
    // A signal ends the program at once: nothing is asked and nothing saved but the settings.
    if (!TerminationSignals::received() && closeQuestion && !closeQuestion->mayClose()) {
        event->ignore();
        return;
    }
    guarded([this] { FormClose(); });
    QMainWindow::closeEvent(event);
}

void TForm1::FormClose() {
    // The library's connection ends first, then the settings are applied and written.
    if (library)
        library->FormClose();
    if (TForm6* settings = forms().Form6)
        settings->btOkClick();
}

void TForm1::LoadSongFile(const QString& fileName) { songFiles->LoadSongFile(fileName); }

void TForm1::selectLikewise(ListBox* source, std::initializer_list<ListBox*>) {
    // The lines selected in one list, and its current line, become the song's selection,
    // which all five lists show.
    const ListItems& items = source->listItems();
    song->setSelection(items.selectedRanges(), items.currentIndex());
}

void TForm1::Memo1Click() { selectLikewise(Memo1, {Line, Memo2, Memo3, Memo4}); }
void TForm1::Memo2Click() { selectLikewise(Memo2, {Line, Memo1, Memo3, Memo4}); }
void TForm1::Memo3Click() { selectLikewise(Memo3, {Line, Memo1, Memo2, Memo4}); }
void TForm1::Memo4Click() { selectLikewise(Memo4, {Line, Memo1, Memo2, Memo3}); }
void TForm1::LineMouseDown() { selectLikewise(Line, {Memo1, Memo2, Memo3, Memo4}); }

void TForm1::RenumberLines() {
    song->renumberLines(*this);
}

void TForm1::ShowProgress(int current, int total, const QString& text) {
    // A total of 0 (a song emptied while playing) counts as done rather than dividing by zero.
    if (total == 0) {
        probar->setValue(0);
        laStatus->clear();
        return;
    }
    if (laStatus->text().isEmpty())
        laStatus->setText(UiLanguage::text(text));
    const long long percent = IntDiv<long long>(static_cast<long long>(current) * 100, total);
    const int shown = static_cast<int>(std::clamp<long long>(percent, 0, 100));
    probar->setValue(shown);
    if (probar->value() == 100) {
        probar->setValue(0);
        laStatus->clear();
    }
}

void TForm1::toggleSidePanel(QAction* item, QWidget* panel) {
    const bool visible = !item->isChecked();
    // The panels share one place: opening one closes the one that is open, check mark and all,
    // so they never draw over each other and the slide follows the one that shows.
    if (visible)
        closeOtherSidePanels(panel);
    panel->setProperty(kSidePanelItem, QVariant::fromValue<QObject*>(item));
    panel->setVisible(visible);
    item->setChecked(visible);
    SidePanelOpen = visible;
    TimerFade->start();
}

void TForm1::closeOtherSidePanels(const QWidget* keep) {
    const QWidget* area = keep->parentWidget();
    if (area == nullptr)
        return;
    for (QWidget* other : area->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QVariant item = other->property(kSidePanelItem);
        if (other == keep || !item.isValid())
            continue;
        other->hide();
        if (auto* action = qobject_cast<QAction*>(item.value<QObject*>()))
            action->setChecked(false);
    }
}

void TForm1::closeSidePanel(QAction* item, QWidget* panel) {
    panel->hide();
    item->setChecked(false);
    SidePanelOpen = false;
    TimerFade->start();
}

void TForm1::TimerFadeTimer() {
    // The thresholds are client widths; the limits are the frame-inclusive 545/780 less the frame.
    if (SidePanelOpen) {
        setMaximumWidth(kWideWidth);
        if (width() >= 750) {
            TimerFade->stop();
            setMinimumWidth(kWideWidth);
        } else {
            resize(width() + 11, height());
        }
    } else {
        setMinimumWidth(kNarrowWidth);
        if (width() <= 530) {
            TimerFade->stop();
            setMaximumWidth(kNarrowWidth);
        } else {
            resize(std::max(kNarrowWidth, width() - 11), height());
        }
    }
}
