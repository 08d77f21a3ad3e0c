#pragma once

#include "stream/ComponentStream.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// Colours in the board file: 0x00BBGGRR for a plain colour, 0xFF000000 plus the
// index for a system colour. A colour with a name ("clRed") is stored as that
// identifier, any other as an integer.
namespace stream {

std::optional<QByteArray> colorIdentifier(quint32 color);
std::optional<quint32> colorFromIdentifier(QByteArrayView name); // ignores letter case
Value colorValue(quint32 color);
// Accepts an identifier or an integer; false if neither or an unknown name.
bool colorFromValue(const Value& v, quint32* color);

} // namespace stream
