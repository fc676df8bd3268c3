#include "audio/MidiEngine.h"
#include "audio/MidiLoopback.h"
#include "audio/PlaybackEngine.h"
#include "audio/SystemBeep.h"
#include "base/ListItems.h"
#include "base/ProgressSink.h"
#include "settings/Settings.h"
#include "song/Song.h"
#include "song/NoteTable.h"

#include <QtTest>

namespace {

/// The windows' side, recorded: what the engines show and tell the mirror.
struct Recorder final : PlaybackView, PlaybackPeer, MidiView {
    NoteTable notes = NoteTable::loadStored();
    bool peer = false;
    QStringList events;

    void showPlaying(bool playing) override { events << (playing ? "Pause" : "Play"); }
    void scrollToStart() override {}
    void showStatus(const QString&, const QString&) override {}
    void playbackEnded() override { events << "ended"; }
    QString entryFrequency() const override { return {}; }
    QString entryLength() const override { return {}; }
    void setOutputMark(OutputMark, bool) override {}
    bool connected() const override { return peer; }
    void beginTransfer() override {}
    void sendLine(int line) override { events << QStringLiteral("peer %1").arg(line); }
    void endTransfer() override {}
    void startPeer(bool) override {}
    void stopPeer() override {}
    const NoteTable* noteTable() const override { return &notes; }
    void setPlaybackLock(bool playing) override { events << (playing ? "lock" : "unlock"); }
};

} // namespace

/// Both engines play a song of three lines from a `Song` and a `Settings` value alone: no
/// window, no widget, no settings dialog.
class TestAudioEngines : public QObject {
    Q_OBJECT

private slots:
    void playsSongWithoutWindow_data() {
        QTest::addColumn<bool>("midi");
        QTest::addColumn<bool>("drum2");    // track 2 as percussion
        QTest::addColumn<bool>("peer");     // a mirror peer takes track 2
        QTest::addColumn<QStringList>("expected");
        const QStringList play{"Pause"};
        // Stop also unlocks the MIDI settings, whichever engine played.
        const QStringList stop{"Play", "ended", "unlock"};
        // Lines: 440 Hz + rest / rest + 262 Hz / 330 Hz + 330 Hz, 30 ms each.
        QTest::newRow("beeper") << false << false << false
                                << play + QStringList{"440/30", "262/30", "330/30"} + stop;
        QTest::newRow("beeper, mirror") << false << false << true
                                        << play + QStringList{"peer 0", "peer 1", "peer 2",
                                                              "440/30", "0/30", "330/30"} + stop;
        // Each line's note-offs come with the next line; the last line's before the end.
        const QStringList programs{"C0 05 00", "C1 00 00"};
        const QStringList lastOffs{"80 40 50", "81 40 64", "89 23 50", "89 26 64"};
        QTest::newRow("MIDI") << true << false << false
                              << play + QStringList{"lock"} + programs +
                                     QStringList{"90 45 50", "80 45 50", "89 23 50", "91 3C 64",
                                                 "81 3C 64", "89 26 64", "90 40 50", "91 40 64"} +
                                     lastOffs + stop;
        QTest::newRow("MIDI, track 2 drum")
            << true << true << false
            << play + QStringList{"lock"} + programs +
                   QStringList{"90 45 50", "80 45 50", "89 23 50", "99 26 64", "81 3C 64",
                               "89 26 64", "90 40 50", "99 26 64"} +
                   lastOffs + stop;
    }

    void playsSongWithoutWindow() {
        QFETCH(bool, midi);
        QFETCH(bool, drum2);
        QFETCH(bool, peer);
        QFETCH(QStringList, expected);
        MidiLoopback devices{{"Loop Out"}, {}};
        setMidiPlatform(&devices);
        Recorder view;
        view.peer = peer;
        setSystemBeepHook([&](int f, int d) { view.events << QStringLiteral("%1/%2").arg(f).arg(d); });
        const auto restore = qScopeGuard([] {
            setSystemBeepHook({});
            setMidiPlatform(nullptr);
        });

        Song song;
        for (const auto& [f1, f2] : {std::pair{"440", "0"}, {"0", "262"}, {"330", "330"}}) {
            song.Memo1->add(f1);
            song.Memo2->add("30");
            song.Memo3->add(f2);
            song.Memo4->add("30");
        }
        Settings settings;
        settings.midiOutput = midi;
        settings.midiTracks[0].instrument = 5;
        settings.midiTracks[0].velocity = 80;
        settings.midiTracks[1].drumMode = drum2;
        settings.midiTracks[1].drum = 3;
        NoProgress progress;
        PlaybackEngine playback(song, settings, progress, view, view);
        MidiEngine midiEngine(song, settings, playback, view);

        playback.btplayClick();
        QCOMPARE(song.Line->count(), 3);
        QTRY_VERIFY_WITH_TIMEOUT(playback.PlayStopped, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(view.events.size() + devices.sentTexts().size(),
                                  expected.size(), 5000);
        QStringList seen = view.events;
        if (midi) // the device's messages between locking and the end
            seen = seen.mid(0, 2) + devices.sentTexts() + seen.mid(2);
        QCOMPARE(seen, expected);
        QCOMPARE(song.Memo1->itemIndex(), 0);
    }
};

QTEST_GUILESS_MAIN(TestAudioEngines)
#include "tst_audioengines.moc"
