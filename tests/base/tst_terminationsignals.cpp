#include "audio/DiskCapture.h"

#include "audio/SystemBeep.h"
#include "base/Guard.h"
#include "gui/ProgramEnd.h"
#include "base/TerminationSignals.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"

#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

class TestTerminationSignals : public QObject {
    Q_OBJECT

private slots:
    void signalsReachTheEventLoop_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("Ctrl+C (SIGINT)") << int(SIGINT);
        QTest::newRow("kill (SIGTERM)") << int(SIGTERM);
        QTest::newRow("terminal gone (SIGHUP)") << int(SIGHUP);
    }

    void signalsReachTheEventLoop() {
        QFETCH(int, signalNumber);
        TerminationSignals termination;
        QSignalSpy spy(&termination, &TerminationSignals::terminationRequested);
        ::raise(signalNumber);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), signalNumber);
        QVERIFY(TerminationSignals::received());
        QCOMPARE(TerminationSignals::lastSignal(), signalNumber);
    }

    // The sound library starts at the first tone and would take SIGINT and SIGTERM for itself,
    // where nothing reads them.
    void signalsStillArriveAfterATone_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }

    void signalsStillArriveAfterATone() {
        QFETCH(int, signalNumber);
        TerminationSignals termination;
        QSignalSpy spy(&termination, &TerminationSignals::terminationRequested);
        {
            DiskCapture capture;
            SystemBeep(440, 50);
            ::raise(signalNumber);
            QTRY_COMPARE(spy.count(), 1);
        }
        // And once the device has been closed and the library's audio part shut down.
        ::raise(signalNumber);
        QTRY_COMPARE(spy.count(), 2);
    }

    // A signal that comes while a modal dialog waits for an answer closes the dialog and the
    // main window; the dialog's loop returns.
    void endsTheProgramFromAModalDialog() {
        AppFixture app;
        TForm1& w = app.main();
        w.btadd->click(); // a changed song: a close by the user would ask about saving it
        TerminationSignals termination;
        connectGuarded(&termination, &TerminationSignals::terminationRequested, &w,
                       [&w] { ProgramEnd::onSignal(w); });
        QDialog dialog(&w);
        dialog.setModal(true);
        QTimer::singleShot(50, &dialog, [] { ::raise(SIGTERM); });
        QTimer fallback; // a dialog left open would otherwise hold the test forever
        fallback.setSingleShot(true);
        connect(&fallback, &QTimer::timeout, &dialog, &QDialog::accept);
        fallback.start(20000);
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(fallback.isActive());
        QVERIFY(!w.isVisible());
        QVERIFY(TerminationSignals::received());
        QVERIFY2(app.prompts.texts().isEmpty(), qPrintable(app.prompts.texts().join('|')));
    }
};

QTEST_MAIN(TestTerminationSignals)
#include "tst_terminationsignals.moc"
