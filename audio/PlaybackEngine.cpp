#include "audio/PlaybackEngine.h"

#include "audio/KernelSpeaker.h"
#include "audio/MidiEngine.h"
#include "audio/PcSpeaker.h"
#include "audio/SoundDevice.h"
#include "audio/SynthWave.h"
#include "audio/SystemBeep.h"
#include "audio/U8Block.h"
#include "base/Guard.h"
#include "base/ListBox.h"
#include "base/Prompts.h"
#include "base/StrToInt.h"
#include "net/MultiZ1rp.h"
#include "settings/SettingsDialog.h"
#include "song/Forms.h"
#include "song/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

const QString PlaybackEngine::kNoSoundDevice = QStringLiteral("Kein Soundgerät");
const QString PlaybackEngine::kNoSoundDeviceDetail =
    QStringLiteral("Kein Soundgerät gefunden: die Wiedergabe bleibt stumm.");

PlaybackEngine::PlaybackEngine(TForm1& form)
    : QObject(&form), m_form(form), m_plan([this](int index) { return lineSound(index); }) {
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);

    connectGuarded(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connectGuarded(form.btplay, &QPushButton::clicked, this, [this] { btplayClick(); });
    connectGuarded(form.Play1, &QAction::triggered, this, [this] { btplayClick(); });
    connectGuarded(form.btstop, &QPushButton::clicked, this, [this] { btstopClick(); });
    connectGuarded(form.Stop1, &QAction::triggered, this, [this] { btstopClick(); });
    connectGuarded(form.BitBtn1, &QToolButton::clicked, this, [this] { BitBtn1Click(); });
    // The output items set their check marks themselves: undo the toolkit's own toggle first.
    connect(form.Beeper1, &QAction::triggered, this, [this](bool checked) {
        m_form.Beeper1->setChecked(!checked);
        guarded([this] { Beeper1Click(); });
    });
    connect(form.FMSynthese1, &QAction::triggered, this, [this](bool checked) {
        m_form.FMSynthese1->setChecked(!checked);
        guarded([this] { FMSynthese1Click(); });
    });

    // Start-up: the Windows 95/98/Me family drives the speaker through the ports.
    UsePortSpeaker = DetectWindowsVersion() < 4;

    // Without a sound device the window says so once, at the first tone, where playback shows
    // its status; the progress steps leave a status text in place until the song ends.
    // (The first sound may be queued by the plan's thread: the label is set on its own.)
    SoundDevice::setNoDeviceNotice([status = QPointer<QLabel>(form.laStatus)] {
        if (!status)
            return;
        QMetaObject::invokeMethod(status, [status] {
            if (!status)
                return;
            status->setText(kNoSoundDevice);
            status->setToolTip(kNoSoundDeviceDetail);
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
    TForm1& f = m_form;
    if (f.PlayStopped) {
        f.PlayStopped = false;
        Timer1->start();
        f.btplay->setText(QStringLiteral("Pause"));
        f.RenumberLines();
        // Scroll every list to its end and back, so all of them start at the top.
        const auto scroll = [](ListBox* list, int count) {
            list->setTopIndex(count - 1);
            list->setTopIndex(0);
        };
        scroll(f.Memo2, f.Memo2->count());
        scroll(f.Memo1, f.Memo1->count());
        scroll(f.Memo4, f.Memo2->count());
        scroll(f.Memo3, f.Memo1->count());
        scroll(f.Line, f.Line->count());
    } else {
        f.PlayStopped = true;
        Timer1->stop();
        f.btplay->setText(QStringLiteral("Play"));
        // What was queued beyond the line heard now is taken back: Play goes on right after it.
        takeBackQueued();
        silenceSpeaker();
        if (f.midi)
            f.midi->pause();
    }
    Timer1->stop();
    // With "MIDI Output aktivieren" the MIDI engine takes over from here instead.
    if (f.midi && f.midi->selected()) {
        f.midi->MidiEngineStart();
        return;
    }
    prepareToneTable();
    takeOutputSettings();
    m_plan.restart(PlayPosition);
    Timer1->setInterval(10);
    f.mirror->startPeer(!f.PlayStopped);
    if (!f.PlayStopped) {
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
    m_output.waveform = m_form.FMSynthese1->isChecked();
    // The kernel's speaker device, like the ports, sounds on this thread as each line is reached.
    m_output.sync = UsePortSpeaker || systemBeepHooked() || KernelSpeaker::instance();
    m_output.volume = SynthVolume;
    m_output.wave = waveformIndex();
}

void PlaybackEngine::prepareToneTable() {
    const TForm1& f = m_form;
    const int n = f.Memo1->count();
    PlayTable.first.resize(std::size_t(n) + 1);
    PlayTable.second.resize(std::size_t(n) + 1);
    PlayTable.third.resize(std::size_t(n) + 1);
    // While a MulTiZ1rp client is connected, track 2 goes to it line by line instead of into
    // the second array.
    f.mirror->beginTransfer();
    for (int i = 0; i < n; ++i) {
        PlayTable.first[i] = StrToInt(f.Memo1->item(i));
        PlayTable.third[i] = StrToInt(f.Memo2->item(i));
        if (f.mirror->MirrorConnected) {
            PlayTable.second[i] = 0;
            f.mirror->sendLine(i);
        } else {
            PlayTable.second[i] = StrToInt(f.Memo3->item(i));
        }
    }
    PlayTable.first[n] = -1;
    PlayTable.second[n] = -1;
    PlayTable.third[n] = -1;
    f.mirror->endTransfer();
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
    if (!m_form.Scrollfunktion1->isChecked())
        showPosition();
}

void PlaybackEngine::soundLineNow(int index) {
    int frequency = PlayTable.first[std::size_t(index)];
    if (frequency == 0)
        frequency = PlayTable.second[std::size_t(index)];
    const int duration = PlayTable.third[std::size_t(index)];
    if (m_form.FMSynthese1->isChecked()) {
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
    for (ListBox* list : {m_form.Memo1, m_form.Memo2, m_form.Memo3, m_form.Memo4, m_form.Line})
        list->setItemIndex(PlayPosition);
    m_form.ShowProgress(PlayPosition, m_form.Line->count(), QStringLiteral("Spiele Lied"));
}

void PlaybackEngine::takeBackQueued() {
    // The view catches up with a line that is heard but whose tick has not come yet.
    const int resume = m_plan.takeBack(PlayPosition);
    if (resume != PlayPosition) {
        PlayPosition = resume;
        if (!m_form.Scrollfunktion1->isChecked())
            showPosition();
    }
}

void PlaybackEngine::btstopClick() {
    TForm1& f = m_form;
    f.btplay->setText(QStringLiteral("Play"));
    f.PlayStopped = true;
    Timer1->stop();
    for (ListBox* list : {f.Memo1, f.Memo2, f.Memo3, f.Memo4, f.Line})
        list->setItemIndex(0);
    PlayPosition = 0;
    silenceSpeaker();
    f.ShowProgress(1, 1, QString());
    // Nothing queued beyond the line heard now sounds any more: Play starts right after it.
    m_plan.takeBack(0);
    f.mirror->stopPeer();
    if (TForm6* settings = forms().Form6) {
        settings->btUe->setEnabled(true);
        settings->btOk->setEnabled(true);
    }
    // The MIDI engine's timer stops, its notes end, its output closes.
    if (f.midi)
        f.midi->stop();
}

void PlaybackEngine::BitBtn1Click() {
    const int frequency = StrToInt(m_form.activeFrequencyField()->text());
    const int duration = StrToInt(m_form.edLengh->text());
    if (m_form.Beeper1->isChecked())
        PlaySpeakerTone(frequency, duration);
    if (m_form.FMSynthese1->isChecked())
        PlaySynthTone(frequency, duration / 2);
    if (m_form.MIDIOut1->isChecked())
        m_form.midi->MidiToneTest(frequency);
}

void PlaybackEngine::Beeper1Click() {
    const bool waveform = m_form.FMSynthese1->isChecked();
    m_form.FMSynthese1->setChecked(false);
    m_form.MIDIOut1->setChecked(false);
    if (TForm6* settings = forms().Form6)
        settings->cbMIDI->setChecked(false);
    m_form.Beeper1->setChecked(true);
    if (waveform)
        outputChanged();
}

void PlaybackEngine::FMSynthese1Click() {
    if (m_form.FMSynthese1->isChecked()) {
        m_form.FMSynthese1->setChecked(false);
        m_form.Beeper1->setChecked(true);
        outputChanged();
        return;
    }
    m_form.FMSynthese1->setChecked(true);
    m_form.MIDIOut1->setChecked(false);
    if (TForm6* settings = forms().Form6)
        settings->cbMIDI->setChecked(false);
    m_form.Beeper1->setChecked(false);
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
    const TForm6* settings = forms().Form6;
    return settings ? settings->rgTonItemIndex() : 1;
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
