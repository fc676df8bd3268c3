#include "gui/SettingsDialog.h"

#include "audio/PlaybackEngine.h"
#include "gui/AfterShown.h"
#include "gui/Controls.h"
#include "base/Guard.h"
#include "base/ToolkitTranslations.h"
#include "gui/UiLanguage.h"
#include "gui/ControlLookup.h"
#include "gui/EnglishDictionary.h"
#include "gui/EnglishTexts.h"
#include "gui/InfoText.h"
#include "gui/LiveSettings.h"
#include "gui/Pictures.h"
#include "gui/SettingsLinks.h"
#include "gui/SettingsMidiPage.h"
#include "gui/SettingsNetworkPage.h"
#include "settings/SettingsStore.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace {

QGroupBox* group(QWidget* parent, const QString& name, const QString& title,
                 const QRect& geometry) {
    auto* box = named(new QGroupBox(title, parent), name);
    box->setGeometry(geometry);
    return box;
}

QCheckBox* check(QWidget* parent, const QString& name, const QString& text, const QRect& geometry) {
    auto* box = named(new QCheckBox(text, parent), name);
    box->setGeometry(geometry);
    return box;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, int left, int top) {
    auto* l = named(new QLabel(text, parent), name);
    l->move(left, top);
    l->adjustSize();
    return l;
}

QLineEdit* keyEdit(QWidget* parent, const QString& name, const QString& letter, int left, int top) {
    auto* edit = named(new QLineEdit(letter, parent), name);
    edit->setGeometry(left, top, 17, 21);
    edit->setMaxLength(1);
    edit->setAlignment(Qt::AlignCenter);
    return edit;
}

} // namespace

TForm6::TForm6(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Einstellungen"));
    setFixedSize(426, 395);
    setModal(false);
    // Centred on the screen once; shown and hidden again, it keeps its place.
    centerOnScreen(this);

    TabbedNotebook1 = named(new QTabWidget(this), QStringLiteral("TabbedNotebook1"));
    TabbedNotebook1->setGeometry(0, 0, 425, 393);
    const auto addPage = [this](const QString& name, const QString& title) {
        auto* page = named(new QWidget, name);
        TabbedNotebook1->addTab(page, title);
        return page;
    };
    pageAnzeige = addPage(QStringLiteral("pageAnzeige"), QStringLiteral("Anzeige"));
    pageMulTiZ1rp = addPage(QStringLiteral("pageMulTiZ1rp"), QStringLiteral("MulTiZ1rp"));
    pageOnlineDB = addPage(QStringLiteral("pageOnlineDB"), QStringLiteral("OnlineDB"));
    pageKlaviatur = addPage(QStringLiteral("pageKlaviatur"), QStringLiteral("Klaviatur"));
    pageSynthese = addPage(QStringLiteral("pageSynthese"), QStringLiteral("Synthese"));
    pageMIDI = addPage(QStringLiteral("pageMIDI"), QStringLiteral("MIDI"));
    pageCredits = addPage(QStringLiteral("pageCredits"), QStringLiteral("Credits"));
    pageInfo = addPage(QStringLiteral("pageInfo"), QStringLiteral("Info"));

    // All eight tabs in one row without scroll arrows: their captions get a compact font
    // and padding.
    QTabBar* tabs = TabbedNotebook1->tabBar();
    QFont tabFont = tabs->font();
    tabFont.setPixelSize(11);
    tabs->setFont(tabFont);
    tabs->setStyleSheet(QStringLiteral(
        "QTabBar::tab { padding: 3px 4px; border: 1px solid #a0a0a0; border-bottom: none;"
        " background: #e4e4e4; margin-top: 2px; }"
        "QTabBar::tab:selected { background: white; margin-top: 0px; }"));
    tabs->setUsesScrollButtons(false);
    tabs->setElideMode(Qt::ElideNone);

    // Bottom right, "Übernehmen" left of "OK"; a caption wider than the 75 pixels widens its
    // button to the left instead of being cut.
    const auto fitting = [](QPushButton* button) {
        const QString caption = button->text().remove(QLatin1Char('&'));
        return std::max(75, button->fontMetrics().horizontalAdvance(caption) + 14);
    };
    btOk = named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("btOk"));
    const int okWidth = fitting(btOk);
    btOk->setGeometry(419 - okWidth, 362, okWidth, 25);
    btUe = named(new QPushButton(QStringLiteral("Übernehmen"), this), QStringLiteral("btUe"));
    const int ueWidth = fitting(btUe);
    btUe->setGeometry(btOk->x() - 5 - ueWidth, 362, ueWidth, 25);

    connectGuarded(btOk, &QPushButton::clicked, this, [this] { btOkClick(); });
    connectGuarded(btUe, &QPushButton::clicked, this, [this] { btUeClick(); });
    connectGuarded(tabs, &QTabBar::tabBarClicked, this, [this] { TabbedNotebook1Click(); });

    buildAnzeige();
    networkPage = new SettingsNetworkPage(*this); // "MulTiZ1rp" and "OnlineDB"
    buildKlaviatur();
    buildSynthese();
    buildMidi();
    buildCredits();
    buildInfo();

    live = std::make_unique<LiveSettings>(*this, forms().settings);
    FormCreate();
}

