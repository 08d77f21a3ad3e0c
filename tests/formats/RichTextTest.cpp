#include "formats/RichText.h"

#include "formats/CodePage.h"
#include "support/SystemCodePage.h"

#include <QBuffer>
#include <QColor>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTextList>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {

const QString kFixtures = QStringLiteral(VEXORIN_FIXTURES "/rtf/");

std::string str(const QString& s)
{
    return s.toStdString();
}

std::unique_ptr<QTextDocument> readBytes(const QByteArray& bytes, bool* ok = nullptr)
{
    auto doc = std::make_unique<QTextDocument>();
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QString error;
    const bool result = RichText::read(&buffer, doc.get(), &error);
    if (ok)
        *ok = result;
    else
        EXPECT_TRUE(result) << str(error);
    return doc;
}

std::unique_ptr<QTextDocument> readFixture(const QString& name)
{
    auto doc = std::make_unique<QTextDocument>();
    QString error;
    EXPECT_TRUE(RichText::readFile(kFixtures + name, doc.get(), &error)) << str(error);
    return doc;
}

QByteArray fixtureBytes(const QString& name)
{
    QFile file(kFixtures + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << str(name);
    return file.readAll();
}

QByteArray writeBytes(const QTextDocument& doc)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    EXPECT_TRUE(RichText::write(&doc, &buffer, &error)) << str(error);
    return data;
}

QStringList blockTexts(const QTextDocument& doc)
{
    QStringList texts;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        texts << b.text();
    return texts;
}

QTextBlock blockWith(const QTextDocument& doc, const QString& text)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b.text().contains(text))
            return b;
    }
    return {};
}

// The character format of the first occurrence of text; the test fails when
// the characters of the occurrence do not all share one format.
QTextCharFormat formatOf(const QTextDocument& doc, const QString& text)
{
    const QTextCursor found = doc.find(text, 0, QTextDocument::FindCaseSensitively);
    EXPECT_FALSE(found.isNull()) << "text not found: " << str(text);
    if (found.isNull())
        return {};
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(found.selectionStart() + 1);
    const QTextCharFormat first = c.charFormat();
    for (int p = found.selectionStart() + 2; p <= found.selectionEnd(); ++p) {
        c.setPosition(p);
        EXPECT_EQ(c.charFormat(), first) << "mixed formats in " << str(text);
    }
    return first;
}

QString family(const QTextCharFormat& f)
{
    return f.fontFamilies().toStringList().value(0);
}

QImage twoByTwo()
{
    QImage image(2, 2, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 255, 0));
    image.setPixel(0, 1, qRgb(0, 0, 255));
    image.setPixel(1, 1, qRgb(255, 255, 255));
    return image;
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return data;
}

QList<QTextImageFormat> images(const QTextDocument& doc)
{
    QList<QTextImageFormat> found;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.charFormat().isImageFormat()) {
                for (int i = 0; i < f.length(); ++i)
                    found << f.charFormat().toImageFormat();
            }
        }
    }
    return found;
}

// --- Files as the Windows programs wrote them ------------------------------

