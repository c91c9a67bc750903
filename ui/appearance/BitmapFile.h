#pragma once

#include <QImage>
#include <QString>

class QIODevice;

namespace quorvane::BitmapFile {

// The largest picture we decode, in megabytes of decoded pixels: far beyond any tile, far
// below what a hostile header could otherwise make us allocate.
inline constexpr int kAllocationLimitMb = 64;

// Reads a Windows bitmap file, recognised by its content whatever its name. Throws
// QuorvaneError "Cannot open file <path>" when the file cannot be opened and "Bitmap image
// is not valid" when it holds no bitmap we can read; a bitmap past the limit is refused as
// too large, with its size and the limit.
QImage read(const QString& path);

// The same for bytes already open; only the second kind of error.
QImage decode(QIODevice& device);

} // namespace quorvane::BitmapFile
