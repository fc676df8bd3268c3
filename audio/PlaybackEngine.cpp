#include "audio/PlaybackEngine.h"

#include "audio/PcSpeaker.h"
#include "audio/SoundDevice.h"
#include "audio/SynthWave.h"
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
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>

PlaybackEngine::PlaybackEngine(TForm1& form) : QObject(&form), m_form(form) {
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
}

PlaybackEngine::~PlaybackEngine() = default;

void PlaybackEngine::stopToneTimer() {
    Timer1->stop();
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
        // The paused line's silent rest is not waited for: Play sounds the next line at once.
        SoundDevice::instance().dropQueuedSilence();
    }
    Timer1->stop();
    // With "MIDI Output aktivieren" the MIDI engine takes over from here instead.
    prepareToneTable();
    Timer1->setInterval(10);
    f.mirror->startPeer(!f.PlayStopped);
    if (!f.PlayStopped)
        Timer1->start();
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
        if (f.MirrorConnected) {
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
    m_tickStart = std::chrono::steady_clock::now();
    // The table can be shorter than the position when lines were deleted during a pause.
    if (PlayPosition < 0 || std::size_t(PlayPosition) >= PlayTable.first.size()) {
        btstopClick();
        return;
    }
    int frequency = PlayTable.first[PlayPosition];
    if (frequency == -1) {
        btstopClick();
        return;
    }
    if (frequency == 0)
        frequency = PlayTable.second[PlayPosition];
    const int duration = PlayTable.third[PlayPosition];
    Timer1->setInterval(std::max(duration, 0));
    ++PlayPosition;

    SoundDevice& device = SoundDevice::instance();
    const std::uint64_t before = device.samplesQueued();
    if (m_form.FMSynthese1->isChecked()) {
        PlaySynthTone(frequency, duration / 2);
        // The rest of the line is silence on the device, so the next tone starts on time.
        const auto line = std::uint64_t(SynthWave::sampleCount(duration));
        const std::uint64_t played = device.samplesQueued() - before;
        if (line > played && Timer1->isActive())
            device.queueSilence(line - played);
    } else {
        PlaySpeakerTone(frequency, duration);
    }
    // Stopped or paused while the waveform output's message was open: the view is already set.
    if (!Timer1->isActive())
        return;

    if (!m_form.Scrollfunktion1->isChecked()) {
        for (ListBox* list : {m_form.Memo1, m_form.Memo2, m_form.Memo3, m_form.Memo4, m_form.Line})
            list->setItemIndex(PlayPosition);
        m_form.ShowProgress(PlayPosition, m_form.Line->count(), QStringLiteral("Spiele Lied"));
    }
    armNextTick(duration, before);
}

void PlaybackEngine::armNextTick(int durationMs, std::uint64_t samplesBefore) {
    int interval = 0;
    SoundDevice& device = SoundDevice::instance();
    if (device.samplesQueued() != samplesBefore) {
        // The line went to the sound device: tick again when the device is down to the lead a
        // blocking tone keeps.
        interval = int(std::floor(std::max(0.0, device.queuedMs() - SoundDevice::kLeadMs)));
    } else {
        // The ports or another receiver took the tone: keep the line's length by the clock.
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - m_tickStart)
                                 .count();
        interval = int(std::max<long long>(0, std::max(durationMs, 0) - elapsed));
    }
    Timer1->start(interval);
}

void PlaybackEngine::btstopClick() {
    TForm1& f = m_form;
    f.btplay->setText(QStringLiteral("Play"));
    f.PlayStopped = true;
    Timer1->stop();
    for (ListBox* list : {f.Memo1, f.Memo2, f.Memo3, f.Memo4, f.Line})
        list->setItemIndex(0);
    PlayPosition = 0;
    f.ShowProgress(1, 1, QString());
    // The silent rest of the line that was playing is not waited for either.
    SoundDevice::instance().dropQueuedSilence();
    f.mirror->stopPeer();
    // The MIDI engine's timer and output are closed here, once those exist.
    if (TForm6* settings = forms().Form6) {
        settings->btUe->setEnabled(true);
        settings->btOk->setEnabled(true);
    }
}

void PlaybackEngine::BitBtn1Click() {
    const int frequency = StrToInt(m_form.activeFrequencyField()->text());
    const int duration = StrToInt(m_form.edLengh->text());
    if (m_form.Beeper1->isChecked())
        PlaySpeakerTone(frequency, duration);
    if (m_form.FMSynthese1->isChecked())
        PlaySynthTone(frequency, duration / 2);
    // "MIDI-Out" adds its tone test here.
}

void PlaybackEngine::Beeper1Click() {
    m_form.FMSynthese1->setChecked(false);
    m_form.MIDIOut1->setChecked(false);
    if (TForm6* settings = forms().Form6)
        settings->cbMIDI->setChecked(false);
    m_form.Beeper1->setChecked(true);
}

void PlaybackEngine::FMSynthese1Click() {
    if (m_form.FMSynthese1->isChecked()) {
        m_form.FMSynthese1->setChecked(false);
        m_form.Beeper1->setChecked(true);
        return;
    }
    m_form.FMSynthese1->setChecked(true);
    m_form.MIDIOut1->setChecked(false);
    if (TForm6* settings = forms().Form6)
        settings->cbMIDI->setChecked(false);
    m_form.Beeper1->setChecked(false);
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
