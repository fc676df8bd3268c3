#include "gui/OnlineLibrary.h"

#include "base/Errors.h"
#include "base/Guard.h"
#include "gui/ListBox.h"
#include "base/Prompts.h"
#include "net/FtpClient.h"
#include "net/LibraryConnection.h"
#include "gui/SettingsDialog.h"
#include "gui/SettingsNetworkPage.h"
#include "gui/MainWindow.h"
#include "gui/PanelCloseLabel.h"
#include "gui/SidePanels.h"

#include <QAction>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>

namespace {

const QString kError = QStringLiteral("Fehler");
const QString kListFailed = QStringLiteral(
    "Online Liste konnte nicht bezogen werden. Bitte kontaktieren sie das Qorvel-Network Team");
const QString kUploadFailed = QStringLiteral(
    "Hochladen der Datei fehlgeschlagen. Bitte kontaktieren sie das Qorvel-Network Team");
const QString kUploadNote = QStringLiteral("Bedenke, die Datei wird Unveränderbar hochgeladen");
const QString kTitle = QStringLiteral("Z1rpW3rk 3.3");
constexpr int kTitleStepMs = 20;

constexpr int kListWidth = 529;
constexpr int kListHeight = 161;

} // namespace

OnlineLibrary::OnlineLibrary(TForm1& form)
    : QObject(&form), connection(new LibraryConnection(this)), IdFTP1(connection->IdFTP1),
      m_form(form) {
    createListBox();
    createUploadPanel();

    SidePanels::onMenuClick(form.ListderonlineDateien1, this,
                            [this] { ListderonlineDateien1Click(); });
    SidePanels::onMenuClick(form.Hochladen1, this, [this] { Hochladen1Click(); });
    connectGuarded(TimerFadeListe, &QTimer::timeout, this, [this] { TimerFadeListeTimer(); });
    connectGuarded(Memo6, &ListBox::Click, this, [this] { Memo6Click(); });
    connectGuarded(Label8, &PanelCloseLabel::clicked, this, [this] { Label8Click(); });
    connectGuarded(bthochladen, &QPushButton::clicked, this, [this] { bthochladenClick(); });
}

OnlineLibrary::~OnlineLibrary() = default;

void OnlineLibrary::createListBox() {
    QWidget* client = m_form.centralWidget();
    Memo6 = new ListBox(client, *connection->names);
    Memo6->setObjectName(QStringLiteral("Memo6"));
    Memo6->setUniformItemSizes(true);
    // Waits just below the visible area until the menu reveals it.
    Memo6->setGeometry(0, client->height(), kListWidth, kListHeight);

    TimerFadeListe = new QTimer(this);
    TimerFadeListe->setObjectName(QStringLiteral("TimerFadeListe"));
    TimerFadeListe->setInterval(3);
    TimerFadeListe->setTimerType(Qt::PreciseTimer);
}

void OnlineLibrary::createUploadPanel() {
    gbHochladen =
        SidePanels::create(m_form, QStringLiteral("gbHochladen"), QStringLiteral("Hochladen"), 81);
    const QFont plain = gbHochladen->property("plainFont").value<QFont>();
    edDateiname =
        SidePanels::field(gbHochladen, QStringLiteral("edDateiname"), QString(), 8, 20, 105,
                          QStringLiteral("Dateiname"), 120, QStringLiteral("Label7"));
    Label7 = gbHochladen->findChild<QLabel*>(QStringLiteral("Label7"));
    bthochladen = new QPushButton(QStringLiteral("Hochladen"), gbHochladen);
    bthochladen->setObjectName(QStringLiteral("bthochladen"));
    bthochladen->setFont(plain);
    bthochladen->setAutoDefault(false);
    bthochladen->setGeometry(8, 48, 105, 25);
    Label8 = SidePanels::closeLabel(gbHochladen, QStringLiteral("Label8"));
}

void OnlineLibrary::connectAtStart(TForm6& settings) {
    if (auto* page = settings.findChild<SettingsNetworkPage*>())
        page->connectAtStart();
}

void OnlineLibrary::connectAndFetchList() {
    connection->connectAndFetchList(m_form.FtpHost, m_form.FtpUser, m_form.FtpPassword);
}

