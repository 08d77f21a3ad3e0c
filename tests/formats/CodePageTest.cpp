#include "formats/CodePage.h"
#include "support/SystemCodePage.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

// Windows-1252 characters of bytes 0x80-0x9F, as MultiByteToWideChar gives them.
constexpr char16_t kExpectedHigh[32] = {
    u'€', 0x0081, u'‚',   u'ƒ', u'„',   u'…',   u'†', u'‡',   u'ˆ', u'‰', u'Š',
    u'‹', u'Œ',   0x008D, u'Ž', 0x008F, 0x0090, u'‘', u'’',   u'“', u'”', u'•',
    u'–', u'—',   u'˜',   u'™', u'š',   u'›',   u'œ', 0x009D, u'ž', u'Ÿ',
};

constexpr int kAnsiCodePages[] = {874,  932,  936,  949,  950,  1250, 1251,
                                  1252, 1253, 1254, 1255, 1256, 1257, 1258};

TEST(CodePageTest, EveryWindows1252ByteDecodesToItsCharacterAndEncodesBack)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = CodePage::decode(all, 1252);
    ASSERT_EQ(text.size(), 256);
    for (int b = 0; b < 256; ++b) {
        const char16_t expected = (b >= 0x80 && b < 0xA0) ? kExpectedHigh[b - 0x80] : char16_t(b);
        EXPECT_EQ(text.at(b).unicode(), expected) << "byte " << b;
    }
    EXPECT_EQ(CodePage::encode(text, 1252).value_or("<lost>"), all);
}

TEST(CodePageTest, TextOfEachScriptTakesTheBytesOfItsCodePage)
{
    const struct {
        int codePage;
        QString text;
        QByteArray bytes;
    } samples[] = {
        {1252, QStringLiteral("€ 5 – „Grüße“"),
         QByteArray("\x80 5 \x96 \x84Gr\xFC\xDF"
                    "e\x93")},
        {1250, QStringLiteral("Łódź"),
         QByteArray("\xA3\xF3"
                    "d\x9F")},
        {1251, QStringLiteral("Насос 1"), QByteArray("\xCD\xE0\xF1\xEE\xF1 1")},
        {1253, QStringLiteral("Αντλία"), QByteArray("\xC1\xED\xF4\xEB\xDF\xE1")},
        {932, QStringLiteral("日本語テスト"),
         QByteArray("\x93\xFA\x96\x7B\x8C\xEA\x83\x65\x83\x58\x83\x67")},
        // The trail byte of 表 is a backslash.
        {932, QStringLiteral("表"), QByteArray("\x95\\")},
        {936, QStringLiteral("中文"), QByteArray("\xD6\xD0\xCE\xC4")},
        {949, QStringLiteral("한국"), QByteArray("\xC7\xD1\xB1\xB9")},
        {950, QStringLiteral("中文"), QByteArray("\xA4\xA4\xA4\xE5")},
    };
    for (const auto& sample : samples) {
        EXPECT_EQ(CodePage::encode(sample.text, sample.codePage).value_or("<lost>"), sample.bytes)
            << sample.codePage;
        EXPECT_EQ(CodePage::decode(sample.bytes, sample.codePage), sample.text) << sample.codePage;
    }
    EXPECT_EQ(CodePage::encode(QString()), QByteArray());
    EXPECT_TRUE(CodePage::decode(QByteArrayView()).isEmpty());
    EXPECT_EQ(CodePage::decode(QByteArrayView("a\0b", 3)),
              (QString(QChar(u'a')) + QChar(0) + QChar(u'b')));
}

