#include "ui/appearance/BannerPicture.h"

#include "platform/QuorvaneError.h"

#include <QFile>

#include <cstdio> // jpeglib.h needs FILE
#include <jpeglib.h>

static void initBannerResource() {
    Q_INIT_RESOURCE(banner);
}

namespace quorvane::BannerPicture {
namespace {
constexpr qint64 kLargestPixelCount = 16 * 1024 * 1024;

struct JpegError : QuorvaneError {
    using QuorvaneError::QuorvaneError;
};

[[noreturn]] void throwError(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX] = {};
    (*info->err->format_message)(info, text);
    throw JpegError(QStringLiteral("无法读取 JPEG 图片：%1").arg(QString::fromLocal8Bit(text)));
}

void ignoreMessage(j_common_ptr) {}

// Frees libjpeg's memory however decoding ends.
struct Decompressor {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    Decompressor() {
        info.err = jpeg_std_error(&errors);
        errors.error_exit = throwError;
        errors.output_message = ignoreMessage; // warnings (a short file) are not shown
        jpeg_create_decompress(&info);
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};
} // namespace

QImage decodeJpeg(const QByteArray& bytes) {
    if (bytes.isEmpty())
        throw QuorvaneError(QStringLiteral("无法读取 JPEG 图片：没有数据"));
    Decompressor jpeg;
    jpeg_mem_src(&jpeg.info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&jpeg.info, TRUE);
    if (qint64(jpeg.info.image_width) * jpeg.info.image_height > kLargestPixelCount)
        throw QuorvaneError(QStringLiteral("无法读取 JPEG 图片：图片太大"));
        // Straight into Qt's 32-bit layout (blue, green, red, unused on little-endian hosts).
#if defined(JCS_EXTENSIONS) && Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    jpeg.info.out_color_space = JCS_EXT_BGRX;
    const QImage::Format format = QImage::Format_RGB32;
#else
    jpeg.info.out_color_space = JCS_RGB;
    const QImage::Format format = QImage::Format_RGB888;
#endif
    jpeg_start_decompress(&jpeg.info);
    QImage image(int(jpeg.info.output_width), int(jpeg.info.output_height), format);
    if (image.isNull())
        throw QuorvaneError(QStringLiteral("无法读取 JPEG 图片：内存不足"));
    while (jpeg.info.output_scanline < jpeg.info.output_height) {
        JSAMPROW row = image.scanLine(int(jpeg.info.output_scanline));
        jpeg_read_scanlines(&jpeg.info, &row, 1);
    }
    jpeg_finish_decompress(&jpeg.info);
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    return image;
}

const QImage& banner() {
    static const QImage picture = [] {
        initBannerResource();
        QFile file(QStringLiteral(":/banner/banner.jpg"));
        if (!file.open(QIODevice::ReadOnly))
            return QImage();
        try {
            return decodeJpeg(file.readAll());
        } catch (const QuorvaneError&) {
            return QImage(); // a build without its banner shows an empty strip
        }
    }();
    return picture;
}

} // namespace quorvane::BannerPicture
