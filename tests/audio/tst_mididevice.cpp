#include "audio/MidiInput.h"
#include "audio/MidiLoopback.h"
#include "audio/MidiOutput.h"
#include "audio/MidiTypes.h"

#include <QtTest>

#include <functional>
#include <thread>

namespace {

/// The loopback installed for one test: two outputs, two inputs.
struct Loopback {
    MidiLoopback devices{{QStringLiteral("Out A"), QStringLiteral("Out B")},
                         {QStringLiteral("In A"), QStringLiteral("In B")}};
    Loopback() { setMidiPlatform(&devices); }
    ~Loopback() { setMidiPlatform(nullptr); }
};

QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const AppError& error) {
        return error.message();
    }
    return {};
}

std::vector<std::uint8_t> note(int key) {
    return {0x90, std::uint8_t(key & 0x7F), 100};
}

} // namespace

class TestMidiDevice : public QObject {
    Q_OBJECT

private slots:
    void errorTexts_data();
    void errorTexts();
    void errorTextOfAFailedOpen();
    void mapperIsAnOutputOnly();
    void closeWhenClosedDoesNothing();
    void noInputDeviceFailsConstruction();
    void fullRingDropsAndReportsEachEvent();
    void sensingAndClockAreFiltered_data();
    void sensingAndClockAreFiltered();
    void emptySysexBlockAndItsBufferComeBack();
    void sysexSplitsOverBuffers();
    void arrivalOrderFromAnotherThread();
    void sysexOnlyDropsShortMessages();
    void sentSysexIsHandedBack();
};

void TestMidiDevice::errorTexts_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("text");
    QTest::newRow("output id while open") << 0 << "Change to DeviceID while device was open";
    QTest::newRow("output id too large") << 1 << "Invalid device ID";
    QTest::newRow("output id below -1") << 2 << "Invalid device ID";
    QTest::newRow("output name unknown") << 3 << "MIDI output Device Nope not installed";
    QTest::newRow("output name while open") << 4 << "Change to ProductName while device was open";
    QTest::newRow("event on closed output") << 5 << "MIDI Output device not open";
    QTest::newRow("input id while open") << 6 << "Change to DeviceID while device was open";
    QTest::newRow("input id too large") << 7 << "Invalid device ID";
    QTest::newRow("input name unknown") << 8 << "MIDI Input Device Nope not installed ";
    QTest::newRow("input name while open") << 9 << "Change to ProductName while device was open";
    QTest::newRow("buffer size while open")
        << 10 << "Change to SysexBufferSize while device was open";
    QTest::newRow("buffer count while open")
        << 11 << "Change to SysexBuffercount while device was open";
    QTest::newRow("device refuses sends") << 12 << "The device is busy; try again later.";
    QTest::newRow("code without text") << 13 << "Specified error number is out of range";
}

void TestMidiDevice::errorTexts() {
    QFETCH(int, action);
    QFETCH(QString, text);
    Loopback loop;
    TMidiOutput out;
    TMidiInput in;
    const std::function<void()> actions[] = {
        [&] {
            out.Open();
            out.setDeviceID(1);
        },
        [&] { out.setDeviceID(2); },
        [&] { out.setDeviceID(-2); },
        [&] { out.setProductName(QStringLiteral("Nope")); },
        [&] {
            out.Open();
            out.setProductName(QStringLiteral("Out B"));
        },
        [&] {
            out.SendEvent(TMyMidiEvent{0x90, 60, 100, 0, 0, {}});
        },
        [&] {
            in.Open();
            in.setDeviceID(1);
        },
        [&] { in.setDeviceID(2); },
        [&] { in.setProductName(QStringLiteral("Nope")); },
        [&] {
            in.Open();
            in.setProductName(QStringLiteral("In B"));
        },
        [&] {
            in.Open();
            in.setSysexBufferSize(10);
        },
        [&] {
            in.Open();
            in.setSysexBufferCount(2);
        },
        [&] {
            out.Open();
            loop.devices.failSends = kMidiNotReady;
            out.SendShortMessage(0x90, 1, 2);
        },
        [&] {
            out.Open();
            loop.devices.failSends = 99;
            out.SendShortMessage(0x90, 1, 2);
        },
    };
    QCOMPARE(errorOf(actions[action]), text);
}