TEST(CodePageTest, TextWithACharacterTheCodePageLacksHasNoBytesInIt)
{
    EXPECT_FALSE(CodePage::encode(QStringLiteral("Я"), 1252));
    EXPECT_FALSE(CodePage::encode(QStringLiteral("x😀y"), 1252));
    EXPECT_FALSE(CodePage::encode(QStringLiteral("Łódź"), 1251));
    EXPECT_FALSE(CodePage::encode(QStringLiteral("Насос 中"), 1251));
    // Windows-1252 gives byte 0x80 to "€": the control character U+0080 has none,
    // while U+0081, which no character takes, is byte 0x81.
    EXPECT_FALSE(CodePage::encode(QStringLiteral("\u0080"), 1252));
    EXPECT_EQ(CodePage::encode(QStringLiteral("\u0081"), 1252), QByteArray("\x81"));
    // A lone surrogate is damaged text.
    EXPECT_FALSE(CodePage::encode(QString(QChar(u'a')) + QChar(0xD800) + QChar(u'b'), 1250));
    // The converter writes "¥" as the Shift-JIS backslash, which reads back as "\\".
    EXPECT_FALSE(CodePage::encode(QStringLiteral("¥100"), 932));
}

TEST(CodePageTest, OnlyDefinedCharactersHaveDefinedBytes)
{
    // The stand-ins of unassigned bytes have none, in single- and multi-byte code pages.
    for (const char16_t c : {u'\u0081', u'\u008F', u'\u0090', u'\u009D'})
        EXPECT_FALSE(CodePage::encodeDefined(QString(QChar(c)), 1252)) << int(c);
    EXPECT_FALSE(CodePage::encodeDefined(QString(QChar(0xDC80)), 932));
    EXPECT_FALSE(CodePage::encodeDefined(QStringLiteral("Pumpe \u0090"), 1252));
    EXPECT_EQ(CodePage::encodeDefined(QStringLiteral("Grüße €\u007F"), 1252),
              QByteArray("Gr\xfc\xdf\x65 \x80\x7f"));
    EXPECT_EQ(CodePage::encodeDefined(QStringLiteral("Насос"), 1251),
              CodePage::encode(QStringLiteral("Насос"), 1251));
    EXPECT_FALSE(CodePage::encodeDefined(QStringLiteral("Я"), 1252));
}

TEST(CodePageTest, AnyBytesReadAreWrittenBackUnchanged)
{
    QRandomGenerator random(15);
    for (const int codePage : kAnsiCodePages) {
        for (int round = 0; round < 20; ++round) {
            QByteArray bytes(int(random.bounded(1, 300)), Qt::Uninitialized);
            for (char& c : bytes)
                c = char(random.bounded(256));
            const QString text = CodePage::decode(bytes, codePage);
            const QByteArray written = CodePage::encode(text, codePage).value_or("<lost>");
            // The double-byte code pages give some characters two byte pairs,
            // as Windows does, and the Vietnamese one joins a letter and its
            // accent: there the text, not each byte, comes back.
            if (codePage < 1000 || codePage == 1258)
                ASSERT_EQ(CodePage::decode(written, codePage), text)
                    << codePage << ": " << bytes.toHex().constData();
            else
                ASSERT_EQ(written, bytes) << codePage << ": " << bytes.toHex().constData();
        }
    }
    // A cut-off double-byte character and a byte Shift-JIS does not assign.
    const QByteArray damaged("\x82\xA0\xFD"
                             "a\x82");
    EXPECT_EQ(CodePage::encode(CodePage::decode(damaged, 932), 932).value_or("<lost>"), damaged);
}

TEST(CodePageTest, TheLocaleNamesTheCodePageAsWindowsChoosesIt)
{
    const std::pair<const char*, int> locales[] = {
        {"pl_PL.UTF-8", 1250},
        {"cs_CZ", 1250},
        {"hu_HU.ISO-8859-2", 1250},
        {"sq_AL.UTF-8", 1250},
        {"sr_RS@latin", 1250},
        {"sr-Latn-RS", 1250},
        {"ru_RU.UTF-8", 1251},
        {"uk_UA", 1251},
        {"sr_RS.UTF-8", 1251},
        {"kk_KZ", 1251},
        {"tt_RU", 1251},
        {"el_GR.UTF-8", 1253},
        {"tr_TR", 1254},
        {"az_AZ", 1254},
        {"he_IL.UTF-8", 1255},
        {"fa_IR", 1256},
        {"ur_PK", 1256},
        {"lt_LT", 1257},
        {"vi_VN", 1258},
        {"th_TH.UTF-8", 874},
        {"ja_JP.UTF-8", 932},
        {"ja", 932},
        {"zh_CN.UTF-8", 936},
        {"zh_SG", 936},
        {"ko_KR.EUC-KR", 949},
        {"zh_TW.UTF-8", 950},
        {"zh_HK", 950},
        {"en_US.UTF-8", 1252},
        {"de_DE@euro", 1252},
        {"C", 1252},
        {"POSIX", 1252},
        {"", 1252},
        {"xx_YY", 1252},
    };
    for (const auto& [locale, codePage] : locales)
        EXPECT_EQ(CodePage::forLocale(QString::fromLatin1(locale)), codePage) << locale;
}

