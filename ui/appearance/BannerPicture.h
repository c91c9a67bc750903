#pragma once

#include <QByteArray>
#include <QImage>

namespace quorvane::BannerPicture {

// The product banner of the splash and About windows (400 x 132), decoded from the JPEG
// stored in the program on first use and kept; null only if the program lacks it.
const QImage& banner();

// Decodes JPEG bytes with libjpeg. Throws QuorvaneError on anything libjpeg cannot read;
// libjpeg's own handler would end the process instead.
QImage decodeJpeg(const QByteArray& bytes);

} // namespace quorvane::BannerPicture
