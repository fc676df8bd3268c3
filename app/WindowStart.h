#pragma once

class CommandLine;

/// Opens the song the command line names in the window, once the windows exist, as a recent
/// file is opened (errors as messages).
void openInWindow(const CommandLine& command);
