#include "stream/FontHeight.h"

#include <QtGlobal>

namespace stream {
namespace {

// numerator / denominator (denominator > 0), rounded to nearest, halves away from zero.
qint64 divideRounded(qint64 numerator, qint64 denominator)
{
    const qint64 magnitude = (2 * qAbs(numerator) + denominator) / (2 * denominator);
    return numerator < 0 ? -magnitude : magnitude;
}

} // namespace

int fontHeightFromPointSize(int pointSize, int dotsPerInch)
{
    return int(-divideRounded(qint64(pointSize) * dotsPerInch, 72));
}

int pointSizeFromFontHeight(int height, int dotsPerInch)
{
    if (dotsPerInch <= 0)
        return 0;
    return int(divideRounded(-qint64(height) * 72, dotsPerInch));
}

} // namespace stream
