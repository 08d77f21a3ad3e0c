#include "stream/Colors.h"
#include "stream/FontHeight.h"

#include <gtest/gtest.h>

using namespace stream;

TEST(Colors, EveryNameMapsBothWaysIgnoringCase)
{
    const quint32 s = 0xFF000000;
    const std::pair<const char*, quint32> names[] = {
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
        {"clScrollBar", s + 0},
        {"clBackground", s + 1},
        {"clActiveCaption", s + 2},
        {"clInactiveCaption", s + 3},
        {"clMenu", s + 4},
        {"clWindow", s + 5},
        {"clWindowFrame", s + 6},
        {"clMenuText", s + 7},
        {"clWindowText", s + 8},
        {"clCaptionText", s + 9},
        {"clActiveBorder", s + 10},
        {"clInactiveBorder", s + 11},
        {"clAppWorkSpace", s + 12},
        {"clHighlight", s + 13},
        {"clHighlightText", s + 14},
        {"clBtnFace", s + 15},
        {"clBtnShadow", s + 16},
        {"clGrayText", s + 17},
        {"clBtnText", s + 18},
        {"clInactiveCaptionText", s + 19},
        {"clBtnHighlight", s + 20},
        {"cl3DDkShadow", s + 21},
        {"cl3DLight", s + 22},
        {"clInfoText", s + 23},
        {"clInfoBk", s + 24},
        {"clHotLight", s + 26},
        {"clGradientActiveCaption", s + 27},
        {"clGradientInactiveCaption", s + 28},
        {"clMenuHighlight", s + 29},
        {"clMenuBar", s + 30},
    };
    for (const auto& [name, value] : names) {
        EXPECT_EQ(colorIdentifier(value).value_or("none"), name);
        EXPECT_EQ(colorFromIdentifier(name), value) << name;
        EXPECT_EQ(colorFromIdentifier(QByteArray(name).toUpper()), value) << name;
        EXPECT_EQ(colorValue(value).kind, Value::Kind::Identifier);
        EXPECT_EQ(colorValue(value).identifier, name);
        quint32 fromValue = 0;
        EXPECT_TRUE(colorFromValue(Value::fromIdentifier(QByteArray(name).toLower()), &fromValue))
            << name;
        EXPECT_EQ(fromValue, value) << name;
    }
    EXPECT_EQ(colorFromIdentifier("clUnknown"), std::nullopt);
}

TEST(Colors, UnnamedColoursAreSignedInt32Integers)
{
    for (const quint32 color : {0x123456u, 0xFF000019u, 0x00FFFFFEu}) {
        const Value v = colorValue(color);
        EXPECT_EQ(v.kind, Value::Kind::Integer);
        EXPECT_EQ(v.integer, qint32(color))
            << std::hex << color; // system colours stay 4-byte integers
        quint32 back = 0;
        EXPECT_TRUE(colorFromValue(v, &back));
        EXPECT_EQ(back, color);
    }
    quint32 unused = 0;
    EXPECT_TRUE(colorFromValue(Value::fromInteger(0xFF00000F), &unused) && unused == 0xFF00000F);
    EXPECT_FALSE(colorFromValue(Value::fromInteger(0x100000000LL), &unused));
    EXPECT_FALSE(colorFromValue(Value::fromIdentifier("clNoSuch"), &unused));
    EXPECT_FALSE(colorFromValue(Value::fromString(QStringLiteral("clRed")), &unused));
}

TEST(FontHeight, RoundsHalvesAwayFromZero)
{
    const int heights96[] = {-8, -9, -11, -12, -13, -15, -16};
    for (int size = 6; size <= 12; ++size)
        EXPECT_EQ(fontHeightFromPointSize(size, 96), heights96[size - 6]) << size;
    EXPECT_EQ(pointSizeFromFontHeight(-11, 96), 8);
    EXPECT_EQ(pointSizeFromFontHeight(-16, 96), 12);
    EXPECT_EQ(fontHeightFromPointSize(3, 96), -4); // exactly 4
    EXPECT_EQ(fontHeightFromPointSize(1, 36), -1); // 0.5 rounds away from zero
    EXPECT_EQ(pointSizeFromFontHeight(-2, 96), 2); // 1.5
    EXPECT_EQ(pointSizeFromFontHeight(2, 96), -2); // -1.5
    EXPECT_EQ(pointSizeFromFontHeight(-11, 0), 0);
}