TForm6::~TForm6() = default;

const Settings& TForm6::settings() const {
    return live->value();
}

void TForm6::FormCreate() {
    const std::optional<QString> readme = InfoText::readmeNfo();
    if (readme)
        mInfo->setPlainText(*readme);
    LoadSettings();
    m_hasMidiInput = fillMidiDeviceLists(*this);
    if (!m_hasMidiInput)
        setToolTip(QStringLiteral("NOMIDIIN"));
    // The library connects once the main window is on the screen: a server that accepts but
    // never answers must not keep the window from appearing.
    if (TForm1* main = forms().Form1) {
        m_libraryConnectionPending = true;
        runAfterShown(main, this, [this] {
            connectLibraryAtStart();
            m_libraryConnectionPending = false;
        });
    }
    CreditsShifted = false;
    if (TForm1* main = forms().Form1; main && main->playback)
        main->playback->SynthVolume = tbfm->value();
    // English: the described captions first, then every other text through the dictionary as
    // each window is shown, and the toolkit's own dialogs and key names in English too.
    const bool english = cbSprache->currentIndex() == 1;
    UiLanguage::setEnglish(english ? &EnglishDictionary::lookup : nullptr);
    if (english) {
        installToolkitTranslations(true);
        EnglishTexts::apply(*this);
        if (!readme)
            mInfo->setPlainText(InfoText::builtIn(true));
    }
    showMelodyGlyphs(*this);
}

void TForm6::connectLibraryAtStart() {
    // The own server's address and credentials are stored; with auto-connect the start-up
    // connection uses them instead of waiting for "OK", so an own library is online at start
    // like a preset one.
    const auto* servers = requiredControl<QComboBox>(this, QStringLiteral("ComboBox1"));
    const auto* autoconnect = requiredControl<QCheckBox>(this, QStringLiteral("cbAutoconnect"));
    TForm1* main = forms().Form1;
    if (main && servers && autoconnect && autoconnect->isChecked() &&
        servers->currentIndex() == SettingsStore::kOwnServer) {
        const auto text = [this](const QString& name) {
            const auto* edit = requiredControl<QLineEdit>(this, name);
            return edit ? edit->text() : QString();
        };
        setLibraryCredentials(*main, text(QStringLiteral("edAdresse")),
                              text(QStringLiteral("edUser")), text(QStringLiteral("edPw")));
    }
    ::connectLibraryAtStart(*this);
}

void TForm6::LoadSettings() {
    live->LoadSettings();
}

void TForm6::ApplySettings() {
    live->ApplySettings();
}

void TForm6::buildAnzeige() {
    GroupBox2 = group(pageAnzeige, QStringLiteral("GroupBox2"), QStringLiteral("Anzeigeoptionen"),
                      QRect(8, 8, 401, 137));
    cbblink = check(GroupBox2, QStringLiteral("cbblink"),
                    QStringLiteral("Logo Blinkeffekt deaktivieren"), QRect(16, 20, 370, 20));
    cbbg = check(GroupBox2, QStringLiteral("cbbg"), QStringLiteral("Hintergrundbild entfernen"),
                 QRect(16, 42, 370, 20));
    cbscroll = check(GroupBox2, QStringLiteral("cbscroll"),
                     QStringLiteral("Scrolleffekt deaktiveren"), QRect(16, 64, 370, 20));
    cbtrans = check(GroupBox2, QStringLiteral("cbtrans"),
                    QStringLiteral("Z1rpW3rk durchsichtig machen"), QRect(16, 86, 370, 20));
    cbBMMINFO = check(GroupBox2, QStringLiteral("cbBMMINFO"),
                      QStringLiteral("Informationen zu BMM ausblenden"), QRect(16, 108, 370, 20));
    connectGuarded(cbtrans, &QCheckBox::clicked, this, [this] { cbtransClick(); });

    Sprache = group(pageAnzeige, QStringLiteral("Sprache"), QStringLiteral("Sprache"),
                    QRect(8, 152, 401, 57));
    cbSprache = named(new QComboBox(Sprache), QStringLiteral("cbSprache"));
    cbSprache->addItems({QStringLiteral("Deutsch"), QStringLiteral("English")});
    cbSprache->setGeometry(16, 22, 145, 24);
    Label16 = label(Sprache, QStringLiteral("Label16"), QStringLiteral("Neustarten zum Übernehmen"),
                    176, 26);
}

