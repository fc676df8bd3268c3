#pragma once

#include <QString>

/// The PC speaker as the Linux kernel's speaker driver offers it: an input event device
/// (/dev/input/by-path/…-event-spkr) that sounds a tone on an EV_SND/SND_TONE event with the
/// frequency as its value and goes quiet on 0. It needs no privileges beyond write access to
/// that device, which a udev rule can give a group.
///
/// Starting a tone returns at once: the caller times it (playback on the sound device's clock).
class KernelSpeaker final {
public:
    /// The speaker when a writable device is found (opened once and kept), else nullptr. When
    /// SDL_AUDIODRIVER names the disk or dummy driver, sound is meant for the file or for
    /// nowhere, and the speaker is not looked for.
    static KernelSpeaker* instance();
    /// Looks for the device at @p path instead of /dev/input/by-path/*-event-spkr; an empty path
    /// restores the search. Closes a device opened before. Used by tests.
    static void setDevicePath(const QString& path);

    /// Sounds @p frequencyHz until the next call; 0 (or below) silences the speaker.
    void start(int frequencyHz);
    /// Sounds a tone and returns when it has ended, with the speaker silent again.
    void play(int frequencyHz, int durationMs);

    const QString& path() const { return m_path; }

    KernelSpeaker(const KernelSpeaker&) = delete;
    KernelSpeaker& operator=(const KernelSpeaker&) = delete;
    ~KernelSpeaker();

private:
    KernelSpeaker(int fd, QString path);

    int m_fd = -1;
    QString m_path;
    int m_sounding = 0;
};
