// The text-only pass of the RTF reader, which the find index reads notes
// with, against the document pass; and notes made to break the reader.
#include "formats/RichText.h"

#include "support/ComparableText.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

const QString kFixtures = QStringLiteral(VEXORIN_FIXTURES "/rtf/");

QString documentText(const QByteArray& bytes)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QTextDocument document;
    EXPECT_TRUE(RichText::read(&buffer, &document));
    return document.toPlainText();
}

QString textOnly(const QByteArray& bytes)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QString text = QStringLiteral("left over");
    QString error;
    EXPECT_TRUE(RichText::readText(&buffer, &text, &error)) << error.toStdString();
    return text;
}

// The document pass's text of what the writer made of it.
QString writtenAndReadBack(const QByteArray& bytes)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QTextDocument document;
    RichText::read(&buffer, &document);
    QByteArray written;
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    EXPECT_TRUE(RichText::write(&document, &out));
    return documentText(written);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

QStringList filesIn(const QString& folder)
{
    QStringList paths;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
        paths << folder + name;
    return paths;
}

TEST(RichTextPlainTextTest, MatchesTheDocumentOnEveryStoredNote)
{
    const QStringList paths = filesIn(kFixtures);
    ASSERT_GE(paths.size(), 8);
    for (const QString& path : paths) {
        const QByteArray bytes = fileBytes(path);
        EXPECT_EQ(comparableText(textOnly(bytes)).toStdString(),
                  comparableText(documentText(bytes)).toStdString())
            << path.toStdString();
    }
    // Damaged notes: the same characters, though a damaged table may put
    // its cells in another order in the document.
    for (const QString& path : filesIn(kFixtures + QStringLiteral("crashes/"))) {
        const QByteArray bytes = fileBytes(path);
        EXPECT_EQ(sortedCharacters(textOnly(bytes)).toStdString(),
                  sortedCharacters(documentText(bytes)).toStdString())
            << path.toStdString();
    }
    // Without tables the two are the same to the character, so a position
    // found in the text is the caret position in the note window.
    for (const char* name : {"richedit.rtf", "wordpad-cyrillic.rtf", "libreoffice.rtf", "word.rtf",
                             "plain-utf8.txt"}) {
        const QByteArray bytes = fileBytes(kFixtures + QLatin1String(name));
        EXPECT_EQ(textOnly(bytes).toStdString(), documentText(bytes).toStdString()) << name;
    }
}

TEST(RichTextPlainTextTest, DecodesAsTheDocumentPassDoes)
{
    const struct {
        const char* what;
        QByteArray rtf;
        QString text;
    } cases[] = {
        {"code pages of the document and of fonts",
         "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Tahoma;}}"
         "\\f0 \\'cf\\'f0\\'e8 {\\f1 \\'e8}\\par}",
         QStringLiteral(u"При č")},
        {"\\u escapes skip their stand-ins, \\uc sets how many",
         "{\\rtf1\\ansi \\u1055?\\u-10179?\\u-8704?\\uc2\\u1088\\'3f\\'3fx end}",
         QStringLiteral(u"П\U0001F600рx end")},
        {"skipped destinations and hidden text",
         "{\\rtf1{\\*\\generator Riched20;}{\\info{\\title T}}a{\\*\\unknown b}{\\v c}d\\par}",
         QStringLiteral("ad")},
        {"a field shows its result, a link too",
         "{\\rtf1{\\field{\\*\\fldinst{HYPERLINK \"https://x.org\"}}{\\fldrslt{site}}} and "
         "{\\field{\\*\\fldinst{PAGE}}{\\fldrslt 3}}\\par}",
         QStringLiteral("site and 3")},
        {"paragraphs, lines, tabs and named characters",
         "{\\rtf1 one\\par\\par two\\line three\\tab four\\~five\\emdash\\par\\par}",
         QStringLiteral(u"one\n\ntwo\nthree\tfour five\u2014\n")},
        {"cells of a table, each after a line feed, and one after the table",
         "{\\rtf1 before\\par\\trowd\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row"
         "\\trowd\\cellx1000\\cellx2000\\intbl c\\cell\\cell\\row\\pard after\\par}",
         QStringLiteral("before\na\nb\nc\n\nafter")},
        {"a picture is one character",
         "{\\rtf1 a{\\pict\\pngblip 89504e470d0a1a0a0000000d49484452}b}",
         QStringLiteral(u"a\uFFFCb")},
        {"a damaged picture is none", "{\\rtf1 a{\\pict\\pngblip 0102}b}", QStringLiteral("ab")},
        {"binary data is no text", "{\\rtf1 a{\\*\\objdata \\bin5 x}{b}\\par}c}",
         QStringLiteral("ac")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(textOnly(c.rtf).toStdString(), c.text.toStdString()) << c.what;
        if (!QByteArray(c.what).startsWith("a picture")) {
            EXPECT_EQ(documentText(c.rtf).toStdString(), c.text.toStdString()) << c.what;
        }
    }
}

TEST(RichTextPlainTextTest, ReadsABigNoteInChunksAsAWhole)
{
    // Tokens of every kind cut at every place a chunk can end, and a \bin
    // whose data runs over several chunks.
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial;}}";
    const QByteArray pieces[] = {"caf\\'e9 ", "\\u1055?",           "{\\b bold}", "{\\f1 \\'cf} ",
                                 "\\par\r\n", "{\\*\\bkmkstart x}", "\\tab ",     "plain words "};
    for (int i = 0; rtf.size() < 3 * 1024 * 1024; ++i)
        rtf += pieces[i % 8] + QByteArray::number(i % 7);
    rtf += "{\\*\\objdata \\bin2500000 ";
    rtf += QByteArray(2'500'000, '}');
    rtf += "}after the object\\par}";
    const QString text = textOnly(rtf);
    EXPECT_EQ(text.toStdString(), documentText(rtf).toStdString());
    EXPECT_TRUE(text.endsWith(QLatin1String("after the object")));
}

