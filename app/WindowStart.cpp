#include "app/WindowStart.h"

#include "app/CommandLine.h"
#include "base/Guard.h"
#include "files/RecentFiles.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"

void openInWindow(const CommandLine& command) {
    if (command.song.isEmpty())
        return;
    guarded([&command] { forms().Form1->recentFiles->openSong(command.song); });
}