TEST(RichTextReadTest, RichEditControlNote)
{
    const auto doc = readFixture(QStringLiteral("richedit.rtf"));
    const QString ls(QChar::LineSeparator);
    EXPECT_EQ(blockTexts(*doc), QStringList({QStringLiteral("Plain bold italic under gone"),
                                             QStringLiteral("red and marked text"),
                                             QStringLiteral("caf\u00e9 costs \u20ac5\tnext") + ls +
                                                 QStringLiteral("second line"),
                                             QStringLiteral("Centered")}));

    const QTextCharFormat plain = formatOf(*doc, QStringLiteral("Plain"));
    EXPECT_EQ(plain.fontWeight(), QFont::Normal);
    EXPECT_FALSE(plain.fontItalic());
    EXPECT_EQ(plain.fontPointSize(), 11.0);
    EXPECT_EQ(family(plain), QStringLiteral("Calibri"));
    EXPECT_EQ(formatOf(*doc, QStringLiteral("bold")).fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatOf(*doc, QStringLiteral("italic")).fontItalic());
    EXPECT_TRUE(formatOf(*doc, QStringLiteral("under")).fontUnderline());
    EXPECT_TRUE(formatOf(*doc, QStringLiteral("gone")).fontStrikeOut());

    EXPECT_EQ(formatOf(*doc, QStringLiteral("red")).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatOf(*doc, QStringLiteral(" and ")).foreground().style(), Qt::NoBrush);
    const QTextCharFormat marked = formatOf(*doc, QStringLiteral("marked"));
    EXPECT_EQ(marked.background().color(), QColor(255, 255, 0));
    EXPECT_EQ(marked.foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(formatOf(*doc, QStringLiteral(" text")).background().style(), Qt::NoBrush);

    const QTextCharFormat mono = formatOf(*doc, QStringLiteral("costs"));
    EXPECT_EQ(family(mono), QStringLiteral("Courier New"));
    EXPECT_EQ(mono.fontPointSize(), 14.0);

    const QTextBlock centered = blockWith(*doc, QStringLiteral("Centered"));
    EXPECT_EQ(centered.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    const QTextBlockFormat first = doc->begin().blockFormat();
    EXPECT_NEAR(first.bottomMargin(), 200 / 15.0, 0.01); // \sa200
    EXPECT_EQ(first.lineHeightType(), int(QTextBlockFormat::ProportionalHeight));
    EXPECT_NEAR(first.lineHeight(), 115.0, 0.01); // \sl276\slmult1
}

TEST(RichTextReadTest, WordPadCyrillicWithBulletsAndAlignment)
{
    const auto doc = readFixture(QStringLiteral("wordpad-cyrillic.rtf"));
    EXPECT_EQ(
        blockTexts(*doc),
        QStringList({QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440!"),
                     QStringLiteral("first item"), QStringLiteral("second item"),
                     QStringLiteral("Big right")}));
    EXPECT_EQ(family(formatOf(*doc, QStringLiteral("\u041f\u0440\u0438"))),
              QStringLiteral("Arial CYR"));
    // The bullets are a list of the editor's, which indents its items itself.
    const QTextBlock item = blockWith(*doc, QStringLiteral("first item"));
    ASSERT_TRUE(item.textList());
    EXPECT_EQ(item.textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(item.textList()->count(), 2);
    EXPECT_EQ(item.blockFormat().leftMargin(), 0.0);
    const QTextBlock right = blockWith(*doc, QStringLiteral("Big right"));
    EXPECT_EQ(right.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(right.blockFormat().leftMargin(), 0.0); // \pard reset the indents
    EXPECT_EQ(formatOf(*doc, QStringLiteral("Big right")).fontPointSize(), 24.0);
}

TEST(RichTextReadTest, LibreOfficeDocumentKeepsItsLink)
{
    const auto doc = readFixture(QStringLiteral("libreoffice.rtf"));
    EXPECT_EQ(blockTexts(*doc), QStringList({QStringLiteral("See the site now."),
                                             QStringLiteral("Gr\u00fc\u00dfe \u20ac!")}));
    const QString all = doc->toPlainText();
    for (const char* hidden : {"Default Page Style", "Normal", "HYPERLINK", "Internet Link",
                               "LibreOffice", "Times New Roman"})
        EXPECT_FALSE(all.contains(QLatin1String(hidden))) << hidden;

    const QTextCharFormat link = formatOf(*doc, QStringLiteral("the site"));
    EXPECT_TRUE(link.fontUnderline());
    EXPECT_EQ(link.anchorHref(), QStringLiteral("https://example.org/"));
    EXPECT_EQ(link.foreground().color(), QColor(0, 0, 128));
    EXPECT_EQ(family(link), QStringLiteral("Liberation Serif"));
    EXPECT_FALSE(formatOf(*doc, QStringLiteral(" now.")).fontUnderline());

    const QTextCharFormat greeting = formatOf(*doc, QStringLiteral("Gr\u00fc\u00dfe"));
    EXPECT_EQ(greeting.fontWeight(), QFont::Bold);
    EXPECT_EQ(greeting.fontPointSize(), 16.0);
    EXPECT_EQ(greeting.foreground().color(), QColor(204, 0, 0));
}

TEST(RichTextReadTest, WordDocumentSkipsItsDestinations)
{
    const auto doc = readFixture(QStringLiteral("word.rtf"));
    EXPECT_EQ(blockTexts(*doc), QStringList({QStringLiteral("Before inside after shaded."),
                                             QStringLiteral("object result")}));
    const QString all = doc->toPlainText();
    for (const char* hidden : {"HEADER", "Note", "Someone", "504b", "Normal", "mark", "2450", "?"})
        EXPECT_FALSE(all.contains(QLatin1String(hidden))) << hidden;

    EXPECT_EQ(formatOf(*doc, QStringLiteral("inside")).fontWeight(), QFont::Bold);
    EXPECT_NE(formatOf(*doc, QStringLiteral("Before")).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf(*doc, QStringLiteral("shaded")).background().color(), QColor(255, 255, 0));
    EXPECT_EQ(family(formatOf(*doc, QStringLiteral("Before"))), QStringLiteral("Calibri"));
    EXPECT_EQ(formatOf(*doc, QStringLiteral("Before")).fontPointSize(), 11.0);
    EXPECT_TRUE(formatOf(*doc, QStringLiteral("object result")).fontItalic());
}

// --- Details of the format ------------------------------------------------------

TEST(RichTextReadTest, FinalParMarksTheLastParagraphOnly)
{
    EXPECT_EQ(blockTexts(*readBytes("{\\rtf1 A\\par}")), QStringList({"A"}));
    EXPECT_EQ(blockTexts(*readBytes("{\\rtf1 A}")), QStringList({"A"}));
    EXPECT_EQ(blockTexts(*readBytes("{\\rtf1 A\\par\\par}")), QStringList({"A", ""}));
    EXPECT_EQ(blockTexts(*readBytes("{\\rtf1 A\\par B}")), QStringList({"A", "B"}));
    EXPECT_EQ(blockTexts(*readBytes("{\\rtf1 \\par A\\par }")), QStringList({"", "A"}));
    EXPECT_EQ(blockTexts(*readBytes("{\\rtf1 A\\par{\\*\\themedata 00}\\pard\\f0 }")),
              QStringList({"A"}));
}

TEST(RichTextReadTest, UnicodeEscapesSkipTheirStandIns)
{
    EXPECT_EQ(readBytes("{\\rtf1\\uc1 a\\u937?b}")->toPlainText(), QStringLiteral("a\u03a9b"));
    EXPECT_EQ(readBytes("{\\rtf1 \\u-10179?\\u-8704?}")->toPlainText(),
              QStringLiteral("\U0001F600"));
    EXPECT_EQ(readBytes("{\\rtf1\\uc0 \\u937 x}")->toPlainText(), QStringLiteral("\u03a9x"));
    EXPECT_EQ(readBytes("{\\rtf1\\uc2 \\u937\\'3f\\'3fb}")->toPlainText(),
              QStringLiteral("\u03a9b"));
    // \uc belongs to its group; a group boundary ends the skipping.
    EXPECT_EQ(readBytes("{\\rtf1{\\uc2 x}\\u937?b}")->toPlainText(), QStringLiteral("x\u03a9b"));
    EXPECT_EQ(readBytes("{\\rtf1\\uc3 \\u937 a{\\b b}c}")->toPlainText(),
              QStringLiteral("\u03a9bc"));
    // A control word in the stand-in counts as one character.
    EXPECT_EQ(readBytes("{\\rtf1\\uc1 \\u8217\\rquote s}")->toPlainText(),
              QStringLiteral("\u2019s"));
}

TEST(RichTextReadTest, HexBytesUseTheDocumentAndFontCodePages)
{
    EXPECT_EQ(readBytes("{\\rtf1\\ansi caf\\'e9 \\'80\\'93q\\'94}")->toPlainText(),
              QStringLiteral("caf\u00e9 \u20ac\u201cq\u201d"));
    EXPECT_EQ(readBytes("{\\rtf1\\ansi\\ansicpg1253 \\'e1}")->toPlainText(),
              QStringLiteral("\u03b1"));
    // The font's character set wins over the document's code page.
    EXPECT_EQ(readBytes("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fnil\\fcharset0 A;}"
                        "{\\f1\\fnil\\fcharset238 B;}}\\f0\\'e8\\f1\\'e8}")
                  ->toPlainText(),
              QStringLiteral("\u00e8\u010d"));
}

TEST(RichTextReadTest, DoubleByteCodePagesJoinLeadAndTrailBytes)
{
    // 0x955C has a backslash as trail byte, escaped as \\ in RTF.
    EXPECT_EQ(
        readBytes("{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 MS Mincho;}}"
                  "\\f0 \\'82\\'a0\\'95\\\\}")
            ->toPlainText(),
        QStringLiteral("\u3042\u8868"));
    EXPECT_EQ(readBytes("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
                        "{\\f1\\fnil\\fcharset128 MS Gothic;}}\\f0 A\\f1\\'82\\'a0\\f0 B}")
                  ->toPlainText(),
              QStringLiteral("A\u3042B"));
    // \uc2 skips both bytes of a double-byte stand-in.
    EXPECT_EQ(readBytes("{\\rtf1\\ansi\\ansicpg932\\uc2 \\u12354\\'82\\'a0x}")->toPlainText(),
              QStringLiteral("\u3042x"));
}

TEST(RichTextReadTest, SymbolsAndEscapes)
{
    EXPECT_EQ(readBytes("{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote"
                        "\\~\\-\\_\\\\\\{\\}}")
                  ->begin()
                  .text(),
              QStringLiteral("\u2014\u2013\u2022\u2018\u2019\u201c\u201d\u00a0\u00ad\u2011\\{}"));
}

TEST(RichTextReadTest, SkippedDestinationsDoNotEatNeighbouringText)
{
    const auto doc = readBytes(
        "{\\rtf1 a{\\*\\unknown zzz{nested}}b{\\fldinst yyy}c"
        "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt d}}e\\unknownword f"
        "{\\stylesheet{\\s1 Heading;}}g{\\info{\\title t}}h{\\*\\bkmkstart k}i{\\*\\bkmkend k}j"
        "{\\listtable{\\list{\\listlevel{\\leveltext x;}}}}k{\\header hd\\par}l}");
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("abcdefghijkl"));
}

TEST(RichTextReadTest, AlternativeAndHiddenText)
{
    // \upr holds an ANSI group for old readers and a Unicode \ud group.
    EXPECT_EQ(readBytes("{\\rtf1 a{\\upr{b}{\\*\\ud{c\\u937?}}}d}")->toPlainText(),
              QStringLiteral("ac\u03a9d"));
    // Hidden and deleted text does not belong to the note.
    EXPECT_EQ(readBytes("{\\rtf1 a{\\v hidden}b\\v c\\v0 d\\deleted e\\deleted0 f}")->toPlainText(),
              QStringLiteral("abdf"));
    // \* anywhere but at the start of a group does not hide the rest of it.
    EXPECT_EQ(readBytes("{\\rtf1 {a\\*\\foo b}c}")->toPlainText(), QStringLiteral("abc"));
    // Table cells are cells of a table, followed by the paragraph after it.
    EXPECT_EQ(blockTexts(*readBytes("{\\rtf1 \\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell "
                                    "b\\cell\\row\\pard x\\par}")),
              QStringList({"", "a", "b", "x"}));
}

TEST(RichTextReadTest, PlainResetsAndGroupsRestoreCharacterFormat)
{
    const auto doc = readBytes("{\\rtf1{\\colortbl;\\red1\\green2\\blue3;}"
                               "\\b\\cf1 A{\\i\\b0 B}C\\plain D\\i E\\i0 F}");
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("ABCDEF"));
    EXPECT_EQ(formatOf(*doc, "A").fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatOf(*doc, "B").fontItalic());
    EXPECT_NE(formatOf(*doc, "B").fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf(*doc, "C").fontWeight(), QFont::Bold);
    EXPECT_FALSE(formatOf(*doc, "C").fontItalic());
    EXPECT_EQ(formatOf(*doc, "C").foreground().color(), QColor(1, 2, 3));
    EXPECT_NE(formatOf(*doc, "D").fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf(*doc, "D").foreground().style(), Qt::NoBrush);
    EXPECT_TRUE(formatOf(*doc, "E").fontItalic());
    EXPECT_FALSE(formatOf(*doc, "F").fontItalic());
}

TEST(RichTextReadTest, BackgroundColourFromEveryControlWord)
{
    const auto doc =
        readBytes("{\\rtf1{\\colortbl ;\\red10\\green20\\blue30;\\red40\\green50\\blue60;}"
                  "\\highlight1 A\\highlight0 B\\cb2 C\\cb0 D\\chcbpat1 E\\chcbpat0 F}");
    EXPECT_EQ(formatOf(*doc, "A").background().color(), QColor(10, 20, 30));
    EXPECT_EQ(formatOf(*doc, "B").background().style(), Qt::NoBrush);
    EXPECT_EQ(formatOf(*doc, "C").background().color(), QColor(40, 50, 60));
    EXPECT_EQ(formatOf(*doc, "D").background().style(), Qt::NoBrush);
    EXPECT_EQ(formatOf(*doc, "E").background().color(), QColor(10, 20, 30));
    EXPECT_EQ(formatOf(*doc, "F").background().style(), Qt::NoBrush);
}

TEST(RichTextReadTest, PngPictureFromHexBecomesAnImageResource)
{
    const QImage source = twoByTwo();
    const QByteArray rtf = "{\\rtf1 before{\\pict{\\*\\picprop x}\\pngblip\\picw2\\pich2"
                           "\\picwgoal450\\pichgoal300\r\n" +
                           encoded(source, "PNG").toHex() + "\r\n}after\\par}";
    const auto doc = readBytes(rtf);
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("before\ufffcafter"));
    const auto found = images(*doc);
    ASSERT_EQ(found.size(), 1);
    EXPECT_NEAR(found[0].width(), 30.0, 0.01);
    EXPECT_NEAR(found[0].height(), 20.0, 0.01);
    const QImage loaded =
        doc->resource(QTextDocument::ImageResource, QUrl(found[0].name())).value<QImage>();
    ASSERT_EQ(loaded.size(), QSize(2, 2));
    EXPECT_EQ(loaded.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(loaded.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(loaded.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(loaded.pixel(1, 1), qRgb(255, 255, 255));
}

TEST(RichTextReadTest, PictureFromBinaryData)
{
    const QByteArray png = encoded(twoByTwo(), "PNG");
    // The binary data holds braces and backslashes that must not be parsed.
    const QByteArray rtf = "{\\rtf1 x{\\pict\\pngblip\\bin" + QByteArray::number(png.size() + 4) +
                           " " + png + "}{\\\\" + "}y}";
    const auto doc = readBytes(rtf);
    // The picture data carries four stray bytes after the PNG; Qt's PNG
    // reader stops at the end chunk.
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("x\ufffcy"));
    const auto found = images(*doc);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(
        doc->resource(QTextDocument::ImageResource, QUrl(found[0].name())).value<QImage>().size(),
        QSize(2, 2));
}

TEST(RichTextReadTest, JpegPicture)
{
    if (!QImageWriter::supportedImageFormats().contains("jpeg"))
        GTEST_SKIP() << "no JPEG support in this Qt";
    const QByteArray rtf =
        "{\\rtf1 {\\pict\\jpegblip " + encoded(twoByTwo(), "JPEG").toHex() + "}}";
    const auto doc = readBytes(rtf);
    ASSERT_EQ(images(*doc).size(), 1);
    EXPECT_FALSE(images(*doc)[0].hasProperty(QTextFormat::ImageWidth));
}

TEST(RichTextReadTest, MetafilesAreSkippedAndWordsShapePictureIsTaken)
{
    auto doc = readBytes("{\\rtf1 x{\\pict\\wmetafile8\\picw10\\pich10 010009000003}y"
                         "{\\pict\\emfblip 0100}z}");
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("xyz"));
    EXPECT_TRUE(images(*doc).isEmpty());

    const QByteArray hex = encoded(twoByTwo(), "PNG").toHex();
    doc = readBytes("{\\rtf1 a{\\*\\shppict{\\pict\\pngblip " + hex +
                    "}}"
                    "{\\nonshppict{\\pict\\wmetafile8 " +
                    hex + "}}b}");
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("a\ufffcb"));
    EXPECT_EQ(images(*doc).size(), 1);
}

TEST(RichTextReadTest, DamagedPictureKeepsTheText)
{
    const auto doc = readBytes("{\\rtf1 a{\\pict\\pngblip 89504e47zz0d0a}b}");
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("ab"));
    EXPECT_TRUE(images(*doc).isEmpty());
}

