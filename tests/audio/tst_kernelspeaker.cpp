#include "audio/KernelSpeaker.h"
#include "audio/PlaybackEngine.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

class TestKernelSpeaker : public QObject {
    Q_OBJECT

private slots:
    // "Beeper" plays through the kernel's speaker device when one can be written: a virtual
    // speaker made with uinput receives each line's tone, rests and the end as 0, in order and
    // on time.
    void playsThroughTheSpeakerDevice() {
        if (!QFileInfo::exists(QStringLiteral("/dev/uinput")))
            QSKIP("/dev/uinput is not there (no uinput in this kernel or container): no virtual "
                  "speaker can be made");
        const int fd = ::open("/dev/uinput", O_RDWR | O_NONBLOCK);
        if (fd < 0)
            QSKIP(qPrintable(QStringLiteral("/dev/uinput cannot be opened: ") +
                             QString::fromLocal8Bit(std::strerror(errno))));
        uinput_setup setup{};
        std::strcpy(setup.name, "z1rpw3rk test speaker");
        setup.id.bustype = BUS_VIRTUAL;
        char sysName[64] = {};
        QVERIFY(::ioctl(fd, UI_SET_EVBIT, EV_SND) == 0 && ::ioctl(fd, UI_SET_SNDBIT, SND_TONE) == 0 &&
                ::ioctl(fd, UI_DEV_SETUP, &setup) == 0 && ::ioctl(fd, UI_DEV_CREATE) == 0);
        QVERIFY(::ioctl(fd, UI_GET_SYSNAME(sizeof sysName), sysName) >= 0);
        const QDir sys(QStringLiteral("/sys/devices/virtual/input/") + QLatin1String(sysName));
        QString node;
        QTRY_VERIFY((node = QStringLiteral("/dev/input/") +
                            sys.entryList({QStringLiteral("event*")}).value(0),
                     QFileInfo::exists(node) && !node.endsWith(QLatin1Char('/'))));
        KernelSpeaker::setDevicePath(node);

        {
            AppFixture app;
            TForm1& window = app.main();
            setSong(window, {"440 150 0 150", "0 150 0 150", "0 150 660 150"});
            window.btplay->click();
            QTRY_VERIFY_WITH_TIMEOUT(window.playback->PlayStopped, 10000);
        }
        KernelSpeaker::setDevicePath(QString());

        QList<int> tones;
        double first = -1, last = -1;
        input_event event{};
        while (::read(fd, &event, sizeof event) == sizeof event) {
            if (event.type != EV_SND || event.code != SND_TONE)
                continue;
            tones << event.value;
            last = double(event.input_event_sec) + event.input_event_usec / 1e6;
            if (first < 0)
                first = last;
        }
        ::ioctl(fd, UI_DEV_DESTROY);
        ::close(fd);
        QCOMPARE(tones, QList<int>({440, 0, 660, 0}));
        // The three lines last their 450 ms (a tick may come a little late, never early).
        QVERIFY2(last - first >= 0.440, qPrintable(QString::number(last - first)));
    }
};

QTEST_MAIN(TestKernelSpeaker)
#include "tst_kernelspeaker.moc"
