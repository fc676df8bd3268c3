#include "audio/PlaybackEngine.h"

#include "audio/KernelSpeaker.h"
#include "audio/MidiEngine.h"
#include "audio/PcSpeaker.h"
#include "audio/SoundDevice.h"
#include "audio/SynthWave.h"
#include "audio/SystemBeep.h"
#include "audio/U8Block.h"
#include "base/Guard.h"
#include "base/ListItems.h"
#include "base/ProgressSink.h"
#include "base/Prompts.h"
#include "base/StrToInt.h"
#include "settings/Settings.h"
#include "song/Song.h"

#include <QPointer>
#include <QScopeGuard>
#include <QTimer>

#include <algorithm>

const QString PlaybackEngine::kNoSoundDevice = QStringLiteral("Kein Soundgerät");
const QString PlaybackEngine::kNoSoundDeviceDetail =
    QStringLiteral("Kein Soundgerät gefunden: die Wiedergabe bleibt stumm.");

PlaybackEngine::PlaybackEngine(Song& song, const Settings& settings, ProgressSink& progress,
                               PlaybackView& view, PlaybackPeer& peer)
    : m_song(song), m_settings(settings), m_progress(progress), m_view(view), m_peer(peer),
      m_plan([this](int index) { return lineSound(index); }) {
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
    connectGuarded(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    // Start-up: the Windows 95/98/Me family drives the speaker through the ports.
    UsePortSpeaker = DetectWindowsVersion() < 4;

    // Without a sound device the window says so once, at the first tone, where playback shows
    // its status; the progress steps leave a status text in place until the song ends.
    // (The first sound may be queued by the plan's thread: the status is set on this one.)
    SoundDevice::setNoDeviceNotice([engine = QPointer<PlaybackEngine>(this)] {
        if (!engine)
            return;
        QMetaObject::invokeMethod(engine, [engine] {
            if (engine)
                engine->m_view.showStatus(kNoSoundDevice, kNoSoundDeviceDetail);
        });
    });
}

PlaybackEngine::~PlaybackEngine() {
    SoundDevice::setNoDeviceNotice({});
}

void PlaybackEngine::stopToneTimer() {
    Timer1->stop();
    // Nothing more is queued; what is queued beyond the line heard now is taken back.
    m_plan.takeBack(PlayPosition);
}

void PlaybackEngine::btplayClick() {
    if (PlayStopped) {
        PlayStopped = false;
        Timer1->start();
        m_view.showPlaying(true);
        m_song.renumberLines(m_progress);
        m_view.scrollToStart();
    } else {
        PlayStopped = true;
        Timer1->stop();
        m_view.showPlaying(false);
        // What was queued beyond the line heard now is taken back: Play goes on right after it.
        takeBackQueued();
        silenceSpeaker();
        if (m_midi)
            m_midi->pause();
    }
    Timer1->stop();
    // With "MIDI Output aktivieren" the MIDI engine takes over from here instead.
    if (m_midi && m_midi->selected()) {
        m_midi->MidiEngineStart();
        return;
    }
    prepareToneTable();
    takeOutputSettings();
    m_plan.restart(PlayPosition);
    Timer1->setInterval(10);
    m_peer.startPeer(!PlayStopped);
    if (!PlayStopped) {
        // Tones that this thread plays itself (the ports, a test's hook) are not queued ahead.
        // The first lines are queued here, so the first sound (and the notice of a missing
        // device) comes from this thread, at once.
        if (!m_output.sync) {
            m_plan.topUp();
            m_plan.feed(true);
        }
        Timer1->start();
    }
}

void PlaybackEngine::takeOutputSettings() {
    m_output.waveform = m_settings.fmSynthesis;
    // The kernel's speaker device, like the ports, sounds on this thread as each line is reached.
    m_output.sync = UsePortSpeaker || systemBeepHooked() || KernelSpeaker::instance();
    m_output.volume = SynthVolume;
    m_output.wave = waveformIndex();
}

void PlaybackEngine::prepareToneTable() {
    const int n = m_song.Memo1->count();
    PlayTable.first.resize(std::size_t(n) + 1);
    PlayTable.second.resize(std::size_t(n) + 1);
    PlayTable.third.resize(std::size_t(n) + 1);
    // While a MulTiZ1rp client is connected, track 2 goes to it line by line instead of into
    // the second array.
    m_peer.beginTransfer();
    for (int i = 0; i < n; ++i) {
        PlayTable.first[i] = StrToInt(m_song.Memo1->item(i));
        PlayTable.third[i] = StrToInt(m_song.Memo2->item(i));
        if (m_peer.connected()) {
            PlayTable.second[i] = 0;
            m_peer.sendLine(i);
        } else {
            PlayTable.second[i] = StrToInt(m_song.Memo3->item(i));
        }
    }
    PlayTable.first[n] = -1;
    PlayTable.second[n] = -1;
    PlayTable.third[n] = -1;
    m_peer.endTransfer();
}

void PlaybackEngine::Timer1Timer() {
    // A message box during a tick runs the event loop: a tick falling due then is dropped, the
    // running tick arms the next one when it ends.
    if (m_inTick)
        return;
    m_inTick = true;
    const auto leave = qScopeGuard([this] { m_inTick = false; });
    // The volume and the waveform follow the settings from the next line queued on.
    m_output.volume = SynthVolume;
    m_output.wave = waveformIndex();
    // The plan's thread keeps the queue full; this only starts the first lines at once and
    // goes on after a line sounded here.
    m_plan.topUp();
    // Every line heard since the last tick is stepped now (a late tick catches up).
    while (const auto line = m_plan.takeDue()) {
        stepLine(*line);
        // Stopped, or stopped or paused while the waveform output's message was open.
        if (!Timer1->isActive())
            return;
        if (line->kind == LineSound::Kind::Sync) {
            // A tone played here took its time: the next line comes with the next tick.
            m_plan.topUp();
            break;
        }
    }
    Timer1->start(std::max(1, m_plan.msUntilNextTick().value_or(10)));
}
LineSound PlaybackEngine::lineSound(int index) {
    LineSound sound;
    // The table can be shorter than the position when lines were deleted during a pause.
    if (index < 0 || std::size_t(index) >= PlayTable.first.size() ||
        PlayTable.first[std::size_t(index)] == -1) {
        sound.kind = LineSound::Kind::End;
        return sound;
    }
    int frequency = PlayTable.first[std::size_t(index)];
    if (frequency == 0)
        frequency = PlayTable.second[std::size_t(index)];
    const int duration = PlayTable.third[std::size_t(index)];
    sound.lineSamples = std::uint64_t(SynthWave::sampleCount(duration));
    if (m_output.waveform) {
        const int length = duration / 2;
        // The message, or the error of a tone too long to build, comes when the line is reached.
        if (frequency > SynthWave::kHighestFrequency ||
            SynthWave::sampleCount(length) > SynthWave::kMaxSamples) {
            sound.kind = LineSound::Kind::Sync;
        } else if (frequency != 0) {
            const int wave = m_output.wave;
            const QByteArray image = SynthWave::buildImage(frequency, length, m_output.volume,
                                                           [wave] { return wave; });
            sound.block = std::make_unique<U8Block>(image, SynthWave::kHeaderSize);
        }
    } else if (m_output.sync) {
        sound.kind = LineSound::Kind::Sync;
    } else {
        sound.block = beepBlock(frequency, duration);
    }
    return sound;
}

void PlaybackEngine::stepLine(const TonePlan::Line& line) {
    if (line.kind == LineSound::Kind::End) {
        silenceSpeaker();
        btstopClick();
        return;
    }
    PlayPosition = line.index + 1;
    if (line.kind == LineSound::Kind::Sync) {
        soundLineNow(line.index);
        if (!Timer1->isActive())
            return;
        m_plan.continueAfter(line);
    }
    showPosition();
}

void PlaybackEngine::soundLineNow(int index) {
    int frequency = PlayTable.first[std::size_t(index)];
    if (frequency == 0)
        frequency = PlayTable.second[std::size_t(index)];
    const int duration = PlayTable.third[std::size_t(index)];
    if (m_settings.fmSynthesis) {
        silenceSpeaker();
        PlaySynthTone(frequency, duration / 2);
    } else if (KernelSpeaker* speaker = realSpeaker()) {
        // The speaker sounds until the next line's tick changes it: the plan times the lines
        // on the sound device's clock.
        speaker->start(frequency);
    } else {
        PlaySpeakerTone(frequency, duration);
    }
}

KernelSpeaker* PlaybackEngine::realSpeaker() const {
    return UsePortSpeaker || systemBeepHooked() ? nullptr : KernelSpeaker::instance();
}

void PlaybackEngine::silenceSpeaker() {
    if (KernelSpeaker* speaker = realSpeaker())
        speaker->start(0);
}

void PlaybackEngine::showPosition() {
    if (m_settings.scrollOff)
        return;
    m_song.selectLine(PlayPosition);
    m_progress.ShowProgress(PlayPosition, m_song.Line->count(), QStringLiteral("Spiele Lied"));
}

void PlaybackEngine::takeBackQueued() {
    // The view catches up with a line that is heard but whose tick has not come yet.
    const int resume = m_plan.takeBack(PlayPosition);
    if (resume != PlayPosition) {
        PlayPosition = resume;
        showPosition();
    }
}

void PlaybackEngine::btstopClick() {
    m_view.showPlaying(false);
    PlayStopped = true;
    Timer1->stop();
    m_song.selectLine(0);
    PlayPosition = 0;
    silenceSpeaker();
    m_progress.ShowProgress(1, 1, QString());
    // Nothing queued beyond the line heard now sounds any more: Play starts right after it.
    m_plan.takeBack(0);
    m_peer.stopPeer();
    m_view.playbackEnded();
    // The MIDI engine's timer stops, its notes end, its output closes.
    if (m_midi)
        m_midi->stop();
}

void PlaybackEngine::BitBtn1Click() {
    const int frequency = StrToInt(m_view.entryFrequency());
    const int duration = StrToInt(m_view.entryLength());
    if (m_settings.beeper)
        PlaySpeakerTone(frequency, duration);
    if (m_settings.fmSynthesis)
        PlaySynthTone(frequency, duration / 2);
    if (m_settings.midiOut && m_midi)
        m_midi->MidiToneTest(frequency);
}

void PlaybackEngine::Beeper1Click() {
    const bool waveform = m_settings.fmSynthesis;
    m_view.setOutputMark(OutputMark::FMSynthese, false);
    m_view.setOutputMark(OutputMark::MIDIOut, false);
    m_view.setOutputMark(OutputMark::MidiOutputSetting, false);
    m_view.setOutputMark(OutputMark::Beeper, true);
    if (waveform)
        outputChanged();
}

void PlaybackEngine::FMSynthese1Click() {
    if (m_settings.fmSynthesis) {
        m_view.setOutputMark(OutputMark::FMSynthese, false);
        m_view.setOutputMark(OutputMark::Beeper, true);
        outputChanged();
        return;
    }
    m_view.setOutputMark(OutputMark::FMSynthese, true);
    m_view.setOutputMark(OutputMark::MIDIOut, false);
    m_view.setOutputMark(OutputMark::MidiOutputSetting, false);
    m_view.setOutputMark(OutputMark::Beeper, false);
    outputChanged();
}

void PlaybackEngine::outputChanged() {
    // The output is chosen line by line: lines queued ahead with the other one are queued anew,
    // from the line after the one heard now.
    if (!Timer1->isActive() || m_inTick)
        return;
    silenceSpeaker();
    takeOutputSettings();
    m_plan.replan();
    m_plan.feed(!m_output.sync);
    Timer1->start(0);
}

void PlaybackEngine::PlaySpeakerTone(int frequencyHz, int durationMs) {
    ::PlaySpeakerTone(UsePortSpeaker, frequencyHz, durationMs);
}

int PlaybackEngine::waveformIndex() const {
    return m_settings.waveform;
}

void PlaybackEngine::PlaySynthTone(int frequencyHz, int lengthMs) {
    if (frequencyHz == 0)
        return;
    if (frequencyHz > SynthWave::kHighestFrequency) {
        prompts().showMessage(QStringLiteral("Mit einer Sample-rate von %1 kann ein Ton von %2Hz "
                                             "nicht wiedergegeben werden. Maximal 22050Hz")
                                  .arg(SynthWave::kSampleRate)
                                  .arg(frequencyHz));
        return;
    }
    const QByteArray image = SynthWave::buildImage(frequencyHz, lengthMs, SynthVolume,
                                                   [this] { return waveformIndex(); });
    SynthWave::playImage(image);
}