// --- Input that is not RTF or not readable ------------------------------------------------

TEST(RichTextReadTest, ZeroByteFileIsAnEmptyNote)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("empty.rtf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    QTextDocument doc;
    doc.setPlainText(QStringLiteral("old text"));
    QString error;
    EXPECT_TRUE(RichText::readFile(path, &doc, &error)) << str(error);
    EXPECT_TRUE(doc.isEmpty());
    EXPECT_EQ(doc.blockCount(), 1);
}

TEST(RichTextReadTest, PlainTextFiles)
{
    const auto utf8 = readFixture(QStringLiteral("plain-utf8.txt"));
    EXPECT_EQ(blockTexts(*utf8), QStringList({QStringLiteral("Gr\u00fc\u00dfe aus K\u00f6ln"),
                                              QStringLiteral("zweite Zeile"), QString()}));

    const auto ansi = readBytes("Gr\xfc\xdf\x65 \x80 {not rtf}\r\nline");
    EXPECT_EQ(blockTexts(*ansi), QStringList({QStringLiteral("Gr\u00fc\u00dfe \u20ac {not rtf}"),
                                              QStringLiteral("line")}));
    EXPECT_TRUE(images(*ansi).isEmpty());
}

TEST(RichTextReadTest, UnreadableInputIsAnError)
{
    QTextDocument doc;
    QString error;
    EXPECT_FALSE(RichText::readFile(QStringLiteral("/nonexistent/folder/note.rtf"), &doc, &error));
    EXPECT_FALSE(error.isEmpty());

    QBuffer closed;
    error.clear();
    EXPECT_FALSE(RichText::read(&closed, &doc, &error));
    EXPECT_FALSE(error.isEmpty());
}