void OnlineLibrary::fetchList() {
    connection->fetchList();
}

void OnlineLibrary::ListderonlineDateien1Click() {
    QAction* item = m_form.ListderonlineDateien1;
    if (item->isChecked()) {
        item->setChecked(false);
    } else {
        ListBaseHeight = m_form.centralWidget()->height();
        item->setChecked(true);
        Memo6->move(0, ListBaseHeight);
        try {
            fetchList();
        } catch (const std::exception&) {
            prompts().messageBox(kListFailed, kError, Prompts::Icon::Error);
        }
        m_anchoredTop = true;
    }
    TimerFadeListe->start();
}

void OnlineLibrary::TimerFadeListeTimer() {
    const int clientHeight = m_form.centralWidget()->height();
    if (m_form.ListderonlineDateien1->isChecked()) {
        if (clientHeight >= ListBaseHeight + kListReveal)
            TimerFadeListe->stop();
        else
            m_form.resize(m_form.width(), m_form.height() + kListStep);
    } else {
        if (ListBaseHeight + 5 >= clientHeight) {
            TimerFadeListe->stop();
            m_anchoredTop = false;
            // Back at the bottom: the song area and the logo follow the window's height again.
            m_form.resize(m_form.width(), m_form.height() + 1);
            m_form.resize(m_form.width(), m_form.height() - 1);
        } else {
            m_form.resize(m_form.width(), m_form.height() - kListStep);
        }
    }
}

void OnlineLibrary::FormResize() {
    if (!m_anchoredTop)
        return;
    const int songHeight = std::max(0, ListBaseHeight - 16);
    for (ListBox* list : {m_form.Line, m_form.Memo1, m_form.Memo2, m_form.Memo3, m_form.Memo4})
        list->resize(list->width(), songHeight);
    m_form.Label9->move(m_form.Label9->x(), 248 + ListBaseHeight - TForm1::kClientHeight);
    if (m_form.ListderonlineDateien1->isChecked())
        Memo6->move(0, ListBaseHeight);
}

void OnlineLibrary::Memo6Click() {
    // A single-selection list: the selected entry is the one clicked.
    const int index = Memo6->itemIndex();
    if (index < 0 || !m_form.mayReplaceSong())
        return;
    if (const auto fileName = connection->download(index))
        m_form.LoadSongFile(*fileName);
}

const QStringList& OnlineLibrary::titleVariants() {
    // One letter changes from each caption to the next: stylised to plain and back.
    static const QStringList variants = {
        QStringLiteral("Z1rpW3rk"), QStringLiteral("ZirpW3rk"), QStringLiteral("Zirpw3rk"),
        QStringLiteral("Zirpwerk"), QStringLiteral("zirpwerk"), QStringLiteral("Zirpwerk"),
        QStringLiteral("Zirpw3rk"), QStringLiteral("ZirpW3rk"), QStringLiteral("Z1rpW3rk"),
    };
    return variants;
}

void OnlineLibrary::AnimateTitle() {
    for (const QString& variant : titleVariants()) {
        m_form.setWindowTitle(variant + QStringLiteral(" 3.3"));
        QThread::msleep(kTitleStepMs);
    }
    m_form.setWindowTitle(kTitle);
}

void OnlineLibrary::Hochladen1Click() {
    gbHochladen->show();
    AnimateTitle();
    const bool opening = !m_form.Hochladen1->isChecked();
    m_form.toggleSidePanel(m_form.Hochladen1, gbHochladen);
    if (opening)
        prompts().messageBox(kUploadNote, QStringLiteral("Hinweis"), Prompts::Icon::Information);
}

void OnlineLibrary::Label8Click() {
    m_form.closeSidePanel(m_form.Hochladen1, gbHochladen);
}

void OnlineLibrary::bthochladenClick() {
    const QString name = edDateiname->text();
    try {
        connection->upload(name, *m_form.song);
    } catch (const std::exception&) {
        prompts().messageBox(kUploadFailed, kError, Prompts::Icon::Error);
    }
}

void OnlineLibrary::FormClose() {
    connection->quit();
}
