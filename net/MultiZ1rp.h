#pragma once

#include "base/ResponsiveLoop.h"

#include <QObject>

class MirrorServer;
class ProgressSink;
class Song;

/// The program's side of the MulTiZ1rp mirror: the "Multi-Beep" command, the connection
/// state `MirrorConnected`, and the transfer of the song's track 2 that Play, Pause and Stop
/// run.
///
/// The transfer is split in the steps the tone engine calls while it prepares its table;
/// each step sends only while a peer is connected.
class MultiZ1rp final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MultiZ1rp)

public:
    /// Pause after "C" and around "P", so the peer has settled before the next message.
    static constexpr int kSettleMs = 250;

    /// Transfers `song`'s track 2 and shows the transfer's progress on `progress`.
    MultiZ1rp(const Song& song, ProgressSink& progress, QObject* parent = nullptr);
    ~MultiZ1rp() override;

    /// A peer is connected: track 2 goes to it instead of sounding here.
    bool MirrorConnected = false;

    /// The mirror server `ssBeep`.
    MirrorServer& ssBeep() { return *m_server; }

    /// "Multi-Beep": starts listening and marks the caption.
    void MultiBeep1Click();


    /// Play and Pause, before the lines: "C", then the settling pause.
    void beginTransfer();
    /// One song line: its track-2 tone, and the progress "Sende Daten...".
    void sendLine(int line);
    /// After the lines: "D-1|-1".
    void endTransfer();
    /// After the table is ready: on Play the settling pause, "P" and another pause; then, on
    /// Play and Pause, the first track-2 duration, so the peer's first tone leads the local one.
    void startPeer(bool startsPlayback);
    /// Stop and the end of the song: "C".
    void stopPeer();

signals:
    /// The window's caption while the mirror listens.
    void captionChanged(const QString& caption);

private:
    const Song& m_song;
    ProgressSink& m_progress;
    MirrorServer* m_server = nullptr;
    ResponsiveLoop m_responsive;
};