// --- Damaged input ---------------------------------------------------------------------------

TEST(RichTextRobustnessTest, UnbalancedAndTruncatedInput)
{
    EXPECT_EQ(readBytes("{\\rtf1 a}}}} b")->toPlainText(), QStringLiteral("a"));
    EXPECT_EQ(readBytes("{\\rtf1 {{{a\\b b")->toPlainText(), QStringLiteral("ab"));
    EXPECT_EQ(readBytes("{\\rtf1 a\\'e")->toPlainText(), QStringLiteral("a"));
    EXPECT_EQ(readBytes("{\\rtf1 a\\")->toPlainText(), QStringLiteral("a"));
    EXPECT_EQ(readBytes("{\\rtf1 a\\u")->toPlainText(), QStringLiteral("a"));
    EXPECT_EQ(readBytes("{\\rtf1 a{\\pict\\pngblip 8950")->toPlainText(), QStringLiteral("a"));
    EXPECT_EQ(readBytes("{\\rtf1 keep\\bin2147483647 xxxx}")->toPlainText(),
              QStringLiteral("keep"));
    EXPECT_EQ(readBytes("{\\rtf1 keep\\bin-5 x}")->toPlainText(), QStringLiteral("keepx"));
    EXPECT_EQ(readBytes("{\\rtf1 a\\fs99999999999999999999 b\\uc99999 \\u65 cd}")->toPlainText(),
              QStringLiteral("abA"));
}

