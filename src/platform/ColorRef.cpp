#include "platform/ColorRef.h"

#include <array>

namespace ColorRef {

namespace {

// The classic desktop scheme, by system colour index.
constexpr std::array<QRgb, 31> systemColors = {
    qRgb(212, 208, 200), qRgb(58, 110, 165),  qRgb(10, 36, 106),   qRgb(128, 128, 128),
    qRgb(212, 208, 200), qRgb(255, 255, 255), qRgb(0, 0, 0),       qRgb(0, 0, 0),
    qRgb(0, 0, 0),       qRgb(255, 255, 255), qRgb(212, 208, 200), qRgb(212, 208, 200),
    qRgb(128, 128, 128), qRgb(10, 36, 106),   qRgb(255, 255, 255), qRgb(212, 208, 200),
    qRgb(128, 128, 128), qRgb(128, 128, 128), qRgb(0, 0, 0),       qRgb(212, 208, 200),
    qRgb(255, 255, 255), qRgb(64, 64, 64),    qRgb(212, 208, 200), qRgb(0, 0, 0),
    qRgb(255, 255, 225), qRgb(181, 181, 181), qRgb(0, 0, 128),     qRgb(166, 202, 240),
    qRgb(192, 192, 192), qRgb(49, 106, 197),  qRgb(236, 233, 216)};

} // namespace

QColor toQColor(quint32 colorRef)
{
    if ((colorRef & 0xFF000000) == 0xFF000000) {
        const quint32 index = colorRef & 0xFF;
        return index < systemColors.size() ? QColor(systemColors[index]) : QColor(Qt::black);
    }
    if (colorRef & 0xFF000000) // clNone, clDefault and other special values
        return QColor(Qt::transparent);
    return QColor(int(colorRef & 0xFF), int((colorRef >> 8) & 0xFF), int((colorRef >> 16) & 0xFF));
}

quint32 fromQColor(const QColor& color)
{
    const QRgb rgb = color.rgb();
    return quint32(qRed(rgb)) | quint32(qGreen(rgb)) << 8 | quint32(qBlue(rgb)) << 16;
}

} // namespace ColorRef
