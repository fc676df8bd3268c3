#include "settings/JpegImage.h"
#include "gui/Pictures.h"

#include <QFile>
#include <QImage>
#include <QTest>

#include <cmath>

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

QByteArray testData(const char* name) {
    return readFile(QStringLiteral(Z1RPW3RK_TEST_DATA "/") + QLatin1String(name));
}

QByteArray resource(const QString& name) {
    return readFile(QStringLiteral(":/pictures/%1.jpg").arg(name));
}

QColor pixel(const JpegImage& image, int x, int y) {
    const auto* p = reinterpret_cast<const uchar*>(image.rgb.constData()) + y * image.stride() + x * 3;
    return QColor(p[0], p[1], p[2]);
}

bool near(const QColor& a, const QColor& b, int tolerance = 3) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

/// The error text of decoding, or an empty text when it succeeds.
QString decodeError(const QByteArray& bytes) {
    try {
        decodeJpeg(bytes);
    } catch (const EJpegError& error) {
        return error.message();
    }
    return {};
}

// Relative luminance of an sRGB colour, as used for text contrast.
double luminance(uchar r, uchar g, uchar b) {
    const auto linear = [](uchar c) {
        const double v = c / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
}

} // namespace

class TestJpegImage : public QObject {
    Q_OBJECT

private slots:
    void picturesDecodeToTheirSizes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::newRow("background") << Pictures::kBackground << QSize(2560, 1600);
        QTest::newRow("piano octave") << Pictures::kPiano << QSize(320, 170);
        QTest::newRow("credits") << Pictures::kCredits << QSize(350, 88);
    }

    void picturesDecodeToTheirSizes() {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const JpegImage image = decodeJpeg(resource(name));
        QCOMPARE(QSize(image.width, image.height), size);
        QCOMPARE(image.rgb.size(), qsizetype(size.width()) * size.height() * 3);
        const QImage loaded = Pictures::load(name);
        QCOMPARE(loaded.size(), size);
        QCOMPARE(QColor(loaded.pixel(size.width() - 1, size.height() - 1)),
                 pixel(image, size.width() - 1, size.height() - 1));
    }

    void colours_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QColor>("colour");
        const QByteArray redBlue = "jpeg-red-blue.jpg";
        QTest::newRow("left half red") << redBlue << QSize(32, 16) << QPoint(3, 8) << QColor(255, 0, 0);
        QTest::newRow("right half blue") << redBlue << QSize(32, 16) << QPoint(28, 2) << QColor(0, 0, 255);
        QTest::newRow("grey picture as RGB") << QByteArray("jpeg-gray.jpg") << QSize(24, 8) << QPoint(5, 5) << QColor(128, 128, 128);
    }

    void colours() {
        QFETCH(QByteArray, file);
        QFETCH(QSize, size);
        QFETCH(QPoint, at);
        QFETCH(QColor, colour);
        const JpegImage image = decodeJpeg(testData(file.constData()));
        QCOMPARE(QSize(image.width, image.height), size);
        const QColor got = pixel(image, at.x(), at.y());
        QVERIFY2(near(got, colour), qPrintable(got.name()));
    }

    void damagedPicturesRaise_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray credits = resource(Pictures::kCredits);
        const QByteArray background = resource(Pictures::kBackground);
        const QString cut = QStringLiteral("die Datei endet vorzeitig");
        QTest::newRow("no bytes") << QByteArray() << "keine Daten";
        QTest::newRow("not a picture") << QByteArray("Z1rpW3rk song, not a picture") << "keine JPEG-Datei";
        QTest::newRow("start marker only") << credits.left(2) << cut;
        QTest::newRow("cut in the header") << credits.left(120) << cut;
        QTest::newRow("cut at a tenth") << credits.left(credits.size() / 10) << cut;
        QTest::newRow("cut in the middle") << credits.left(credits.size() / 2) << cut;
        QTest::newRow("background cut short") << background.left(background.size() - 4096) << cut;
        QByteArray noMarker = credits;
        noMarker[0] = 'X';
        QTest::newRow("start marker damaged") << noMarker << "keine JPEG-Datei";
        QByteArray endInside = credits;
        endInside[credits.size() / 2] = char(0xFF);
        endInside[credits.size() / 2 + 1] = char(0xD9);
        QTest::newRow("end marker inside the data") << endInside
            << "beschädigte Bilddaten (Corrupt JPEG data: premature end of data segment)";
        QTest::newRow("CMYK picture") << testData("jpeg-cmyk.jpg") << "nicht unterstützte Farbdarstellung";
    }

    void damagedPicturesRaise() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QCOMPARE(decodeError(bytes), QStringLiteral("JPEG-Bild fehlerhaft: ") + reason);
    }

    void hugeSizeRefusedBeforeDecoding() {
        // A header claiming 60,000 × 60,000 pixels would need 10 GB.
        QByteArray bytes = testData("jpeg-red-blue.jpg");
        const qsizetype frame = bytes.indexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(frame > 0);
        for (const qsizetype at : {frame + 5, frame + 7}) {
            bytes[at] = char(0xEA);
            bytes[at + 1] = char(0x60);
        }
        QCOMPARE(decodeError(bytes), QStringLiteral("JPEG-Bild fehlerhaft: Bild zu groß (60000 × 60000)"));
    }

    void unknownPictureIsReported() {
        try {
            Pictures::load(QStringLiteral("Nichtda"));
            QFAIL("no error");
        } catch (const EJpegError& error) {
            QCOMPARE(error.message(), QStringLiteral("JPEG-Bild fehlerhaft: Bild \"Nichtda\" nicht gefunden"));
        }
    }

    void backgroundReadsWellBehindWhiteText() {
        // White text keeps a contrast of at least 4.5 : 1 on every pixel of the background,
        // wherever a window shows a part of it.
        const JpegImage image = decodeJpeg(resource(Pictures::kBackground));
        const auto* data = reinterpret_cast<const uchar*>(image.rgb.constData());
        double brightest = 0;
        for (qsizetype i = 0; i < image.rgb.size(); i += 3)
            brightest = std::max(brightest, luminance(data[i], data[i + 1], data[i + 2]));
        const double contrast = 1.05 / (brightest + 0.05);
        QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
    }

    void regionMatchesTheWholePicture_data() {
        QTest::addColumn<QRect>("region");
        QTest::addColumn<QSize>("size");
        QTest::newRow("what the main window shows")
            << QRect(1504, 672, 764, 410) << QSize(764, 410);
        QTest::newRow("top left corner") << QRect(0, 0, 100, 50) << QSize(100, 50);
        QTest::newRow("odd place, not on block edges") << QRect(333, 77, 51, 29) << QSize(51, 29);
        QTest::newRow("over the bottom right edge") << QRect(2500, 1550, 100, 100) << QSize(60, 50);
        QTest::newRow("outside the picture") << QRect(3000, 0, 10, 10) << QSize(0, 0);
    }

    void regionMatchesTheWholePicture() {
        // The part decoded alone shows what the whole picture shows there.
        QFETCH(QRect, region);
        QFETCH(QSize, size);
        const QByteArray bytes = resource(Pictures::kBackground);
        const JpegImage whole = decodeJpeg(bytes);
        const JpegImage part = decodeJpegRegion(bytes, region);
        QCOMPARE(QSize(part.width, part.height), size);
        QCOMPARE(part.rgb.size(), qsizetype(size.width()) * size.height() * 3);
        for (int y = 0; y < part.height; ++y)
            for (int x = 0; x < part.width; ++x)
                if (!near(pixel(part, x, y), pixel(whole, region.x() + x, region.y() + y), 8))
                    QFAIL(qPrintable(QStringLiteral("pixel %1, %2 differs").arg(x).arg(y)));
    }

    void regionOfBrokenData_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a picture") << QByteArray("plain text, no picture");
        QTest::newRow("cut short") << resource(Pictures::kBackground).left(5000);
    }

    void regionOfBrokenData() {
        // Damaged data is refused as by the whole-picture decoder, whatever part is asked for.
        QFETCH(QByteArray, bytes);
        QVERIFY_THROWS_EXCEPTION(EJpegError, decodeJpegRegion(bytes, QRect(0, 0, 2560, 1600)));
    }
};

QTEST_MAIN(TestJpegImage)
#include "tst_jpegimage.moc"
