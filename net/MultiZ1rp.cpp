#include "net/MultiZ1rp.h"

#include "base/ListItems.h"
#include "base/ProgressSink.h"
#include "base/StrToInt.h"
#include "net/MirrorProtocol.h"
#include "net/MirrorServer.h"
#include "song/Song.h"

#include <QThread>

namespace {

// The transfer's waits hold the window like a tone does: they are part of the timing.
void waitMs(int ms) {
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

} // namespace

MultiZ1rp::MultiZ1rp(const Song& song, ProgressSink& progress, QObject* parent)
    : QObject(parent), m_song(song), m_progress(progress) {
    m_server = new MirrorServer(this);
    connect(m_server, &MirrorServer::peerConnected, this, [this] { MirrorConnected = true; });
    connect(m_server, &MirrorServer::peerDisconnected, this, [this] { MirrorConnected = false; });
}

MultiZ1rp::~MultiZ1rp() = default;

void MultiZ1rp::MultiBeep1Click() {
    m_server->open();
    emit captionChanged(QStringLiteral("Z1rpW3rk 3.3 - MulTiZ1rp"));
}

void MultiZ1rp::beginTransfer() {
    if (!MirrorConnected)
        return;
    m_server->send(MirrorProtocol::clear());
    waitMs(kSettleMs);
}

void MultiZ1rp::sendLine(int line) {
    if (!MirrorConnected)
        return;
    m_server->send(MirrorProtocol::data(m_song.Memo3->item(line), m_song.Memo4->item(line)));
    // A one-line song reports against a total of 0, which the progress display takes as done.
    m_progress.ShowProgress(line, m_song.Memo3->count() - 1, QStringLiteral("Sende Daten..."));
    m_responsive.step();
}

void MultiZ1rp::endTransfer() {
    if (MirrorConnected)
        m_server->send(MirrorProtocol::endOfData());
}

void MultiZ1rp::startPeer(bool startsPlayback) {
    if (startsPlayback && MirrorConnected) {
        waitMs(kSettleMs);
        m_server->send(MirrorProtocol::play());
        waitMs(kSettleMs);
    }
    // A song without lines has no first duration to wait for.
    if (MirrorConnected && m_song.Memo4->count() > 0)
        waitMs(StrToInt(m_song.Memo4->item(0)));
}

void MultiZ1rp::stopPeer() {
    if (MirrorConnected)
        m_server->send(MirrorProtocol::clear());
}