TEST(RichTextRobustnessTest, DeepNestingKeepsText)
{
    const int depth = 100000;
    const QByteArray rtf =
        "{\\rtf1 start" + QByteArray(depth, '{') + "\\b deep" + QByteArray(depth, '}') + " end}";
    QElapsedTimer timer;
    timer.start();
    const auto doc = readBytes(rtf);
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("startdeep end"));
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST(RichTextRobustnessTest, RandomBytesAndTruncationsNeverHang)
{
    std::mt19937 random(20240501);
    const QByteArray alphabet = "{}\\\\\\'*;? abcdefuxyz0123456789-\r\n\x80\xff";
    QElapsedTimer timer;
    timer.start();
    int nonEmpty = 0;

    for (int round = 0; round < 400; ++round) {
        QByteArray data = "{\\rtf1 ";
        const int length = int(random() % 1500);
        for (int i = 0; i < length; ++i) {
            data += (random() % 4 == 0) ? char(random() % 256)
                                        : alphabet.at(qsizetype(random() % alphabet.size()));
        }
        bool ok = false;
        const auto doc = readBytes(data, &ok);
        ASSERT_TRUE(ok) << "round " << round;
        if (!doc->isEmpty())
            ++nonEmpty;
    }
    EXPECT_GT(nonEmpty, 0);

    const QStringList fixtures = {QStringLiteral("richedit.rtf"),
                                  QStringLiteral("wordpad-cyrillic.rtf"),
                                  QStringLiteral("libreoffice.rtf"),
                                  QStringLiteral("word.rtf"),
                                  QStringLiteral("richedit-table-list.rtf"),
                                  QStringLiteral("word-table-list.rtf"),
                                  QStringLiteral("libreoffice-table-list.rtf")};
    for (const QString& name : fixtures) {
        const QByteArray whole = fixtureBytes(name);
        for (qsizetype cut = 0; cut <= whole.size(); cut += 5) {
            bool ok = false;
            readBytes(whole.left(cut), &ok);
            ASSERT_TRUE(ok) << str(name) << " cut at " << cut;
        }
        for (int round = 0; round < 100; ++round) {
            QByteArray mutated = whole;
            for (int flips = 0; flips < 8; ++flips)
                mutated[qsizetype(random() % mutated.size())] = char(random() % 256);
            bool ok = false;
            const auto doc = readBytes(mutated, &ok);
            ASSERT_TRUE(ok) << str(name) << " mutation " << round;
            // Whatever tables and lists the damage left are written and read again.
            readBytes(writeBytes(*doc), &ok);
            ASSERT_TRUE(ok) << str(name) << " mutation " << round << " written";
        }
    }
    EXPECT_LT(timer.elapsed(), 60000);

    // A cut after the first paragraph keeps it whole.
    const QByteArray note = fixtureBytes(QStringLiteral("richedit.rtf"));
    const qsizetype firstPar = note.indexOf("\\par\r\n");
    ASSERT_GT(firstPar, 0);
    const auto cut = readBytes(note.left(firstPar + 4));
    EXPECT_EQ(cut->begin().text(), QStringLiteral("Plain bold italic under gone"));
}