void TestMidiDevice::errorTextOfAFailedOpen() {
    Loopback loop;
    TMidiOutput out;
    loop.devices.failNextOutputOpen = kMidiAllocated;
    QVERIFY(!out.Open()); // not reported here
    QCOMPARE(out.state(), TMidiOutput::StateClosed);
    QCOMPARE(errorOf([&] { out.SendShortMessage(0x90, 60, 100); }),
             QStringLiteral("The device handle is invalid."));
    QCOMPARE(out.lastError(), int(kMidiInvalidHandle));
    QVERIFY(loop.devices.sent().empty());
}

void TestMidiDevice::mapperIsAnOutputOnly() {
    Loopback loop;
    loop.devices.mapperTarget = 1;
    TMidiOutput out;
    out.setDeviceID(-1);
    QCOMPARE(out.DeviceID(), -1);
    QCOMPARE(out.ProductName(), QStringLiteral("Out B"));
    QVERIFY(out.Open());
    out.SendShortMessage(0x90, 69, 100);
    QCOMPARE(loop.devices.sent().at(0).device, 1);

    TMidiInput in;
    QCOMPARE(errorOf([&] { in.setDeviceID(unsigned(-1)); }), QStringLiteral("Invalid device ID"));
    QCOMPARE(in.DeviceID(), 0u);
}

void TestMidiDevice::closeWhenClosedDoesNothing() {
    Loopback loop;
    TMidiOutput out;
    QVERIFY(!out.Close());
    QVERIFY(out.Open());
    QVERIFY(out.Close());
    QVERIFY(!out.Close());
    QCOMPARE(loop.devices.openOutputs(), 0);
    TMidiInput in;
    in.Close();
    in.Open();
    QCOMPARE(in.state(), TMidiInput::StateOpen);
    in.Close();
    in.Close();
    QCOMPARE(in.state(), TMidiInput::StateClosed);
}

void TestMidiDevice::noInputDeviceFailsConstruction() {
    MidiLoopback none({QStringLiteral("Out")}, {});
    setMidiPlatform(&none);
    QCOMPARE(errorOf([] { TMidiInput in; }), QStringLiteral("Invalid device ID"));
    TMidiOutput out;
    QCOMPARE(out.deviceCount(), 1u);
    setMidiPlatform(nullptr);
}

void TestMidiDevice::fullRingDropsAndReportsEachEvent() {
    Loopback loop;
    TMidiInput in;
    QCOMPARE(in.Capacity(), std::uint16_t(1024));
    int overflows = 0;
    in.OnOverflow = [&](TMidiInput*) { ++overflows; };
    in.Open();
    in.Start();
    // Nothing is read while 1030 messages arrive: six find the ring full.
    for (int i = 0; i < 1030; ++i)
        loop.devices.inject(0, note(i));
    QCOMPARE(in.PendingEvents(), std::uint16_t(1024));
    QTRY_COMPARE(overflows, 6);
    QTest::qWait(20);
    QCOMPARE(overflows, 6);
    for (int i = 0; i < 1024; ++i) {
        const auto event = in.ReadEvent();
        QVERIFY(event);
        QCOMPARE(int(event->Data1), i & 0x7F);
    }
    QVERIFY(!in.ReadEvent());
    QCOMPARE(in.PendingEvents(), std::uint16_t(0));
}

void TestMidiDevice::sensingAndClockAreFiltered_data() {
    QTest::addColumn<QList<int>>("statuses");
    QTest::addColumn<int>("expected");
    QTest::newRow("active sensing") << QList<int>{0xFE, 0xFE, 0xFE} << 0;
    QTest::newRow("timing clock") << QList<int>{0xF8, 0xF8} << 0;
    QTest::newRow("among notes") << QList<int>{0x90, 0xFE, 0x80, 0xF8, 0xFA} << 3;
}

void TestMidiDevice::sensingAndClockAreFiltered() {
    QFETCH(QList<int>, statuses);
    QFETCH(int, expected);
    Loopback loop;
    TMidiInput in;
    QList<int> received;
    in.OnMidiInput = [&](TMidiInput* input) {
        if (const auto event = input->ReadEvent())
            received.append(event->MidiMessage);
    };
    in.Open();
    in.Start();
    for (const int status : statuses) {
        const std::uint8_t byte = std::uint8_t(status);
        loop.devices.inject(0, status < 0xF0 ? note(60) : std::vector<std::uint8_t>{byte});
    }
    QTRY_COMPARE(received.size(), expected);
    QTest::qWait(20);
    QCOMPARE(received.size(), expected);
    for (const int status : received)
        QVERIFY(status != 0xFE && status != 0xF8);
}

