#include "settings/JpegImage.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace {

constexpr quint64 kMaxPixels = 64ull * 1024 * 1024;
/// What the library may allocate for one picture. A progressive picture keeps all of its
/// coefficients until the last scan, two bytes per colour sample: this admits the largest
/// picture at 4:2:0 and one of about 44 million pixels at full colour resolution, far more
/// than any screen shows.
constexpr long kMaxDecoderMemory = 256L * 1024 * 1024;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char text[JMSG_LENGTH_MAX];
    int code;
};

[[noreturn]] void onError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->text);
    manager->code = info->err->msg_code;
    std::longjmp(manager->jump, 1);
}

// The reasons a user can act on, in the program's language; the library's own text for the rest.
QString reason(int code, const char* libraryText) {
    switch (code) {
    case JERR_NO_SOI:
        return QStringLiteral("keine JPEG-Datei");
    case JWRN_JPEG_EOF:
    case JERR_INPUT_EOF:
    case JERR_INPUT_EMPTY:
        return QStringLiteral("die Datei endet vorzeitig");
    case JERR_NO_BACKING_STORE:
    case JERR_OUT_OF_MEMORY:
        return QStringLiteral("Bild braucht zu viel Speicher");
    case JERR_CONVERSION_NOTIMPL:
    case JERR_BAD_J_COLORSPACE:
        return QStringLiteral("nicht unterstützte Farbdarstellung");
    default:
        return QStringLiteral("beschädigte Bilddaten (%1)")
            .arg(QString::fromLocal8Bit(libraryText));
    }
}

void onMessage(j_common_ptr info, int level) {
    // Level -1 is a warning about damaged data (bad Huffman code, data cut short, ...).
    // The library would carry on and paint the rest grey; treat it as the error it is.
    if (level < 0)
        onError(info);
}

/// Reads the header, refuses what is too large, and starts decompressing to RGB. Runs after the
/// caller's setjmp: a library error jumps back there (this frame holds nothing to destroy).
void startDecoding(jpeg_decompress_struct& info, const QByteArray& bytes) {
    jpeg_create_decompress(&info);
    // Without a bound the library reserves whatever a header claims (a few hundred bytes can
    // ask for gigabytes); past it, decoding stops with an error instead.
    info.mem->max_memory_to_use = kMaxDecoderMemory;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    // A header may claim any size up to 65,535 × 65,535; refuse what no screen needs before
    // the library allocates for it (a progressive picture is buffered whole when decoding
    // starts).
    if (quint64(info.image_width) * info.image_height > kMaxPixels) {
        jpeg_destroy_decompress(&info);
        throw EJpegError(
            QStringLiteral("Bild zu groß (%1 × %2)").arg(info.image_width).arg(info.image_height));
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        throw EJpegError(QStringLiteral("nicht unterstützte Farbdarstellung"));
    }
}

} // namespace

EJpegError::EJpegError(const QString& reason)
    : AppError(QStringLiteral("JPEG-Bild fehlerhaft: %1").arg(reason)) {}

JpegImage decodeJpeg(const QByteArray& bytes) {
    if (bytes.isEmpty())
        throw EJpegError(QStringLiteral("keine Daten"));

    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = onMessage;

    // Everything that must survive the jump back lives outside the jump's frame: the result
    // is filled only after setjmp, and no C++ object with a destructor is created between.
    JpegImage image;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        throw EJpegError(reason(errors.code, errors.text));
    }

    startDecoding(info, bytes);

    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.rgb.resize(qsizetype(image.stride()) * image.height);
    auto* data = reinterpret_cast<unsigned char*>(image.rgb.data());
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = data + qsizetype(info.output_scanline) * image.stride();
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}

JpegImage decodeJpegRegion(const QByteArray& bytes, const QRect& region) {
    if (bytes.isEmpty())
        throw EJpegError(QStringLiteral("keine Daten"));

    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = onMessage;

    // As in decodeJpeg: whatever must survive the jump back exists before setjmp.
    JpegImage image;
    QByteArray row;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        throw EJpegError(reason(errors.code, errors.text));
    }

    startDecoding(info, bytes);
    const QRect part = region & QRect(0, 0, int(info.output_width), int(info.output_height));
    if (part.isEmpty()) {
        jpeg_destroy_decompress(&info);
        return image;
    }

    // The library widens the columns to whole blocks; the rows it gives start at `left`.
    JDIMENSION left = JDIMENSION(part.x());
    JDIMENSION width = JDIMENSION(part.width());
    jpeg_crop_scanline(&info, &left, &width);
    if (part.y() > 0)
        jpeg_skip_scanlines(&info, JDIMENSION(part.y()));

    image.width = part.width();
    image.height = part.height();
    image.rgb.resize(qsizetype(image.stride()) * image.height);
    row.resize(qsizetype(info.output_width) * 3);
    const qsizetype skip = qsizetype(JDIMENSION(part.x()) - left) * 3;
    for (int y = 0; y < image.height; ++y) {
        auto* sample = reinterpret_cast<JSAMPLE*>(row.data());
        JSAMPROW rows[] = {sample};
        jpeg_read_scanlines(&info, rows, 1);
        std::memcpy(image.rgb.data() + qsizetype(y) * image.stride(), row.constData() + skip,
                    size_t(image.stride()));
    }
    // The rows below the part are never decoded.
    jpeg_destroy_decompress(&info);
    return image;
}
