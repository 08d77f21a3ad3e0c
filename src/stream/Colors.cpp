#include "stream/Colors.h"

#include <limits>

namespace stream {
namespace {

struct NamedColor {
    const char* name;
    quint32 value;
};

constexpr quint32 kSystem = 0xFF000000;

// System colour 25 has no name; it is stored as an integer.
constexpr NamedColor kColors[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000},
    {"clScrollBar", kSystem + 0},
    {"clBackground", kSystem + 1},
    {"clActiveCaption", kSystem + 2},
    {"clInactiveCaption", kSystem + 3},
    {"clMenu", kSystem + 4},
    {"clWindow", kSystem + 5},
    {"clWindowFrame", kSystem + 6},
    {"clMenuText", kSystem + 7},
    {"clWindowText", kSystem + 8},
    {"clCaptionText", kSystem + 9},
    {"clActiveBorder", kSystem + 10},
    {"clInactiveBorder", kSystem + 11},
    {"clAppWorkSpace", kSystem + 12},
    {"clHighlight", kSystem + 13},
    {"clHighlightText", kSystem + 14},
    {"clBtnFace", kSystem + 15},
    {"clBtnShadow", kSystem + 16},
    {"clGrayText", kSystem + 17},
    {"clBtnText", kSystem + 18},
    {"clInactiveCaptionText", kSystem + 19},
    {"clBtnHighlight", kSystem + 20},
    {"cl3DDkShadow", kSystem + 21},
    {"cl3DLight", kSystem + 22},
    {"clInfoText", kSystem + 23},
    {"clInfoBk", kSystem + 24},
    {"clHotLight", kSystem + 26},
    {"clGradientActiveCaption", kSystem + 27},
    {"clGradientInactiveCaption", kSystem + 28},
    {"clMenuHighlight", kSystem + 29},
    {"clMenuBar", kSystem + 30},
};

} // namespace

std::optional<QByteArray> colorIdentifier(quint32 color)
{
    for (const NamedColor& c : kColors) {
        if (c.value == color)
            return QByteArray(c.name);
    }
    return std::nullopt;
}

std::optional<quint32> colorFromIdentifier(QByteArrayView name)
{
    for (const NamedColor& c : kColors) {
        if (name.compare(c.name, Qt::CaseInsensitive) == 0)
            return c.value;
    }
    return std::nullopt;
}

Value colorValue(quint32 color)
{
    if (const auto name = colorIdentifier(color))
        return Value::fromIdentifier(*name);
    // Stored as a signed 32-bit number, so system colours stay 4-byte integers.
    return Value::fromInteger(qint32(color));
}

bool colorFromValue(const Value& v, quint32* color)
{
    std::optional<quint32> result;
    if (v.kind == Value::Kind::Identifier)
        result = colorFromIdentifier(v.identifier);
    else if (v.kind == Value::Kind::Integer && v.integer >= std::numeric_limits<qint32>::min() &&
             v.integer <= std::numeric_limits<quint32>::max())
        result = quint32(v.integer);
    if (!result)
        return false;
    if (color)
        *color = *result;
    return true;
}

} // namespace stream
