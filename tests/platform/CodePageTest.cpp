#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace {

// Windows-1252 characters of bytes 0x80-0x9F, as MultiByteToWideChar gives them.
constexpr char16_t kExpectedHigh[32] = {
    u'€', 0x0081, u'‚', u'ƒ', u'„', u'…', u'†', u'‡',
    u'ˆ', u'‰', u'Š', u'‹', u'Œ', 0x008D, u'Ž', 0x008F,
    0x0090, u'‘', u'’', u'“', u'”', u'•', u'–', u'—',
    u'˜', u'™', u'š', u'›', u'œ', 0x009D, u'ž', u'Ÿ',
};

TEST(CodePageTest, EveryByteDecodesToItsCharacterAndEncodesBack)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = CodePage::fromWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    for (int b = 0; b < 256; ++b) {
        const char16_t expected = (b >= 0x80 && b < 0xA0) ? kExpectedHigh[b - 0x80] : char16_t(b);
        EXPECT_EQ(text.at(b).unicode(), expected) << "byte " << b;
    }
    bool lossless = false;
    EXPECT_EQ(CodePage::toWindows1252(text, &lossless), all);
    EXPECT_TRUE(lossless);
}

TEST(CodePageTest, KnownSamples)
{
    EXPECT_EQ(CodePage::toWindows1252(QStringLiteral("€ 5 – „Grüße“")),
              QByteArray("\x80 5 \x96 \x84Gr\xFC\xDF" "e\x93"));
    EXPECT_EQ(CodePage::fromWindows1252("Caf\xE9 \x99"), QStringLiteral("Café ™"));
    EXPECT_EQ(CodePage::fromWindows1252(QByteArrayView("a\0b", 3)), (QString(QChar(u'a')) + QChar(0) + QChar(u'b')));
    EXPECT_TRUE(CodePage::toWindows1252(QString()).isEmpty());
    EXPECT_TRUE(CodePage::fromWindows1252(QByteArrayView()).isEmpty());
}

TEST(CodePageTest, UnrepresentableCharactersBecomeOneQuestionMarkEach)
{
    bool lossless = true;
    // Cyrillic, CJK, a C1 control that Windows-1252 uses for a printable sign (U+0080),
    // and a character outside the BMP (a surrogate pair: one '?', not two).
    EXPECT_EQ(CodePage::toWindows1252(QStringLiteral("Я中\u0080x😀y"), &lossless), QByteArray("??" "?x?y"));
    EXPECT_FALSE(lossless);

    // A lone surrogate (damaged text) is one unrepresentable character.
    const QString lone = QString(QChar(u'a')) + QChar(0xD800) + QChar(u'b') + QChar(0xDC00);
    EXPECT_EQ(CodePage::toWindows1252(lone, &lossless), QByteArray("a?b?"));
    EXPECT_FALSE(lossless);

    CodePage::toWindows1252(QStringLiteral("plain ÿ"), &lossless);
    EXPECT_TRUE(lossless) << "lossless must be reset to true for representable text";
}

} // namespace
