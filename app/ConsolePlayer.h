#pragma once

#include <QString>

class OfflineRender;

/// Plays a song without a window: the rendered lines go to the sound device in short pieces,
/// one progress line is kept up to date on a terminal, and Ctrl+C (or a termination request)
/// stops the sound at once.
class ConsolePlayer {
public:
    /// The exit code of a run stopped by Ctrl+C, as shells expect it.
    static constexpr int kStoppedExitCode = 130;

    ConsolePlayer(OfflineRender& render, QString title);

    /// Plays to the end (0) or until stopped (kStoppedExitCode).
    int run();

private:
    void showProgress(double seconds, double total, bool force);

    OfflineRender& m_render;
    QString m_title;
    bool m_terminal = false;
    int m_shownSecond = -1;
};