void TestMidiDevice::emptySysexBlockAndItsBufferComeBack() {
    Loopback loop;
    TMidiInput in;
    in.setSysexBufferCount(1);
    in.Open();
    in.Start();
    loop.devices.injectBlock(0, QByteArray());
    QTRY_COMPARE(in.PendingEvents(), std::uint16_t(1));
    auto event = in.ReadEvent();
    QVERIFY(event);
    QCOMPARE(event->MidiMessage, std::uint8_t(0xF0));
    QCOMPARE(event->Data1, std::uint8_t(0));
    QCOMPARE(event->SysexLength, std::uint16_t(0));
    QVERIFY(event->Sysex.isEmpty());
    // The one buffer went back to the device: the next block arrives.
    const QByteArray block("\xF0\x7E\x01\xF7", 4);
    loop.devices.injectBlock(0, block);
    QTRY_COMPARE(in.PendingEvents(), std::uint16_t(1));
    event = in.ReadEvent();
    QVERIFY(event);
    QCOMPARE(event->SysexLength, std::uint16_t(4));
    QCOMPARE(event->Sysex, block);
}

void TestMidiDevice::sysexSplitsOverBuffers() {
    Loopback loop;
    TMidiInput in;
    in.setSysexBufferSize(4);
    in.setSysexBufferCount(2);
    in.Open();
    in.Start();
    const std::vector<std::uint8_t> block = {0xF0, 1, 2, 3, 4, 5, 0xF7};
    loop.devices.inject(0, block);
    QCOMPARE(in.PendingEvents(), std::uint16_t(2));
    QCOMPARE(in.ReadEvent()->Sysex, QByteArray("\xF0\x01\x02\x03", 4));
    QCOMPARE(in.ReadEvent()->Sysex, QByteArray("\x04\x05\xF7", 3));
}

void TestMidiDevice::arrivalOrderFromAnotherThread() {
    Loopback loop;
    TMidiInput in;
    QList<int> received;
    int calls = 0;
    in.OnMidiInput = [&](TMidiInput* input) {
        ++calls;
        if (const auto event = input->ReadEvent())
            received.append(event->Data1 | event->Data2 << 7);
    };
    in.Open();
    in.Start();
    constexpr int kCount = 900;
    std::thread sender([&] {
        for (int i = 0; i < kCount; ++i) {
            loop.devices.inject(0, {0x90, std::uint8_t(i & 0x7F), std::uint8_t(i >> 7)});
            if (i % 64 == 0)
                std::this_thread::yield();
        }
    });
    QTRY_COMPARE_WITH_TIMEOUT(received.size(), kCount, 20000);
    sender.join();
    QTest::qWait(20);
    QCOMPARE(calls, kCount); // one call per message
    for (int i = 0; i < kCount; ++i)
        QCOMPARE(received[i], i);
}

void TestMidiDevice::sysexOnlyDropsShortMessages() {
    Loopback loop;
    TMidiInput in;
    in.Open();
    in.Start();
    in.setSysexOnly(true);
    loop.devices.inject(0, note(60));
    loop.devices.inject(0, {0xF0, 0x43, 0xF7});
    QCOMPARE(in.PendingEvents(), std::uint16_t(1));
    QCOMPARE(in.ReadEvent()->MidiMessage, std::uint8_t(0xF0));
    in.setSysexOnly(false);
    loop.devices.inject(0, note(61));
    QCOMPARE(in.ReadEvent()->Data1, std::uint8_t(61));
}

void TestMidiDevice::sentSysexIsHandedBack() {
    Loopback loop;
    TMidiOutput out;
    int done = 0;
    out.Onmidioutput = [&](TMidiOutput*) { ++done; };
    QVERIFY(out.Open());
    TMyMidiEvent event;
    event.MidiMessage = 0xF0;
    event.Sysex = QByteArray("\xF0\x7E\x7F\x09\x01\xF7", 6);
    event.SysexLength = 6;
    out.SendEvent(event);
    out.SendEvent(TMyMidiEvent{0x80, 60, 64, 0, 0, {}});
    QTRY_COMPARE(done, 1);
    QCOMPARE(loop.devices.sentTexts(),
             QStringList({QStringLiteral("sysex f0 7e 7f 09 01 f7"), QStringLiteral("80 3C 40")}));
}

QTEST_MAIN(TestMidiDevice)
#include "tst_mididevice.moc"
