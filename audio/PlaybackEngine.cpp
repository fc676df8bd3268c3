#include "audio/PlaybackEngine.h"

#include "audio/KernelSpeaker.h"
#include "audio/MidiEngine.h"
#include "audio/PcSpeaker.h"
#include "audio/SoundDevice.h"
#include "audio/SynthWave.h"
#include "audio/SystemBeep.h"
#include "audio/TwoVoices.h"
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
#include <QScopedValueRollback>
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
    // With "Schleife" the plan goes back to the loop's first line after its last.
    m_plan.setFollow([this](int index) { return nextLine(index); });

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
    try {
        startPlaying();
    } catch (...) {
        // After a failure nothing plays and the commands are idle again: Play reads "Play".
        const std::exception_ptr error = std::current_exception();
        try {
            btstopClick();
        } catch (...) {
        }
        std::rethrow_exception(error);
    }
}

void PlaybackEngine::startPlaying() {
    if (PlayStopped) {
        // A line heard on its own gives way to the song.
        m_audition.cut();
        PlayStopped = false;
        Timer1->start();
        m_view.showPlaying(true);
        m_song.renumberLines(m_progress);
        m_view.scrollToStart();
        if (!m_loopChosen)
            chooseLoop();
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
    m_output.loop = m_settings.loop;
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

void PlaybackEngine::chooseLoop() {
    m_loopChosen = true;
    m_loopRanges.clear();
    const int n = m_song.Memo1->count();
    // The selected lines when they are more than one, else the whole song.
    const QList<LineRange> selected = m_song.selection();
    int count = 0;
    for (const LineRange& range : selected)
        count += range.count();
    if (count > 1) {
        for (const LineRange& range : selected)
            if (range.first < n)
                m_loopRanges.append({range.first, std::min(range.last, n - 1)});
    } else if (n > 0) {
        m_loopRanges.append({0, n - 1});
    }
    // Lines that all last no time would loop without end.
    bool lasts = false;
    for (const auto& [first, last] : std::as_const(m_loopRanges))
        for (int line = first; line <= last && !lasts; ++line)
            lasts = TryStrToInt(m_song.Memo2->item(line)).value_or(0) > 0;
    if (!lasts)
        m_loopRanges.clear();
    // A loop starts at its first line, unless Play goes on at one of its lines.
    if (m_settings.loop && !m_loopRanges.isEmpty() &&
        std::none_of(m_loopRanges.cbegin(), m_loopRanges.cend(), [this](const auto& range) {
            return range.first <= PlayPosition && PlayPosition <= range.second;
        }))
        PlayPosition = m_loopRanges.first().first;
}

int PlaybackEngine::nextLine(int index) const {
    if (!m_output.loop || m_loopRanges.isEmpty())
        return index + 1;
    // The range that holds the line, found by its first line.
    auto range = std::upper_bound(m_loopRanges.cbegin(), m_loopRanges.cend(), index,
                                  [](int line, const auto& r) { return line < r.first; });
    if (range == m_loopRanges.cbegin() || index > std::prev(range)->second)
        return index + 1;
    if (index < std::prev(range)->second)
        return index + 1;
    return range != m_loopRanges.cend() ? range->first : m_loopRanges.first().first;
}

void PlaybackEngine::playFromCurrentLine() {
    const int line = m_song.currentLine();
    // Playing: the sound stops where it is, and goes on from the line.
    if (!PlayStopped)
        btplayClick();
    m_loopChosen = false;
    PlayPosition = std::max(line, 0);
    btplayClick();
}

void PlaybackEngine::takeOutputSettings() {
    m_output.waveform = m_settings.fmSynthesis;
    // The kernel's speaker device, like the ports, sounds on this thread as each line is reached.
    m_output.sync = UsePortSpeaker || systemBeepHooked() || KernelSpeaker::instance();
    m_output.volume = SynthVolume;
    m_output.wave = waveformIndex();
    m_output.twoVoices = m_settings.twoVoices;
    m_output.loop = m_settings.loop;
}

void PlaybackEngine::prepareToneTable() {
    const int n = m_song.Memo1->count();
    for (std::vector<int>* array :
         {&PlayTable.first, &PlayTable.second, &PlayTable.third, &PlayTable.fourth})
        array->resize(std::size_t(n) + 1);
    // While a MulTiZ1rp client is connected, track 2 goes to it line by line instead of into
    // the second array.
    m_peer.beginTransfer();
    for (int i = 0; i < n; ++i) {
        // A line that cannot be played ends the song when it is reached.
        const auto values = PlayableLine::read(m_song, i);
        PlayTable.first[i] = values ? values->freq1 : kUnplayable;
        PlayTable.third[i] = values ? values->dur1 : 0;
        PlayTable.fourth[i] = values ? values->dur2 : 0;
        if (m_peer.connected()) {
            PlayTable.second[i] = 0;
            m_peer.sendLine(i);
        } else {
            PlayTable.second[i] = values ? values->freq2 : 0;
        }
    }
    PlayTable.first[n] = -1;
    PlayTable.second[n] = -1;
    PlayTable.third[n] = -1;
    PlayTable.fourth[n] = -1;
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
    m_output.loop = m_settings.loop;
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
        PlayTable.first[std::size_t(index)] == -1 ||
        PlayTable.first[std::size_t(index)] == kUnplayable) {
        sound.kind = LineSound::Kind::End;
        return sound;
    }
    int frequency = PlayTable.first[std::size_t(index)];
    if (frequency == 0)
        frequency = PlayTable.second[std::size_t(index)];
    const int duration = PlayTable.third[std::size_t(index)];
    sound.lineSamples = std::uint64_t(SynthWave::sampleCount(duration));
    if (m_output.twoVoices) {
        const TwoVoices::Line line{PlayTable.first[std::size_t(index)], duration,
                                   PlayTable.second[std::size_t(index)],
                                   PlayTable.fourth[std::size_t(index)]};
        // The waveform output's message comes when the line is reached, for the frequency one
        // voice would sound (track 2 out of range beside a sounding track 1 stays silent, queued
        // on time like any line); the speaker's other receivers sound on the window's thread.
        const int sounded = line.freq1 != 0 ? line.freq1 : line.freq2;
        if (m_output.waveform ? sounded > SynthWave::kHighestFrequency : bool(m_output.sync))
            sound.kind = LineSound::Kind::Sync;
        else
            sound.block = TwoVoices::block(line, m_output.waveform, m_output.volume, m_output.wave);
        return sound;
    }
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
        endReached(line.index, lineIsUnplayable(line.index));
        return;
    }
    PlayPosition = nextLine(line.index);
    if (line.kind == LineSound::Kind::Sync) {
        soundLineNow(line.index);
        if (!Timer1->isActive())
            return;
        m_plan.continueAfter(line);
    }
    showPosition();
}

