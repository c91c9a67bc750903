#include "platform/QuorvaneError.h"
#include "support/TestFiles.h"
#include "ui/appearance/BackgroundBitmap.h"
#include "ui/appearance/BannerPicture.h"
#include "ui/appearance/BitmapFile.h"

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sys/stat.h>

using namespace quorvane;

namespace {
// An error message from a call that must fail; "" if it did not.
template <typename F> QString failure(F&& call) {
    try {
        call();
    } catch (const QuorvaneError& error) {
        return error.message();
    }
    return {};
}

// A 24-bit bitmap header for hand-made hostile files.
QByteArray bmpHeader(qint32 width, qint32 height, quint16 bits, quint32 offset = 54,
                     quint32 compression = 0) {
    QByteArray bytes(54, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, bytes.data() + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, bytes.data() + at); };
    put32(10, offset);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    put16(26, 1);
    put16(28, bits);
    put32(30, compression);
    return bytes;
}

// Each pixel its own colour, so a misplaced tile shows.
QImage pattern(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x + y) % 256));
    return image;
}
} // namespace

class TestBitmaps : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void readsTheKindsUsersMeet_data();
    void readsTheKindsUsersMeet();
    void refusesWhatIsNoBitmap_data();
    void refusesWhatIsNoBitmap();
    void tilesFromEachSurfaceCorner_data();
    void tilesFromEachSurfaceCorner();
    void bannerDecodesAndBadJpegThrows();
};

void TestBitmaps::readsTheKindsUsersMeet_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QColor>("left");
    QTest::addColumn<QColor>("right");
    const QColor red(255, 0, 0), white(255, 255, 255), black(0, 0, 0);
    QTest::newRow("1 bit") << "BMP3"
                           << "-type bilevel" << black << white;
    QTest::newRow("4 bit") << "BMP3"
                           << "-type palette" << red << white;
    QTest::newRow("8 bit RLE") << "BMP3"
                               << "-type palette -compress RLE" << red << white;
    QTest::newRow("16 bit bit fields") << "BMP"
                                       << "-define bmp:subtype=RGB565" << red << white;
    QTest::newRow("24 bit") << "BMP3"
                            << "-type truecolor" << red << white;
    QTest::newRow("32 bit with alpha") << "BMP"
                                       << "-type truecoloralpha" << red << white;
    QTest::newRow("OS2 core header") << "BMP2"
                                     << "-type truecolor" << red << white;
}

void TestBitmaps::readsTheKindsUsersMeet() {
    QFETCH(QString, format);
    QFETCH(QString, options);
    QFETCH(QColor, left);
    QFETCH(QColor, right);
    // Named as no bitmap: the content decides.
    const QString file = path(QString::fromLatin1(QTest::currentDataTag()) + u".dat");
    const QString fill = left == QColor(Qt::black) ? u"black"_qs : u"red"_qs;
    if (QStandardPaths::findExecutable(u"convert"_qs).isEmpty())
        QSKIP("ImageMagick's convert is needed to make the bitmaps");
    QProcess convert;
    convert.start(u"convert"_qs, QStringList{u"-size"_qs, u"8x6"_qs, u"xc:white"_qs, u"-fill"_qs,
                                             fill, u"-draw"_qs, u"rectangle 0,0 3,5"_qs} +
                                     options.split(u' ') + QStringList{format + u':' + file});
    QVERIFY(convert.waitForFinished());
    QCOMPARE(convert.exitCode(), 0);

    BackgroundBitmap bitmap;
    bitmap.load(file);
    QCOMPARE(bitmap.image().size(), QSize(8, 6));
    QCOMPARE(bitmap.image().pixelColor(0, 0), left);
    QCOMPARE(bitmap.image().pixelColor(3, 5), left);
    QCOMPARE(bitmap.image().pixelColor(7, 5), right);
    QVERIFY(!bitmap.image().hasAlphaChannel()); // tiles are copied opaque
    QCOMPARE(bitmap.path(), file);
}