// --- Writing ----------------------------------------------------------------------------------

// A note with every kind of formatting the program uses.
std::unique_ptr<QTextDocument> sampleNote()
{
    auto doc = std::make_unique<QTextDocument>();
    doc->addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("sample:picture")),
                     twoByTwo());
    QTextCursor c(doc.get());
    QTextCharFormat plain;
    QTextCharFormat f;

    c.insertText(QStringLiteral("Plain "), plain);
    f = plain;
    f.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("Bold"), f);
    f = plain;
    f.setFontItalic(true);
    c.insertText(QStringLiteral("Italic"), f);
    f = plain;
    f.setFontUnderline(true);
    c.insertText(QStringLiteral("Under"), f);
    f = plain;
    f.setFontStrikeOut(true);
    f.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("Strike"), f);
    c.insertText(QStringLiteral(" ok"), plain);

    c.insertBlock();
    f = plain;
    f.setForeground(QColor(200, 10, 20));
    c.insertText(QStringLiteral("Red"), f);
    c.insertText(QStringLiteral(" "), plain);
    f = plain;
    f.setForeground(QColor(255, 255, 255));
    f.setBackground(QColor(0, 128, 0));
    c.insertText(QStringLiteral("Done 2024-05-01 10:00"), f);
    c.insertText(QStringLiteral(" tail"), plain);

    c.insertBlock();
    f = plain;
    f.setFontFamilies({QStringLiteral("Courier New")});
    f.setFontPointSize(14);
    c.insertText(QStringLiteral("Mono\tafter tab") + QChar(QChar::LineSeparator) +
                     QStringLiteral("next line"),
                 f);
    f.setFontPointSize(7.5);
    c.insertText(QStringLiteral(" small"), f);
    f = plain;
    f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    c.insertText(QStringLiteral("2"), f);
    f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    c.insertText(QStringLiteral("i"), f);
    c.insertText(QStringLiteral(" normal"), plain);

    c.insertBlock();
    c.insertText(
        QStringLiteral(
            "caf\u00e9 \u20ac \u03a9\u03bc\u03ad\u03b3\u03b1 \U0001F600 {braces} \\back\\slash "
            "nbsp\u00a0here soft\u00adhyphen"),
        plain);

    c.insertBlock();
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.insertBlock(centred);
    c.insertText(QStringLiteral("Centre"), plain);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    c.insertBlock(right);
    c.insertText(QStringLiteral("Right"), plain);
    QTextBlockFormat justified;
    justified.setAlignment(Qt::AlignJustify);
    justified.setLeftMargin(32);
    justified.setTextIndent(-16);
    c.insertBlock(justified);
    c.insertText(QStringLiteral("Justified and indented"), plain);

    c.insertBlock(QTextBlockFormat());
    c.insertText(QStringLiteral("picture:"), plain);
    QTextImageFormat image;
    image.setName(QStringLiteral("sample:picture"));
    image.setWidth(30);
    image.setHeight(20);
    c.insertImage(image);
    c.insertText(QStringLiteral("end"), plain);
    return doc;
}

