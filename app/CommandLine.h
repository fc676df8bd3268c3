#pragma once

#include <QString>

/// What the program was asked to do on its command line.
class CommandLine {
public:
    enum class Action { Window, Help, Version, Play, Render, Error };

    static CommandLine parse(int argc, char* argv[]);
    static QString helpText();
    static QString versionText();

    Action action = Action::Window;
    /// The song to open, play or render.
    QString song;
    /// --render's target.
    QString outFile;
    /// "beep", "wave", "midi", or empty for the output chosen in the program.
    QString output;
    /// --keep-short-lines: a MIDI import keeps the lines shorter than 15 ms.
    bool keepShortLines = false;
    /// --voices: 1 or 2 voices on the speaker and waveform outputs; 0 for the program's choice.
    int voices = 0;
    /// For Action::Error: what is wrong, one line.
    QString error;

    /// Help, version, an error, playing and rendering run without a window.
    bool runsWithoutWindow() const { return action != Action::Window; }
    /// Runs such an action to its end; the program's exit code.
    int runWithoutWindow(int argc, char* argv[]) const;
};
