#include "platform/Arithmetic.h"

#include <QtGlobal>

#include <cmath>
#include <cstdlib>

namespace quorvane {

int roundEven(double value) {
    return int(std::nearbyint(value)); // the default rounding mode sends halves to even
}

int mulDiv(int a, int b, int d) {
    if (d == 0)
        return -1;
    const qint64 product = qint64(a) * b;
    const qint64 half = std::abs(qint64(d)) / 2;
    const bool negative = (product < 0) != (d < 0);
    const qint64 magnitude = (std::abs(product) + half) / std::abs(qint64(d));
    return int(negative ? -magnitude : magnitude);
}

} // namespace quorvane