void PlaybackEngine::endReached(int index, bool unplayable) {
    btstopClick();
    if (unplayable)
        showUnplayable(index);
}

bool PlaybackEngine::lineIsUnplayable(int index) const {
    return index >= 0 && std::size_t(index) < PlayTable.first.size() &&
           PlayTable.first[std::size_t(index)] == kUnplayable;
}

void PlaybackEngine::showUnplayable(int index) {
    prompts().messageBox(PlayableLine::message(m_song, index), QStringLiteral("Z1rpW3rk"),
                         Prompts::Icon::Warning);
}

void PlaybackEngine::soundLineNow(int index) {
    if (m_settings.twoVoices) {
        soundTwoVoicesNow(index);
        return;
    }
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

void PlaybackEngine::soundTwoVoicesNow(int index) {
    TwoVoices::Line line{PlayTable.first[std::size_t(index)], PlayTable.third[std::size_t(index)],
                         PlayTable.second[std::size_t(index)],
                         PlayTable.fourth[std::size_t(index)]};
    if (m_settings.fmSynthesis) {
        silenceSpeaker();
        // Each frequency the waveform output cannot carry has its message and stays silent.
        for (int* frequency : {&line.freq1, &line.freq2})
            if (*frequency > SynthWave::kHighestFrequency) {
                PlaySynthTone(*frequency, 0);
                *frequency = 0;
            }
        if (Timer1->isActive())
            SoundDevice::instance().play(
                TwoVoices::block(line, true, SynthVolume, waveformIndex()));
        return;
    }
    // The speaker's own receivers take the arpeggio's slices one by one.
    const int sliceMs = kArpeggioSliceSamples * 1000 / SoundDevice::kSampleRate;
    for (int at = 0, slice = 0; at < line.dur1; ++slice) {
        const bool second = line.freq2 != 0 && at < line.dur2;
        int length = std::min(sliceMs, line.dur1 - at);
        if (second)
            length = std::min(length, line.dur2 - at);
        const int frequency = line.freq1 != 0 && second ? (slice % 2 ? line.freq2 : line.freq1)
                              : second                  ? line.freq2
                                                        : line.freq1;
        PlaySpeakerTone(frequency, length);
        at += length;
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
    {
        const QScopedValueRollback selecting(m_selecting, true);
        m_song.selectLine(PlayPosition);
    }
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
    {
        const QScopedValueRollback selecting(m_selecting, true);
        m_song.selectLine(0);
    }
    PlayPosition = 0;
    silenceSpeaker();
    m_progress.ShowProgress(1, 1, QString());
    // Nothing queued beyond the line heard now sounds any more: Play starts right after it.
    m_plan.takeBack(0);
    // The next Play chooses the lines that loop anew.
    m_loopChosen = false;
    m_loopRanges.clear();
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

void PlaybackEngine::auditionLine(int line) {
    // Never while a song plays, nor when the engine itself selects.
    if (!m_settings.preview || !PlayStopped || m_selecting || m_inTick)
        return;
    const std::optional<PlayableLine::Values> values =
        line >= 0 && line < m_song.Memo1->count() ? PlayableLine::read(m_song, line) : std::nullopt;
    // MIDI-Out and the speaker's own receivers (which block this thread) are not auditioned.
    const bool waveform = m_settings.fmSynthesis;
    if (!values || (m_midi && m_midi->selected()) || (!waveform && !m_settings.beeper) ||
        (!waveform && (UsePortSpeaker || systemBeepHooked() || realSpeaker()))) {
        m_audition.cut();
        return;
    }
    const int frequency = values->freq1 != 0 ? values->freq1 : values->freq2;
    std::unique_ptr<SoundBlock> block;
    if (m_settings.twoVoices) {
        block = TwoVoices::block({values->freq1, values->dur1, values->freq2, values->dur2},
                                 waveform, SynthVolume, waveformIndex());
    } else if (waveform) {
        if (frequency > 0 && frequency <= SynthWave::kHighestFrequency) {
            // No longer than the audition sounds.
            const int length = std::min(values->dur1 / 2, 20000);
            block =
                std::make_unique<U8Block>(SynthWave::buildImage(frequency, length, SynthVolume,
                                                                [this] { return waveformIndex(); }),
                                          SynthWave::kHeaderSize);
        }
    } else {
        block = beepBlock(frequency, values->dur1);
    }
    m_audition.play(std::move(block));
}
