#include "DiskCapture.h"

#include "audio/SynthWave.h"
#include "base/Errors.h"

#include <QtTest>

#include <cmath>
#include <set>

namespace {

QByteArray image(int frequency, int length, int volume, int waveform) {
    return SynthWave::buildImage(frequency, length, volume, [waveform] { return waveform; });
}

quint32 u32At(const QByteArray& b, int at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

unsigned char sampleAt(const QByteArray& b, int i) {
    return static_cast<unsigned char>(b.at(SynthWave::kHeaderSize + i));
}

} // namespace

class TestSynthWave : public QObject {
    Q_OBJECT

private slots:
    void header_data();
    void header();
    void samples_data();
    void samples();
    void angularFrequencyRoundedFromExtended_data();
    void angularFrequencyRoundedFromExtended();
    void wholeImageFollowsTheFormula_data();
    void wholeImageFollowsTheFormula();
    void valueRange_data();
    void valueRange();
    void volumeZeroIsSilence_data();
    void volumeZeroIsSilence();
    void waveformReadEverySample();
    void overlongToneRefused();
    void negativeFrequencyStaysDefined();
    void playsImageOnDevice();
    void unreadableImagesPlayNothing_data();
    void unreadableImagesPlayNothing();
};

void TestSynthWave::header_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("samples");
    QTest::newRow("100 ms") << 100 << 4410;
    QTest::newRow("1 ms") << 1 << 44;
    QTest::newRow("0 ms: empty data block") << 0 << 0;
    QTest::newRow("negative length: empty data block") << -5 << 0;
    QTest::newRow("23 ms truncates 1014.3") << 23 << 1014;
    QTest::newRow("60 s, past 32-bit products") << 60000 << 2646000;
}

void TestSynthWave::header() {
    QFETCH(int, length);
    QFETCH(int, samples);
    const QByteArray wav = image(440, length, 80, 0);
    QCOMPARE(wav.size(), 46 + samples);
    QByteArray expected = QByteArray::fromHex("52494646") // RIFF
                          + QByteArray(4, 0) +
                          QByteArray::fromHex("57415645666d742012000000" // WAVEfmt 18
                                              "0100010044ac000044ac0000" // PCM, mono, 44100, 44100
                                              "010008000000"             // align 1, 8 bits, cb 0
                                              "64617461")                // data
                          + QByteArray(4, 0);
    qToLittleEndian<quint32>(38 + samples, expected.data() + 4);
    qToLittleEndian<quint32>(samples, expected.data() + 42);
    QCOMPARE(wav.left(46).toHex(), expected.toHex());
    QCOMPARE(u32At(wav, 4), quint32(38 + samples));
}

void TestSynthWave::samples_data() {
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("volume");
    QTest::addColumn<int>("waveform");
    QTest::addColumn<QList<int>>("indices");
    QTest::addColumn<QList<int>>("bytes");
    QTest::newRow("sine 440 vol 80 start") << 440 << 80 << 0 << QList<int>{0, 1, 2, 3, 4, 5, 6, 7}
                                           << QList<int>{127, 132, 137, 141, 146, 151, 156, 160};
    QTest::newRow("sine 440 vol 80 near peak and end")
        << 440 << 80 << 0 << QList<int>{25, 4409} << QList<int>{206, 122};
    QTest::newRow("square root wraps modulo 256")
        << 1000 << 100 << 2 << QList<int>{0, 1, 2, 3, 4, 5, 1000, 4409}
        << QList<int>{127, 164, 180, 192, 202, 211, 40, 73};
    QTest::newRow("noise wraps modulo 256")
        << 1000 << 100 << 3 << QList<int>{0, 1, 2, 3, 4, 5, 1000, 4409}
        << QList<int>{127, 129, 135, 145, 159, 177, 239, 34};
    // Values reckoned with exact fractions, rounding as the 64-bit-significand format does.
    // At a zero crossing the sine is nearly 0 and its sign comes from the rounding of x.
    QTest::newRow("square 22050 Hz: signs at the zero crossings")
        << 22050 << 80 << 1 << QList<int>{0, 1, 2, 19} << QList<int>{127, 207, 47, 207};
    QTest::newRow("square 100 Hz: around a whole period")
        << 100 << 80 << 1 << QList<int>{440, 441, 442} << QList<int>{47, 207, 207};
    QTest::newRow("square 3000 Hz: a crossing rounded below")
        << 3000 << 80 << 1 << QList<int>{734, 735, 736} << QList<int>{47, 47, 207};
    QTest::newRow("square 11025 Hz vol 100")
        << 11025 << 100 << 1 << QList<int>{38} << QList<int>{227};
    QTest::newRow("noise: low bits of large squares")
        << 3037 << 100 << 3 << QList<int>{4353, 4354, 4355} << QList<int>{17, 221, 206};
    QTest::newRow("noise 9249 Hz") << 9249 << 100 << 3 << QList<int>{3263} << QList<int>{21};
}