TEST(RichTextPlainTextTest, NotesThatAreNotRtf)
{
    EXPECT_EQ(textOnly(QByteArray()), QString());
    const QByteArray utf8 = "first\r\nzweite Zeile \xC3\xBC\xC2\xA0"
                            "end";
    EXPECT_EQ(textOnly(utf8).toStdString(), documentText(utf8).toStdString());
    EXPECT_EQ(textOnly("\xEF\xBB\xBF{\\rtf1 marked\\par}"), QStringLiteral("marked"));

    QString text;
    QString error;
    EXPECT_FALSE(RichText::readTextFile(QStringLiteral("/nonexistent/note.rtf"), &text, &error));
    EXPECT_FALSE(error.isEmpty());
    QBuffer closed;
    EXPECT_FALSE(RichText::readText(&closed, &text, &error));
}

// Notes that crashed the reader or the writer, or on which its checks failed:
// each reads without a fault (the sanitizer build is where a fault shows),
// keeps the text it holds, and writes a note that reads back to the same
// characters (a damaged table may come back with its cells in another order).
TEST(RichTextHostileNoteTest, StoredCrashesReadAndWriteBack)
{
    const QStringList paths = filesIn(kFixtures + QStringLiteral("crashes/"));
    ASSERT_FALSE(paths.isEmpty());
    for (const QString& path : paths) {
        const QByteArray bytes = fileBytes(path);
        const QString shown = documentText(bytes);
        EXPECT_EQ(sortedCharacters(writtenAndReadBack(bytes)).toStdString(),
                  sortedCharacters(shown).toStdString())
            << path.toStdString();
    }
}

TEST(RichTextHostileNoteTest, DamagedNotesKeepTheTextTheyHold)
{
    const struct {
        const char* fixture;
        QStringList words;
    } cases[] = {
        {"plain-text-control-character.txt",
         {QStringLiteral("Grüße"), QStringLiteral("Köln"), QStringLiteral("zweite Zeile")}},
        {"cells-out-of-order.rtf",
         {QStringLiteral("Pump checks"), QStringLiteral("leaking"), QStringLiteral("08.12.2026"),
          QStringLiteral("new seal")}},
    };
    for (const auto& c : cases) {
        const QByteArray bytes =
            fileBytes(kFixtures + QStringLiteral("crashes/") + QLatin1String(c.fixture));
        const QString shown = documentText(bytes);
        const QString text = textOnly(bytes);
        for (const QString& word : c.words) {
            EXPECT_TRUE(shown.contains(word)) << c.fixture << ": " << word.toStdString();
            EXPECT_TRUE(text.contains(word)) << c.fixture << ": " << word.toStdString();
        }
        // A control character is no text.
        EXPECT_FALSE(shown.contains(QChar(7)));
    }
}

TEST(RichTextHostileNoteTest, ListItemsInCellsOutsideATableKeepTheirText)
{
    // The 31-byte note that crashed the program at each start, and the same
    // with text in its cells: a list made in a block that the table then took.
    EXPECT_EQ(comparableText(
                  documentText(fileBytes(kFixtures + QStringLiteral("crashes/list-in-cells.rtf")))),
              QString());
    const QByteArray withText =
        "{\\rtf\\cellx\\cellx\\ls2 one\\cell two\\cell\\ls3 three\\par four\\cell}";
    EXPECT_EQ(comparableText(documentText(withText)).toStdString(), "one two three four");
    EXPECT_EQ(comparableText(textOnly(withText)).toStdString(), "one two three four");
    EXPECT_EQ(comparableText(writtenAndReadBack(withText)).toStdString(), "one two three four");
}

} // namespace
