#include "audio/PcSpeaker.h"
#include "audio/mIOPort.h"

#include <QtTest>

#include <map>

namespace {

/// Ports as a little memory: reads give the last value written (or an initial value), and
/// every write is recorded.
class RecordingPort final : public PortIO {
public:
    struct Write {
        std::uint16_t port;
        std::uint8_t value;
        bool operator==(const Write&) const = default;
    };
    std::map<std::uint16_t, std::uint8_t> values;
    QList<Write> writes;
    QList<std::uint16_t> reads;

    std::uint8_t readPort(std::uint16_t port) override {
        reads.append(port);
        return values[port];
    }
    void writePort(std::uint16_t port, std::uint8_t value) override {
        writes.append({port, value});
        values[port] = value;
    }
};

} // namespace

Q_DECLARE_METATYPE(OsVersionInfo)

class TestPcSpeaker : public QObject {
    Q_OBJECT

private slots:
    void versionCodes_data();
    void versionCodes();
    void thisSystemTakesTheSystemBeep();
    void portToneSequence_data();
    void portToneSequence();
    void portRestLeavesSpeakerOff();
    void bitPrimitives();
};

void TestPcSpeaker::versionCodes_data() {
    QTest::addColumn<OsVersionInfo>("info");
    QTest::addColumn<int>("code");
    const auto v = [](unsigned platform, unsigned major, unsigned minor, const char* csd = "") {
        return OsVersionInfo{true, platform, major, minor, csd};
    };
    QTest::newRow("Windows 95") << v(1, 4, 0) << 0;
    QTest::newRow("Windows 98") << v(1, 4, 10) << 1;
    QTest::newRow("Windows 98 with other service text") << v(1, 4, 10, "A ") << 1;
    QTest::newRow("Windows 98 SE") << v(1, 4, 10, " A ") << 2;
    QTest::newRow("Windows 98 SE short text") << v(1, 4, 10, " A") << 2;
    QTest::newRow("Windows 98 lower-case a") << v(1, 4, 10, " a ") << 1;
    QTest::newRow("Windows Me") << v(1, 4, 90) << 3;
    QTest::newRow("9x unknown minor") << v(1, 4, 50) << 7;
    QTest::newRow("9x major 5") << v(1, 5, 0) << 7;
    QTest::newRow("NT 3.51") << v(2, 3, 51) << 4;
    QTest::newRow("NT 4") << v(2, 4, 0) << 4;
    QTest::newRow("Windows 2000") << v(2, 5, 0) << 5;
    QTest::newRow("Windows XP") << v(2, 5, 1) << 6;
    QTest::newRow("Server 2003") << v(2, 5, 2) << 7;
    QTest::newRow("Vista and later") << v(2, 6, 1) << 7;
    QTest::newRow("Win32s") << v(0, 3, 10) << 7;
    QTest::newRow("other family") << v(3, 4, 0) << 7;
    QTest::newRow("query failed") << OsVersionInfo{false, 1, 4, 0, ""} << 7;
}

void TestPcSpeaker::versionCodes() {
    QFETCH(OsVersionInfo, info);
    QFETCH(int, code);
    QCOMPARE(DetectWindowsVersion(info), code);
}

void TestPcSpeaker::thisSystemTakesTheSystemBeep() {
    QVERIFY(DetectWindowsVersion() >= 4);
}

void TestPcSpeaker::portToneSequence_data() {
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::newRow("440 Hz: divisor 2711") << 440 << 0x97 << 0x0A;
    QTest::newRow("10 Hz: divisor 119318 cut to 16 bits") << 10 << 0x16 << 0xD2;
    QTest::newRow("19 Hz: divisor 62798 fits") << 19 << 0x4E << 0xF5;
    QTest::newRow("1193180 Hz: divisor 1") << 1193180 << 0x01 << 0x00;
    QTest::newRow("above the clock: divisor 0") << 2000000 << 0x00 << 0x00;
}

// Speaker on (bit 0, then bit 1 of 0x61), control byte, divisor low then high, speaker off.
void TestPcSpeaker::portToneSequence() {
    QFETCH(int, frequency);
    QFETCH(int, low);
    QFETCH(int, high);
    RecordingPort port;
    port.values[0x61] = 0x30; // other bits of the control port are kept
    PlayPortTone(port, frequency, 5);
    using W = RecordingPort::Write;
    const QList<W> expected{
        {0x61, 0x31},
        {0x61, 0x33},
        {0x43, 0x86},
        {0x42, std::uint8_t(low)},
        {0x42, std::uint8_t(high)},
        {0x61, 0x32},
        {0x61, 0x30},
    };
    QCOMPARE(port.writes, expected);
    QCOMPARE(port.reads, (QList<std::uint16_t>{0x61, 0x61, 0x61, 0x61}));
}

void TestPcSpeaker::portRestLeavesSpeakerOff() {
    for (const int frequency : {0, -440}) {
        RecordingPort port;
        QElapsedTimer clock;
        clock.start();
        PlayPortTone(port, frequency, 30);
        QVERIFY(port.writes.isEmpty());
        QVERIFY(clock.elapsed() >= 29); // the rest still lasts its duration
    }
}

void TestPcSpeaker::bitPrimitives() {
    RecordingPort port;
    port.values[0x61] = 0xF0;
    SetPortBit(port, 0x61, 2);
    QCOMPARE(PortIn(port, 0x61), std::uint8_t(0xF4));
    ClrPortBit(port, 0x61, 7);
    QCOMPARE(PortIn(port, 0x61), std::uint8_t(0x74));
    ClrPortBit(port, 0x61, 0); // already clear: written back unchanged
    QCOMPARE(port.writes.last().value, std::uint8_t(0x74));
    PortOut(port, 0x43, 0xB6);
    QCOMPARE(port.values[0x43], std::uint8_t(0xB6));
}

QTEST_GUILESS_MAIN(TestPcSpeaker)
#include "tst_pcspeaker.moc"