void TestSynthWave::samples() {
    QFETCH(int, frequency);
    QFETCH(int, volume);
    QFETCH(int, waveform);
    QFETCH(QList<int>, indices);
    QFETCH(QList<int>, bytes);
    const QByteArray wav = image(frequency, 100, volume, waveform);
    for (int k = 0; k < indices.size(); ++k)
        QCOMPARE(int(sampleAt(wav, indices[k])), bytes[k]);
}

// 2π·f is reckoned in extended precision and rounded once to a double. Rounding 2π to a
// double first gives another last bit for these frequencies, and the samples below move.
void TestSynthWave::angularFrequencyRoundedFromExtended_data() {
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("waveform");
    QTest::addColumn<QList<int>>("indices");
    QTest::addColumn<QList<int>>("bytes");
    QTest::newRow("square 20981 Hz")
        << 20981 << 1 << QList<int>{22050, 44100, 66150} << QList<int>{47, 207, 47};
    QTest::newRow("square -20981 Hz")
        << -20981 << 1 << QList<int>{22050, 44100, 66150} << QList<int>{207, 47, 207};
    QTest::newRow("sine 20981 Hz")
        << 20981 << 0 << QList<int>{3675, 18375, 25725} << QList<int>{166, 167, 88};
    QTest::newRow("sine -20981 Hz")
        << -20981 << 0 << QList<int>{3675, 18375, 25725} << QList<int>{88, 87, 166};
    QTest::newRow("noise 20981 Hz")
        << 20981 << 3 << QList<int>{13707, 18586, 27414} << QList<int>{175, 45, 63};
}

void TestSynthWave::angularFrequencyRoundedFromExtended() {
    QFETCH(int, frequency);
    QFETCH(int, waveform);
    QFETCH(QList<int>, indices);
    QFETCH(QList<int>, bytes);
    const QByteArray wav = image(frequency, 2000, 80, waveform);
    for (int k = 0; k < indices.size(); ++k)
        QCOMPARE(int(sampleAt(wav, indices[k])), bytes[k]);
}

// Every byte of a whole image, against the formula reckoned sample by sample in extended
// precision (the renderer takes a cheaper road wherever the result cannot differ).
void TestSynthWave::wholeImageFollowsTheFormula_data() {
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("waveform");
    for (const int frequency : {20981, -20981, 440, 3000, 22050, 17}) {
        for (const int waveform : {0, 1, 2, 3}) {
            const QByteArray name =
                QByteArray::number(frequency) + " Hz, waveform " + QByteArray::number(waveform);
            QTest::newRow(name.constData()) << frequency << waveform;
        }
    }
}

void TestSynthWave::wholeImageFollowsTheFormula() {
    QFETCH(int, frequency);
    QFETCH(int, waveform);
    constexpr int kVolume = 80;
    const QByteArray wav = image(frequency, 1000, kVolume, waveform);
    const long double pi = 3.14159265358979323846264338327950288L;
    const double omega = static_cast<double>(frequency * 2 * pi);
    const int n = int(SynthWave::sampleCount(1000));
    int wrong = 0;
    int firstWrong = -1;
    for (int i = 0; i < n; ++i) {
        const long double x = i * static_cast<long double>(omega) / SynthWave::kSampleRate;
        const long double v = SynthWave::waveValue(waveform, x) * kVolume;
        const int low = std::isfinite(v) ? int(std::fmod(std::trunc(v), 256.0L)) : 0;
        if (sampleAt(wav, i) != static_cast<unsigned char>((low + 127) & 0xFF) && wrong++ == 0)
            firstWrong = i;
    }
    QVERIFY2(wrong == 0,
             qPrintable(
                 QStringLiteral("%1 samples differ, the first at %2").arg(wrong).arg(firstWrong)));
}

void TestSynthWave::valueRange_data() {
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("volume");
    QTest::addColumn<int>("waveform");
    QTest::addColumn<QList<int>>("distinctOrMinMax");
    QTest::addColumn<bool>("distinct");
    QTest::newRow("square vol 80: three values")
        << 440 << 80 << 1 << QList<int>{47, 127, 207} << true;
    QTest::newRow("square vol 100: three values")
        << 440 << 100 << 1 << QList<int>{27, 127, 227} << true;
    QTest::newRow("sine vol 80: 48 … 206") << 440 << 80 << 0 << QList<int>{48, 206} << false;
    QTest::newRow("sine vol 100: 28 … 226") << 440 << 100 << 0 << QList<int>{28, 226} << false;
    QTest::newRow("highest 22050 Hz renders") << 22050 << 80 << 0 << QList<int>{127, 127} << false;
}