void TForm6::buildKlaviatur() {
    GroupBox5 = group(pageKlaviatur, QStringLiteral("GroupBox5"), QStringLiteral("Klaviatur"),
                      QRect(8, 8, 337, 193));
    imgKlaviatur = named(new QLabel(GroupBox5), QStringLiteral("imgKlaviatur"));
    imgKlaviatur->setGeometry(8, 16, 320, 170);
    imgKlaviatur->setPixmap(QPixmap::fromImage(Pictures::loadOrReport(Pictures::kPiano)));
    // White keys along the bottom, black keys higher up, on a 320-pixel octave.
    // Each key shows the letter that plays it in the keyboard window.
    const int whiteTop = 16 + 170 - 28;
    const int blackTop = 16 + 80;
    const auto whiteLeft = [](int key) { return 8 + key * 320 / 7 + 320 / 14 - 8; };
    edC = keyEdit(GroupBox5, QStringLiteral("edC"), QStringLiteral("a"), whiteLeft(0), whiteTop);
    edD = keyEdit(GroupBox5, QStringLiteral("edD"), QStringLiteral("s"), whiteLeft(1), whiteTop);
    edE = keyEdit(GroupBox5, QStringLiteral("edE"), QStringLiteral("d"), whiteLeft(2), whiteTop);
    edF = keyEdit(GroupBox5, QStringLiteral("edF"), QStringLiteral("f"), whiteLeft(3), whiteTop);
    edG = keyEdit(GroupBox5, QStringLiteral("edG"), QStringLiteral("g"), whiteLeft(4), whiteTop);
    edA = keyEdit(GroupBox5, QStringLiteral("edA"), QStringLiteral("h"), whiteLeft(5), whiteTop);
    edB = keyEdit(GroupBox5, QStringLiteral("edB"), QStringLiteral("j"), whiteLeft(6), whiteTop);
    const auto blackLeft = [](int afterWhite) { return 8 + (afterWhite + 1) * 320 / 7 - 8; };
    edCr = keyEdit(GroupBox5, QStringLiteral("edCr"), QStringLiteral("w"), blackLeft(0), blackTop);
    edDr = keyEdit(GroupBox5, QStringLiteral("edDr"), QStringLiteral("e"), blackLeft(1), blackTop);
    edFr = keyEdit(GroupBox5, QStringLiteral("edFr"), QStringLiteral("t"), blackLeft(3), blackTop);
    edGr = keyEdit(GroupBox5, QStringLiteral("edGr"), QStringLiteral("z"), blackLeft(4), blackTop);
    edAr = keyEdit(GroupBox5, QStringLiteral("edAr"), QStringLiteral("u"), blackLeft(5), blackTop);

    GroupBox6 = group(pageKlaviatur, QStringLiteral("GroupBox6"), QStringLiteral("Eigenschaften"),
                      QRect(8, 208, 401, 81));
    cbNotenhinzu =
        check(GroupBox6, QStringLiteral("cbNotenhinzu"),
              QStringLiteral("gespielte Noten zum Lied hinzufügen"), QRect(16, 20, 370, 20));
    cbNotenhinzu->hide();
    Label9 = label(GroupBox6, QStringLiteral("Label9"), QStringLiteral("Skin"), 16, 48);
    ComboBox2 = named(new QComboBox(GroupBox6), QStringLiteral("ComboBox2"));
    ComboBox2->addItems({QStringLiteral("Z1rpW3rk Smooth"), QStringLiteral("Z1rpW3rk Hard"),
                         QStringLiteral("Klavier normal")});
    ComboBox2->setCurrentIndex(2); // "Klavier normal", the skin a new installation gets
    ComboBox2->setGeometry(56, 44, 169, 24);
}

