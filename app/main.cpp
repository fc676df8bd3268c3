#include "gui/DialogPrompts.h"
#include "base/Guard.h"
#include "gui/ProgramEnd.h"
#include "base/TerminationSignals.h"
#include "base/ToolkitTranslations.h"
#include "app/CommandLine.h"
#include "app/WindowStart.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

constexpr const char* kNoDisplay = "z1rpw3rk: no display found (DISPLAY is not set); start it "
                                   "on a desktop or under xvfb-run.\n";

bool displayAvailable() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// While the toolkit starts, its messages wait: a display that is named but cannot be opened
// ends the program with one line instead of the toolkit's abort and its plugin advice.
QStringList g_startMessages;

void startupMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        const QByteArray display = qgetenv("DISPLAY");
        std::fprintf(stderr,
                     "z1rpw3rk: cannot open the display%s%s%s; start it on a desktop or under "
                     "xvfb-run.\n",
                     display.isEmpty() ? "" : " (DISPLAY=", display.constData(),
                     display.isEmpty() ? "" : ")");
        std::_Exit(EXIT_FAILURE);
    }
    g_startMessages.append(qFormatLogMessage(type, context, message));
}

} // namespace

int main(int argc, char* argv[]) {
    // Started with its output piped to a reader that has gone, the program must not die at
    // its first message.
    TerminationSignals::ignoreBrokenPipes();
    const CommandLine command = CommandLine::parse(argc, argv);
    if (command.runsWithoutWindow())
        return command.runWithoutWindow(argc, argv);
    if (!displayAvailable()) {
        std::fputs(kNoDisplay, stderr);
        return EXIT_FAILURE;
    }
    const QtMessageHandler previous = qInstallMessageHandler(startupMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(previous);
    for (const QString& message : std::as_const(g_startMessages))
        std::fprintf(stderr, "%s\n", qPrintable(message));
    QApplication::setApplicationName(QStringLiteral("Z1rpW3rk"));
    useDialogPrompts();
    // The standard dialogs speak the program's language.
    if (!installToolkitTranslations(false))
        std::fputs("z1rpw3rk: the toolkit's German texts are missing (qt6-translations-l10n); "
                   "standard dialogs stay English.\n",
                   stderr);
    // The desktop finds the menu entry, and with it the icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.z1rpw3rk.Z1rpW3rk"));

    createForms();
    forms().Form1->show();
    // Ctrl+C, kill and the desktop's log-out end the program as "Beenden" does.
    TerminationSignals termination;
    connectGuarded(&termination, &TerminationSignals::terminationRequested, &app,
                   [] { ProgramEnd::onSignal(*forms().Form1); });
    openInWindow(command);
    const int result = QApplication::exec();
    destroyForms();
    return result;
}
