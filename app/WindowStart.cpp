#include "app/WindowStart.h"

#include "app/CommandLine.h"
#include "base/Guard.h"
#include "files/RecentFiles.h"
#include "song/Forms.h"
#include "song/MainWindow.h"

void openInWindow(const CommandLine& command) {
    if (command.song.isEmpty())
        return;
    guarded([&command] { forms().Form1->recentFiles->openSong(command.song); });
}
