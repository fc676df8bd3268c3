#pragma once

#include <QObject>

class QSocketNotifier;

/// Turns the signals that ask the program to end (SIGINT from Ctrl+C, SIGTERM from `kill` and
/// the desktop's log-out, SIGHUP when the terminal goes away) into a Qt signal on the GUI
/// thread. The handler only writes one byte into a pipe; a socket notifier reads it between
/// two events, so the program ends through its ordinary close path.
///
/// Installed before the sound library starts, these handlers stay in place: it installs its own
/// only where it finds the default ones.
class TerminationSignals final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TerminationSignals)

public:
    /// Installs the handlers; one instance at a time.
    explicit TerminationSignals(QObject* parent = nullptr);
    /// Puts back the handlers that were there before.
    ~TerminationSignals() override;

    /// A closed pipe on the other end of stdout or stderr (a terminal gone, a reader that
    /// stopped early) makes writes fail instead of ending the program. Call first thing.
    static void ignoreBrokenPipes();

    /// True once one of the signals has arrived in this run: a close that follows it was asked
    /// for from outside, and must neither ask questions nor wait for answers.
    static bool received();
    /// The last signal number that arrived, 0 before any.
    static int lastSignal();

signals:
    /// Emitted on the GUI thread, once per signal that arrived.
    void terminationRequested(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};
