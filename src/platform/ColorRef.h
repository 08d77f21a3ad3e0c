#pragma once

#include <QColor>

// Colours are kept as the stored 32-bit values: 0x00BBGGRR for a plain colour,
// 0xFF000000 plus an index for a system colour.
namespace ColorRef {

constexpr quint32 White = 0xFFFFFF;
constexpr quint32 Black = 0x000000;
constexpr quint32 Green = 0x008000;
constexpr quint32 BtnFace = 0xFF00000F;
constexpr quint32 WindowText = 0xFF000008;

// System colours resolve to the classic desktop scheme.
QColor toQColor(quint32 colorRef);
quint32 fromQColor(const QColor& color);

} // namespace ColorRef
