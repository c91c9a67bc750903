#include "ui/appearance/BitmapFile.h"

#include "platform/QuorvaneError.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cmath>

namespace quorvane::BitmapFile {
namespace {
constexpr qint64 kFileHeaderSize = 14;
constexpr qint64 kCoreHeaderSize = 12;
constexpr qint64 kLargestInfoHeader = 124; // BITMAPV5HEADER

quint32 u16(const QByteArray& bytes, qsizetype at) {
    return quint32(quint8(bytes[at])) | quint32(quint8(bytes[at + 1])) << 8;
}
quint32 u32(const QByteArray& bytes, qsizetype at) {
    return u16(bytes, at) | u16(bytes, at + 2) << 16;
}

[[noreturn]] void invalid() {
    throw QuorvaneError(QStringLiteral("Bitmap image is not valid"));
}

// The headers are checked before Qt sees the file, so that nothing a header claims (sizes,
// offsets) is believed without the bytes to back it.
void checkHeaders(QIODevice& device) {
    const qint64 size = device.size();
    const QByteArray head = device.peek(kFileHeaderSize + kLargestInfoHeader);
    if (head.size() < kFileHeaderSize + kCoreHeaderSize || head[0] != 'B' || head[1] != 'M')
        invalid();
    const qint64 pixelOffset = u32(head, 10);
    const qint64 infoSize = u32(head, 14);
    if (infoSize < kCoreHeaderSize || kFileHeaderSize + infoSize > head.size() ||
        pixelOffset < kFileHeaderSize + infoSize || pixelOffset >= size)
        invalid();

    qint64 width = 0;
    qint64 height = 0;
    quint32 bitCount = 0;
    quint32 compression = 0;
    if (infoSize == kCoreHeaderSize) {
        width = u16(head, 18);
        height = u16(head, 20);
        bitCount = u16(head, 24);
    } else {
        if (infoSize < 16)
            invalid();
        width = qint32(u32(head, 18));
        height = qint32(u32(head, 22));
        bitCount = u16(head, 28);
        compression = infoSize >= 20 ? u32(head, 30) : 0;
    }
    if (height < 0) // top-down
        height = -height;
    if (width <= 0 || height <= 0)
        invalid();
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        invalid();
    }
    // Uncompressed rows (padded to four bytes) must all be in the file.
    constexpr quint32 biRgb = 0;
    constexpr quint32 biBitfields = 3;
    if (compression == biRgb || compression == biBitfields) {
        const qint64 stride = (width * bitCount + 31) / 32 * 4;
        if (stride > (size - pixelOffset) / height) // divided: a hostile header overflows
            invalid();
    }
    // Decoded, every pixel takes four bytes. A picture past that is valid, only too large.
    constexpr qint64 largest = qint64(kAllocationLimitMb) * 1024 * 1024 / 4;
    if (width * height > largest) {
        const qint64 side = qint64(std::sqrt(double(largest)));
        throw QuorvaneError(QStringLiteral("位图太大：%1 × %2 像素，超过上限 %3 像素 (%4 × %4)")
                                .arg(width)
                                .arg(height)
                                .arg(largest)
                                .arg(side));
    }
}
} // namespace

QImage decode(QIODevice& device) {
    checkHeaders(device);
    QImageReader reader(&device, "bmp");
    reader.setDecideFormatFromContent(false);
    reader.setAllocationLimit(kAllocationLimitMb);
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        invalid();
    return image;
}

QImage read(const QString& path) {
    // Only plain files: a pipe or a device would block or never end.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw QuorvaneError(QStringLiteral("Cannot open file %1").arg(path));
    return decode(file);
}

} // namespace quorvane::BitmapFile
