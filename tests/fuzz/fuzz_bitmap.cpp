// libFuzzer target for reading background bitmaps: any bytes must end in a picture or in the
// error, never in a crash, a sanitizer report or a hang.
#include "platform/QuorvaneError.h"
#include "ui/appearance/BitmapFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Qt's warnings about refused images would drown the fuzzer's output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        const QImage image = quorvane::BitmapFile::decode(buffer);
        // Touch every pixel: a picture said to be decoded must really be there.
        quint32 sum = 0;
        for (int y = 0; y < image.height(); ++y)
            sum += image.pixel(0, y) + image.pixel(image.width() - 1, y);
        (void)sum;
    } catch (const quorvane::QuorvaneError&) {
    }
    return 0;
}