void expectSameFormat(const QTextCharFormat& a, const QTextCharFormat& b, const std::string& where)
{
    EXPECT_EQ(a.fontWeight() >= QFont::DemiBold, b.fontWeight() >= QFont::DemiBold) << where;
    EXPECT_EQ(a.fontItalic(), b.fontItalic()) << where;
    EXPECT_EQ(a.fontUnderline(), b.fontUnderline()) << where;
    EXPECT_EQ(a.fontStrikeOut(), b.fontStrikeOut()) << where;
    EXPECT_EQ(a.verticalAlignment(), b.verticalAlignment()) << where;
    EXPECT_EQ(a.foreground().style() == Qt::NoBrush, b.foreground().style() == Qt::NoBrush)
        << where;
    if (a.foreground().style() != Qt::NoBrush) {
        EXPECT_EQ(a.foreground().color(), b.foreground().color()) << where;
    }
    EXPECT_EQ(a.background().style() == Qt::NoBrush, b.background().style() == Qt::NoBrush)
        << where;
    if (a.background().style() != Qt::NoBrush) {
        EXPECT_EQ(a.background().color(), b.background().color()) << where;
    }
    if (a.fontPointSize() > 0) {
        EXPECT_EQ(a.fontPointSize(), b.fontPointSize()) << where;
    }
    if (!family(a).isEmpty()) {
        EXPECT_EQ(family(a), family(b)) << where;
    }
}

TEST(RichTextWriteTest, TheNoteIsWrittenInTheSystemCodePageAndReadsBack)
{
    const struct {
        int codePage;
        QString text;
        QByteArray header;
        QByteArray body;
    } cases[] = {
        {1252, QStringLiteral("Café Ж"), "\\ansicpg1252", "Caf\\'e9 \\u1046?"},
        {1251, QStringLiteral("Насос é"), "\\ansicpg1251", "\\'cd\\'e0\\'f1\\'ee\\'f1 \\u233?"},
        {932, QStringLiteral("日本 表"), "\\ansicpg932", "\\'93\\'fa\\'96\\'7b \\'95\\'5c"},
    };
    const char* charsets[] = {"\\fcharset0 ", "\\fcharset204 ", "\\fcharset128 "};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const SystemCodePage codePage(cases[i].codePage);
        QTextDocument doc;
        doc.setPlainText(cases[i].text);
        const QByteArray rtf = writeBytes(doc);
        EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi" + cases[i].header + "\\deff0"))
            << rtf.constData();
        EXPECT_TRUE(rtf.contains(charsets[i])) << rtf.constData();
        EXPECT_TRUE(rtf.contains(cases[i].body)) << rtf.constData();
        EXPECT_EQ(readBytes(rtf)->toPlainText(), cases[i].text);
    }
}

TEST(RichTextWriteTest, RoundTripKeepsTextFormatsAndParagraphs)
{
    const auto original = sampleNote();
    const QByteArray rtf = writeBytes(*original);
    const auto copy = readBytes(rtf);

    EXPECT_EQ(blockTexts(*copy), blockTexts(*original));
    EXPECT_EQ(copy->blockCount(), original->blockCount());
    EXPECT_EQ(copy->toPlainText(), original->toPlainText());

    QTextBlock a = original->begin();
    QTextBlock b = copy->begin();
    for (; a.isValid() && b.isValid(); a = a.next(), b = b.next()) {
        EXPECT_EQ(a.blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                  b.blockFormat().alignment() & Qt::AlignHorizontal_Mask)
            << str(a.text());
        EXPECT_NEAR(a.blockFormat().leftMargin(), b.blockFormat().leftMargin(), 0.1);
        EXPECT_NEAR(a.blockFormat().textIndent(), b.blockFormat().textIndent(), 0.1);
    }

    QTextCursor ca(original.get());
    QTextCursor cb(copy.get());
    const int length = original->characterCount();
    ASSERT_EQ(copy->characterCount(), length);
    for (int p = 1; p < length; ++p) {
        ca.setPosition(p);
        cb.setPosition(p);
        if (original->characterAt(p - 1) == QChar::ParagraphSeparator)
            continue;
        expectSameFormat(ca.charFormat(), cb.charFormat(), "position " + std::to_string(p));
    }

    const auto copied = images(*copy);
    ASSERT_EQ(copied.size(), 1);
    EXPECT_NEAR(copied[0].width(), 30.0, 0.01);
    EXPECT_NEAR(copied[0].height(), 20.0, 0.01);
    const QImage picture =
        copy->resource(QTextDocument::ImageResource, QUrl(copied[0].name())).value<QImage>();
    EXPECT_EQ(picture.convertToFormat(QImage::Format_ARGB32), twoByTwo());

    // Writing what was read gives the same RTF again.
    EXPECT_EQ(writeBytes(*copy), rtf);
}