void TForm6::buildSynthese() {
    GroupBox1 = group(pageSynthese, QStringLiteral("GroupBox1"), QStringLiteral("Volume"),
                      QRect(8, 8, 401, 73));
    Label14 = label(GroupBox1, QStringLiteral("Label14"), QStringLiteral("Volume:"), 16, 22);
    laMuted = label(GroupBox1, QStringLiteral("laMuted"), QStringLiteral("Muted"), 80, 22);
    QFont bold = laMuted->font();
    bold.setBold(true);
    laMuted->setFont(bold);
    laMuted->setStyleSheet(QStringLiteral("color: red;"));
    laMuted->hide();
    tbfm = named(new QSlider(Qt::Horizontal, GroupBox1), QStringLiteral("tbfm"));
    tbfm->setRange(0, 100);
    tbfm->setValue(80);
    tbfm->setGeometry(16, 40, 369, 24);

    rgTon = group(pageSynthese, QStringLiteral("rgTon"), QStringLiteral("Tonart"),
                  QRect(8, 88, 401, 121));
    rgTonItems = new QButtonGroup(rgTon);
    const QStringList items = {QStringLiteral("Sinus"), QStringLiteral("Square [Standard]"),
                               QStringLiteral("Square-Root"), QStringLiteral("White noise")};
    for (int i = 0; i < items.size(); ++i) {
        auto* radio =
            named(new QRadioButton(items[i], rgTon), QStringLiteral("rgTonItem%1").arg(i));
        radio->setGeometry(16, 20 + i * 24, 370, 20);
        rgTonItems->addButton(radio, i);
    }
    setRgTonItemIndex(1);
    connectGuarded(tbfm, &QSlider::valueChanged, this, [this] { tbfmChange(); });
    tbfmChange();
}

void TForm6::buildMidi() {
    // The page's controls are the dialog's children; the page object holds them.
    midiPage = new SettingsMidiPage(*this);
}

void TForm6::buildCredits() {
    Image1 = named(new QLabel(pageCredits), QStringLiteral("Image1"));
    Image1->setGeometry(32, 8, 350, 88);
    Image1->setPixmap(QPixmap::fromImage(Pictures::loadOrReport(Pictures::kCredits)));

    Label2 = label(pageCredits, QStringLiteral("Label2"), QStringLiteral("Coder:"), 32, 112);
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    Label2->adjustSize();
    const QStringList lines = {
        QStringLiteral("Z1rpW3rk-Team  –  Programmierung, Oberfläche"),
        QStringLiteral("Z1rpW3rk-Team  –  Klang, Synthese und MIDI"),
        QStringLiteral("Z1rpW3rk-Team  –  Netzwerk und Online-Datenbank"),
    };
    for (int i = 0; i < lines.size(); ++i)
        label(pageCredits, QStringLiteral("laCredit%1").arg(i + 1), lines[i], 48, 136 + i * 22);

    Label15 =
        label(pageCredits, QStringLiteral("Label15"), QStringLiteral("Z1rpW3rk 3.3"), 32, 300);
}

void TForm6::buildInfo() {
    mInfo = named(new QPlainTextEdit(pageInfo), QStringLiteral("mInfo"));
    mInfo->setGeometry(4, 4, 411, 330);
    mInfo->setReadOnly(true);
    mInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setPixelSize(10);
    mInfo->setFont(fixed);
    mInfo->setPlainText(InfoText::builtIn());
}

int TForm6::rgTonItemIndex() const {
    return rgTonItems->checkedId();
}

void TForm6::setRgTonItemIndex(int index) {
    if (QAbstractButton* button = rgTonItems->button(index)) {
        button->setChecked(true);
        return;
    }
    rgTonItems->setExclusive(false);
    if (QAbstractButton* checked = rgTonItems->checkedButton())
        checked->setChecked(false);
    rgTonItems->setExclusive(true);
}

void TForm6::Einstellungen1Click() {
    show();
    raise();
    activateWindow();
}

void TForm6::tbfmChange() {
    if (TForm1* main = forms().Form1; main && main->playback)
        main->playback->SynthVolume = tbfm->value();
    laMuted->setVisible(tbfm->value() == 0);
}

void TForm6::btOkClick() {
    // A failed step (a port that is no number) keeps the dialog open to correct it.
    ApplySettings();
    hide();
}

void TForm6::btUeClick() {
    ApplySettings();
}

void TForm6::TabbedNotebook1Click() {
    if (CreditsShifted)
        return;
    Image1->move(Image1->x() + 8, Image1->y());
    CreditsShifted = true;
}

void TForm6::cbtransClick() {
    if (cbtrans->isChecked())
        cbbg->setChecked(true);
}
