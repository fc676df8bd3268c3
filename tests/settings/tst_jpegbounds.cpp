// Pictures whose header claims more than the loader should spend: refused from the header
// alone, and the library's own memory is bounded for what passes that check.

#include "settings/JpegImage.h"

#include <QTest>

namespace {

/// A progressive picture's header as a camera or editor would write it, up to the first scan,
/// whose data is missing: a quantisation table, the frame (8-bit, three components, the first
/// with the given sampling factors), a Huffman table and the start of a DC scan of all three
/// components.
QByteArray progressiveHeader(int width, int height, char firstSampling) {
    QByteArray b("\xFF\xD8", 2);
    b += QByteArray("\xFF\xDB\x00\x43\x00", 5) + QByteArray(64, '\x01');
    b += QByteArray("\xFF\xC2\x00\x11\x08", 5);
    b += char(height >> 8);
    b += char(height & 0xFF);
    b += char(width >> 8);
    b += char(width & 0xFF);
    b += char(3);
    for (char id = 1; id <= 3; ++id) {
        b += id;
        b += id == 1 ? firstSampling : char(0x11);
        b += char(0);
    }
    // The standard table for DC differences.
    b += QByteArray("\xFF\xC4\x00\x1F\x00\x00\x01\x05\x01\x01\x01\x01\x01\x01", 14) +
         QByteArray(7, '\0');
    for (char value = 0; value < 12; ++value)
        b += value;
    b += QByteArray("\xFF\xDA\x00\x0C\x03\x01\x00\x02\x00\x03\x00\x00\x00\x00", 14);
    return b;
}

QString decodeError(const QByteArray& bytes) {
    try {
        decodeJpeg(bytes);
    } catch (const EJpegError& error) {
        return error.message();
    }
    return {};
}

} // namespace

class TestJpegBounds : public QObject {
    Q_OBJECT

private slots:
    void headerClaims_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("sampling");
        QTest::addColumn<QString>("reason");
        // The header itself is sound: a modest size gets as far as the missing data.
        QTest::newRow("1000 × 1000, data missing")
            << 1000 << 1000 << 0x11 << "die Datei endet vorzeitig";
        QTest::newRow("just over the size limit")
            << 8193 << 8192 << 0x11 << "Bild zu groß (8193 × 8192)";
        QTest::newRow("nearly the largest size a header holds")
            << 65500 << 65500 << 0x22 << "Bild zu groß (65500 × 65500)";
        // 64 million pixels at full colour resolution would keep 384 MB of coefficients.
        QTest::newRow("within the size limit, beyond the memory bound")
            << 8000 << 8000 << 0x11 << "Bild braucht zu viel Speicher";
    }

    void headerClaims() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, sampling);
        QFETCH(QString, reason);
        QCOMPARE(decodeError(progressiveHeader(width, height, char(sampling))),
                 QStringLiteral("JPEG-Bild fehlerhaft: ") + reason);
    }
};

QTEST_MAIN(TestJpegBounds)
#include "tst_jpegbounds.moc"