void TestSynthWave::valueRange() {
    QFETCH(int, frequency);
    QFETCH(int, volume);
    QFETCH(int, waveform);
    QFETCH(QList<int>, distinctOrMinMax);
    QFETCH(bool, distinct);
    const QByteArray wav = image(frequency, 100, volume, waveform);
    std::set<int> values;
    for (int i = 0; i < 4410; ++i)
        values.insert(sampleAt(wav, i));
    if (distinct) {
        QCOMPARE(QList<int>(values.begin(), values.end()), distinctOrMinMax);
    } else {
        QCOMPARE(*values.begin(), distinctOrMinMax[0]);
        QCOMPARE(*values.rbegin(), distinctOrMinMax[1]);
    }
}

void TestSynthWave::volumeZeroIsSilence_data() {
    QTest::addColumn<int>("waveform");
    QTest::newRow("sine") << 0;
    QTest::newRow("square") << 1;
    QTest::newRow("square root") << 2;
    QTest::newRow("noise") << 3;
}

void TestSynthWave::volumeZeroIsSilence() {
    QFETCH(int, waveform);
    const QByteArray wav = image(3000, 50, 0, waveform);
    QCOMPARE(wav.mid(46), QByteArray(2205, char(127)));
}

// The waveform choice is read at every sample: a change during rendering takes effect at once.
void TestSynthWave::waveformReadEverySample() {
    int reads = 0;
    const QByteArray wav =
        SynthWave::buildImage(440, 10, 80, [&reads] { return reads++ < 100 ? 1 : 0; });
    QCOMPARE(reads, 441);
    const std::set<int> squareValues{47, 127, 207};
    for (int i = 1; i < 100; ++i)
        QVERIFY(squareValues.count(sampleAt(wav, i)));
    QVERIFY(!squareValues.count(sampleAt(wav, 101)));
}

void TestSynthWave::overlongToneRefused() {
    try {
        image(440, std::numeric_limits<int>::max(), 80, 1);
        QFAIL("no error");
    } catch (const AppError& e) {
        QCOMPARE(e.message(), QStringLiteral("Zu wenig Arbeitsspeicher"));
    }
}

void TestSynthWave::negativeFrequencyStaysDefined() {
    // The square root of a negative x has no value: silence instead of undefined bytes.
    const QByteArray wav = image(-440, 10, 80, 2);
    QCOMPARE(wav.mid(47), QByteArray(440, char(127)));
    // the sine of a negative frequency is the mirrored wave
    const QByteArray sine = image(-440, 10, 80, 0);
    QCOMPARE(int(sampleAt(sine, 1)), 127 - 5);
}

// The image reaches the sound device: a 1000 Hz square of 60 ms.
void TestSynthWave::playsImageOnDevice() {
    DiskCapture capture;
    QVERIFY(SynthWave::playImage(image(1000, 60, 80, 1)));
    const auto segments = toneSegments(capture.samples());
    QCOMPARE(segments.size(), std::size_t(1));
    QVERIFY(qAbs(int(segments[0].length) - 2646) <= 2);
    QVERIFY2(qAbs(segments[0].frequency() - 1000) < 20,
             qPrintable(QString::number(segments[0].frequency())));
}

void TestSynthWave::unreadableImagesPlayNothing_data() {
    QTest::addColumn<QByteArray>("wav");
    const QByteArray good = image(1000, 20, 80, 1);
    QByteArray stereo = good;
    qToLittleEndian<quint16>(2, stereo.data() + 22);
    QByteArray rate = good;
    qToLittleEndian<quint32>(22050, rate.data() + 24);
    QByteArray compressed = good;
    qToLittleEndian<quint16>(2, compressed.data() + 20);
    QByteArray hugeChunk = good;
    qToLittleEndian<quint32>(0xFFFFFFF0u, hugeChunk.data() + 16);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not RIFF") << QByteArray("RIFX") + good.mid(4);
    QTest::newRow("header only, cut") << good.left(30);
    QTest::newRow("stereo") << stereo;
    QTest::newRow("other rate") << rate;
    QTest::newRow("not PCM") << compressed;
    QTest::newRow("chunk size past the end") << hugeChunk;
}

void TestSynthWave::unreadableImagesPlayNothing() {
    QFETCH(QByteArray, wav);
    DiskCapture capture;
    QVERIFY(!SynthWave::playImage(wav));
    QVERIFY(toneSegments(capture.samples()).empty());
}

QTEST_GUILESS_MAIN(TestSynthWave)
#include "tst_synthwave.moc"
