#pragma once

class QWidget;

namespace ProgramEnd {

/// Ends the program from outside (a termination signal) the way "Beenden" does: the main
/// window closes through its ordinary close path. A modal dialog that is open is closed first
/// and every event loop is left, so nothing waits for an answer that will not come. The close
/// path tells this case by TerminationSignals::received().
void onSignal(QWidget& mainWindow);

} // namespace ProgramEnd
