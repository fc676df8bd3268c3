#include "net/MultiZ1rp.h"

#include "base/Guard.h"
#include "base/ListBox.h"
#include "base/StrToInt.h"
#include "net/MirrorProtocol.h"
#include "net/MirrorServer.h"
#include "song/MainWindow.h"

#include <QAction>
#include <QThread>

namespace {

// The transfer's waits hold the window like a tone does: they are part of the timing.
void waitMs(int ms) {
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

} // namespace

MultiZ1rp::MultiZ1rp(TForm1& form) : QObject(&form), m_form(form) {
    m_server = new MirrorServer(this);
    connect(m_server, &MirrorServer::peerConnected, this,
            [this] { m_form.MirrorConnected = true; });
    connect(m_server, &MirrorServer::peerDisconnected, this,
            [this] { m_form.MirrorConnected = false; });
    connect(form.MultiBeep1, &QAction::triggered, this,
            [this] { guarded([this] { MultiBeep1Click(); }); });
}

MultiZ1rp::~MultiZ1rp() = default;

void MultiZ1rp::MultiBeep1Click() {
    m_server->open();
    m_form.setWindowTitle(QStringLiteral("Z1rpW3rk 3.3 - MulTiZ1rp"));
}

void MultiZ1rp::beginTransfer() {
    if (!m_form.MirrorConnected)
        return;
    m_server->send(MirrorProtocol::clear());
    waitMs(kSettleMs);
}

void MultiZ1rp::sendLine(int line) {
    if (!m_form.MirrorConnected)
        return;
    m_server->send(MirrorProtocol::data(m_form.Memo3->item(line), m_form.Memo4->item(line)));
    // A one-line song reports against a total of 0, which the progress display takes as done.
    m_form.ShowProgress(line, m_form.Memo3->count() - 1, QStringLiteral("Sende Daten..."));
    m_responsive.step();
}

void MultiZ1rp::endTransfer() {
    if (m_form.MirrorConnected)
        m_server->send(MirrorProtocol::endOfData());
}

void MultiZ1rp::startPeer(bool startsPlayback) {
    if (startsPlayback && m_form.MirrorConnected) {
        waitMs(kSettleMs);
        m_server->send(MirrorProtocol::play());
        waitMs(kSettleMs);
    }
    // A song without lines has no first duration to wait for.
    if (m_form.MirrorConnected && m_form.Memo4->count() > 0)
        waitMs(StrToInt(m_form.Memo4->item(0)));
}

void MultiZ1rp::stopPeer() {
    if (m_form.MirrorConnected)
        m_server->send(MirrorProtocol::clear());
}
