#include "app/WindowStart.h"

#include "app/CommandLine.h"
#include "base/Guard.h"
#include "files/MidiFileActions.h"
#include "files/RecentFiles.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"

void openInWindow(const CommandLine& command) {
    if (command.song.isEmpty())
        return;
    // --keep-short-lines answers the MIDI import's question for this one file.
    MidiFileActions* midi = forms().Form1->midiFiles;
    if (command.keepShortLines)
        midi->setKeepShortLines(true);
    guarded([&command] { forms().Form1->recentFiles->openSong(command.song); });
    midi->setKeepShortLines(std::nullopt);
}