void TestBitmaps::refusesWhatIsNoBitmap_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // written unless empty and name has no file
    QTest::addColumn<QString>("message");
    const QString invalid = QStringLiteral("Bitmap image is not valid");
    const QString cannotOpen = QStringLiteral("Cannot open file ");
    const QByteArray good = bmpHeader(2, 2, 24) + QByteArray(16, '\x7f');
    QTest::newRow("missing") << "missing.bmp" << QByteArray() << cannotOpen;
    QTest::newRow("folder") << "folder" << QByteArray() << cannotOpen;
    QTest::newRow("pipe") << "pipe.bmp" << QByteArray() << cannotOpen;
    QTest::newRow("empty") << "empty.bmp" << QByteArray("") << invalid;
    QTest::newRow("png named bmp") << "png.bmp" << QByteArray("\x89PNG\r\n\x1a\n....") << invalid;
    QTest::newRow("header cut") << "cut.bmp" << good.left(20) << invalid;
    QTest::newRow("pixels cut") << "short.bmp" << good.left(good.size() - 3) << invalid;
    QTest::newRow("offset past end")
        << "offset.bmp" << bmpHeader(2, 2, 24, 5000) + QByteArray(16, 0) << invalid;
    QTest::newRow("huge") << "huge.bmp" << bmpHeader(100000, 100000, 24) + QByteArray(64, 0)
                          << invalid;
    // A picture that is whole but past the limit is named as too large, with the limit.
    const QString tooLarge =
        QStringLiteral("位图太大：%1 像素，超过上限 16777216 像素 (4096 × 4096)");
    QTest::newRow("huge RLE") << "rle.bmp" << bmpHeader(30000, 30000, 8, 54, 1) + QByteArray(64, 0)
                              << tooLarge.arg(u"30000 × 30000"_qs);
    const qsizetype rows = (4500 + 31) / 32 * 4 * 4000;
    QByteArray blackAndWhite =
        bmpHeader(4500, 4000, 1, 62) + QByteArray("\0\0\0\0\xff\xff\xff\0", 8);
    QTest::newRow("4500 x 4000") << "large.bmp" << blackAndWhite + QByteArray(rows, '\x55')
                                 << tooLarge.arg(u"4500 × 4000"_qs);
    QTest::newRow("wide and tall")
        << "overflow.bmp" << bmpHeader(0x7fffffff, 0x7fffffff, 32) + QByteArray(64, 0) << invalid;
    QTest::newRow("no width") << "zero.bmp" << bmpHeader(0, 2, 24) + QByteArray(16, 0) << invalid;
    QTest::newRow("negative width")
        << "negative.bmp" << bmpHeader(-2, 2, 24) + QByteArray(16, 0) << invalid;
    QTest::newRow("7 bits") << "bits.bmp" << bmpHeader(2, 2, 7) + QByteArray(16, 0) << invalid;
}

void TestBitmaps::refusesWhatIsNoBitmap() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString file = path(name);
    if (name == u"folder")
        QVERIFY(QDir().mkpath(file));
    else if (name == u"pipe")
        QCOMPARE(mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    else if (!bytes.isNull())
        QVERIFY(testing::writeFile(file, bytes));

    BackgroundBitmap bitmap;
    const QString before = path(u"before.bmp"_qs);
    QVERIFY(pattern(3, 3).save(before, "BMP"));
    bitmap.load(before);
    const QString error = failure([&] { bitmap.load(file); });
    QCOMPARE(error, message.endsWith(u' ') ? message + file : message);
    // The picture held before stays.
    QCOMPARE(bitmap.image(), pattern(3, 3));
    QCOMPARE(bitmap.path(), before);
}

void TestBitmaps::tilesFromEachSurfaceCorner_data() {
    QTest::addColumn<QSize>("tile");
    QTest::addColumn<QRect>("surface");
    QTest::newRow("64 x 64 on the left margin") << QSize(64, 64) << QRect(0, 0, 9, 335);
    QTest::newRow("larger than the surface") << QSize(300, 80) << QRect(0, 0, 195, 52);
    QTest::newRow("16 x 16 on the header") << QSize(16, 16) << QRect(0, 0, 609, 60);
    QTest::newRow("surface off the origin") << QSize(7, 5) << QRect(13, 4, 30, 22);
    QTest::newRow("no picture") << QSize() << QRect(0, 0, 40, 40);
}

void TestBitmaps::tilesFromEachSurfaceCorner() {
    QFETCH(QSize, tile);
    QFETCH(QRect, surface);
    BackgroundBitmap bitmap;
    QImage source;
    if (tile.isValid()) {
        source = pattern(tile.width(), tile.height());
        const QString file = path(u"tile.bmp"_qs);
        QVERIFY(source.save(file, "BMP"));
        bitmap.load(file);
    }
    const QColor untouched(1, 2, 3);
    QImage canvas(surface.right() + 5, surface.bottom() + 5, QImage::Format_RGB32);
    canvas.fill(untouched);
    {
        QPainter painter(&canvas);
        bitmap.tile(painter, surface);
    }
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            const QPoint at(x, y);
            const QColor expected = surface.contains(at) && !source.isNull()
                                        ? source.pixelColor((x - surface.left()) % tile.width(),
                                                            (y - surface.top()) % tile.height())
                                        : untouched;
            if (canvas.pixelColor(at) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
}

void TestBitmaps::bannerDecodesAndBadJpegThrows() {
    QCOMPARE(BannerPicture::banner().size(), QSize(400, 132));
    // The picture is light: the black version label must read on it.
    QVERIFY(qGray(BannerPicture::banner().pixel(350, 120)) > 160);

    QFile file(u":/banner/banner.jpg"_qs);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray jpeg = file.readAll();
    // A cut picture decodes with what is there (libjpeg only warns).
    QCOMPARE(BannerPicture::decodeJpeg(jpeg.left(jpeg.size() / 2)).size(), QSize(400, 132));
    for (const QByteArray& bad : {QByteArray(), QByteArray("not a picture"), jpeg.left(40),
                                  QByteArray("\xff\xd8\xff\xc0\x00\x02garbage")})
        QVERIFY(failure([&] { BannerPicture::decodeJpeg(bad); }).startsWith(u"无法读取 JPEG 图片"));
}

QTEST_MAIN(TestBitmaps)
#include "tst_bitmaps.moc"