TEST(CodePageTest, TheCommandLineOverridesTheLocaleAndAnUnknownNumberIsNamed)
{
    // The variables are read as the user set them, generated on this machine or not.
    qputenv("LC_ALL", "");
    qputenv("LC_CTYPE", "el_GR.UTF-8");
    qputenv("LANG", "ru_RU.UTF-8");
    EXPECT_EQ(CodePage::localeFromEnvironment(), "el_GR.UTF-8");
    QString problem;
    EXPECT_EQ(CodePage::forProgram({"Vexorin"}, &problem), 1253);
    EXPECT_TRUE(problem.isEmpty());
    qputenv("LC_ALL", "ja_JP.UTF-8");
    EXPECT_EQ(CodePage::forProgram({"Vexorin"}), 932);

    EXPECT_EQ(CodePage::forProgram({"Vexorin", "--codepage", "1250"}), 1250);
    EXPECT_EQ(CodePage::forProgram({"Vexorin", "--codepage=936"}), 936);
    EXPECT_EQ(CodePage::forProgram({"Vexorin", "--codepage", "437"}, &problem), 932);
    EXPECT_TRUE(problem.contains("\"437\"")) << problem.toStdString();
    EXPECT_EQ(CodePage::forProgram({"Vexorin", "--codepage", "many"}, &problem), 932);
    EXPECT_TRUE(problem.contains("\"many\"")) << problem.toStdString();
    qunsetenv("LC_ALL");
    qunsetenv("LC_CTYPE");
    qunsetenv("LANG");

    const int before = CodePage::system();
    EXPECT_FALSE(CodePage::setSystem(437));
    EXPECT_FALSE(CodePage::setSystem(0));
    EXPECT_EQ(CodePage::system(), before);
}

TEST(CodePageTest, ATextFileIsInTheCodePageWhenItFitsAndElseWhollyInUtf8)
{
    const SystemCodePage russian(1251);
    bool complete = false;
    EXPECT_EQ(CodePage::encodeTextFile(u"Имя=Насос\r\n", &complete),
              QByteArray("\xC8\xEC\xFF=\xCD\xE0\xF1\xEE\xF1\r\n"));
    EXPECT_TRUE(complete);
    EXPECT_EQ(CodePage::encodeTextFile(u"Имя=工厂\r\n", &complete),
              QStringLiteral("Имя=工厂\r\n").toUtf8());
    EXPECT_TRUE(complete);
    EXPECT_EQ(CodePage::decodeTextFile("\xC8\xEC\xFF"), "Имя");
    EXPECT_EQ(CodePage::decodeTextFile(QStringLiteral("Имя=工厂").toUtf8()), "Имя=工厂");
    EXPECT_EQ(CodePage::ofTextFile("plain"), 1251);

    // "Ã©" in Windows-1252 is the UTF-8 of "é": such text is written in UTF-8
    // so that it reads back as it was.
    const SystemCodePage western(1252);
    EXPECT_EQ(CodePage::encodeTextFile(u"Ã©", &complete), QByteArray("\xC3\x83\xC2\xA9"));
    EXPECT_EQ(CodePage::decodeTextFile(CodePage::encodeTextFile(u"Ã©")), "Ã©");

    // A broken character no encoding holds: the caller is told.
    CodePage::encodeTextFile(QString(QChar(0xD800)) + QStringLiteral("中"), &complete);
    EXPECT_FALSE(complete);
}

} // namespace