TEST(RichTextWriteTest, OutputHasTheRichEditShape)
{
    const QByteArray rtf = writeBytes(*sampleNote());
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0")) << rtf.left(60).constData();
    EXPECT_TRUE(rtf.endsWith("\\par\r\n}\r\n"));
    EXPECT_TRUE(rtf.contains("{\\colortbl ;\\red200\\green10\\blue20;"));
    EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0"));
    EXPECT_TRUE(rtf.contains("Courier New;}"));
    EXPECT_TRUE(rtf.contains("caf\\'e9 \\'80 "));
    EXPECT_TRUE(rtf.contains("\\u937?\\u956?\\u941?\\u947?\\u945?"));
    EXPECT_TRUE(rtf.contains("\\u-10179?\\u-8704?"));
    EXPECT_TRUE(rtf.contains("\\{braces\\} \\\\back\\\\slash"));
    EXPECT_TRUE(rtf.contains("nbsp\\~here soft\\-hyphen"));
    EXPECT_TRUE(rtf.contains("\\tab after"));
    EXPECT_TRUE(rtf.contains("\\line next"));
    EXPECT_TRUE(rtf.contains("\\fs28"));
    EXPECT_TRUE(rtf.contains("\\fs15"));
    EXPECT_TRUE(rtf.contains("\\cf2\\highlight3\\chcbpat3 Done"));
    EXPECT_TRUE(rtf.contains("\\qc"));
    EXPECT_TRUE(rtf.contains("\\qr"));
    EXPECT_TRUE(rtf.contains("\\qj\\li480\\fi-240"));
    EXPECT_TRUE(rtf.contains("{\\pict\\pngblip\\picw2\\pich2\\picwgoal450\\pichgoal300"));
    EXPECT_EQ(rtf.count("\\par\r\n"), sampleNote()->blockCount());

    int longest = 0;
    int column = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char c = rtf.at(i);
        ASSERT_TRUE(uchar(c) < 0x80) << "non-ASCII byte at " << i;
        if (c == '\n') {
            ASSERT_GT(i, 0);
            ASSERT_EQ(rtf.at(i - 1), '\r') << "bare LF at " << i;
            column = 0;
        } else if (c != '\r') {
            longest = qMax(longest, ++column);
        } else {
            ASSERT_LT(i + 1, rtf.size());
            ASSERT_EQ(rtf.at(i + 1), '\n') << "bare CR at " << i;
        }
    }
    EXPECT_LE(longest, 256);
}

TEST(RichTextWriteTest, LongTextIsWrappedWithoutChangingIt)
{
    QTextDocument doc;
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("word%1 ").arg(i);
    QTextCursor c(&doc);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    for (int i = 0; i < 100; ++i)
        c.insertText(QStringLiteral("x"), i % 2 ? bold : QTextCharFormat());
    c.insertText(text, QTextCharFormat());
    const QByteArray rtf = writeBytes(doc);
    EXPECT_GT(rtf.count("\r\n"), 10);
    EXPECT_EQ(readBytes(rtf)->toPlainText(), doc.toPlainText());
}

TEST(RichTextWriteTest, EmptyAndBlankNotesRoundTrip)
{
    QTextDocument empty;
    const QByteArray rtf = writeBytes(empty);
    const auto copy = readBytes(rtf);
    EXPECT_TRUE(copy->isEmpty());
    EXPECT_EQ(copy->blockCount(), 1);

    QTextDocument blank;
    blank.setPlainText(QStringLiteral("\n\nthird\n"));
    const auto blankCopy = readBytes(writeBytes(blank));
    EXPECT_EQ(blockTexts(*blankCopy), QStringList({"", "", "third", ""}));
}

TEST(RichTextWriteTest, WriteFileReplacesWholeFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("note.rtf"));
    const auto original = sampleNote();
    QString error;
    ASSERT_TRUE(RichText::writeFile(original.get(), path, &error)) << str(error);

    QTextDocument read;
    ASSERT_TRUE(RichText::readFile(path, &read, &error)) << str(error);
    EXPECT_EQ(read.toPlainText(), original->toPlainText());

    QTextDocument other;
    other.setPlainText(QStringLiteral("short"));
    ASSERT_TRUE(RichText::writeFile(&other, path, &error)) << str(error);
    ASSERT_TRUE(RichText::readFile(path, &read, &error)) << str(error);
    EXPECT_EQ(read.toPlainText(), QStringLiteral("short"));

    error.clear();
    EXPECT_FALSE(
        RichText::writeFile(&other, dir.filePath(QStringLiteral("missing/note.rtf")), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(RichTextWriteTest, FixturesSurviveARoundTrip)
{
    for (const char* name :
         {"richedit.rtf", "wordpad-cyrillic.rtf", "libreoffice.rtf", "word.rtf"}) {
        const auto doc = readFixture(QLatin1String(name));
        const auto copy = readBytes(writeBytes(*doc));
        EXPECT_EQ(blockTexts(*copy), blockTexts(*doc)) << name;
        QTextCursor ca(doc.get());
        QTextCursor cb(copy.get());
        for (int p = 1; p < doc->characterCount(); ++p) {
            ca.setPosition(p);
            cb.setPosition(p);
            expectSameFormat(ca.charFormat(), cb.charFormat(),
                             std::string(name) + " @" + std::to_string(p));
        }
    }
}

} // namespace
