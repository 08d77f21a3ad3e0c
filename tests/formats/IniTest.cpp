#include "formats/Ini.h"
#include "support/SystemCodePage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

QByteArray readFixture(const char* name)
{
    QFile file(QStringLiteral(VEXORIN_FIXTURES "/ini/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString read(const QByteArray& file, const char* section, const char* key,
             const char* defaultValue = "(default)")
{
    return Ini::Document::fromBytes(file).readString(
        QString::fromUtf8(section), QString::fromUtf8(key), QString::fromUtf8(defaultValue));
}

// ---------------------------------------------------------------- reading

TEST(IniReadTest, NamesMatchIgnoringAsciiCaseAndSurroundingBlanks)
{
    const QByteArray file = "[ SpeedButton Count ]\r\n"
                            "\t SpeedButton Count \t=2\r\n"
                            "[SpeedButton1]\r\n"
                            "Caption=Done\r\n";
    EXPECT_EQ(read(file, "Speedbutton Count", "Speedbutton Count"), "2");
    EXPECT_EQ(read(file, "  speedbutton count", " SPEEDBUTTON COUNT\t"), "2");
    EXPECT_EQ(read(file, "speedbutton1", " Caption"), "Done");
    // Only ASCII letters fold; inner blanks belong to the name.
    EXPECT_EQ(read(file, "SpeedButton  Count", "SpeedButton Count"), "(default)");
    EXPECT_EQ(read("[\xC9t\xE9]\r\nk=v\r\n", "\xC3\xA9t\xC3\xA9", "k"), "(default)");
    EXPECT_EQ(read("[\xC9t\xE9]\r\nk=v\r\n", "\xC3\x89t\xC3\xA9", "k"), "v");
}

TEST(IniReadTest, ValueLosesSurroundingBlanksAndOnePairOfMatchingQuotes)
{
    const struct {
        const char* stored;
        const char* expected;
    } cases[] = {
        {"k=plain", "plain"},
        {"k=  inner  blanks  \t", "inner  blanks"},
        {"k=\"C:\\Boards\\My Work\"", "C:\\Boards\\My Work"},
        {"k='single'", "single"},
        {"k= \"  kept inside  \" ", "  kept inside  "},
        {"k=\"\"", ""},
        {"k=\"\"twice\"\"", "\"twice\""},
        {"k=\"mixed'", "\"mixed'"},
        {"k=\"", "\""},
        {"k=\"open", "\"open"},
        {"k=a=b==c", "a=b==c"},
        {"k=", ""},
        {"k=   ", ""},
    };
    for (const auto& c : cases) {
        const QByteArray file = QByteArray("[s]\r\n") + c.stored + "\r\n";
        EXPECT_EQ(read(file, "s", "k"), QString::fromLatin1(c.expected)) << c.stored;
    }
}

TEST(IniReadTest, EveryLineEndAndAMissingLastLineEndRead)
{
    for (const QByteArray& eol : {QByteArray("\r\n"), QByteArray("\n"), QByteArray("\r")}) {
        const QByteArray file = "[a]" + eol + "x=1" + eol + "[b]" + eol + "y=2";
        EXPECT_EQ(read(file, "a", "x"), "1") << eol.toHex().constData();
        EXPECT_EQ(read(file, "a", "y"), "(default)") << eol.toHex().constData();
        EXPECT_EQ(read(file, "b", "y"), "2") << eol.toHex().constData();
    }
    EXPECT_EQ(read("[a]\nx=1\r\n[b]\ry=2\n", "b", "y"), "2");
}

TEST(IniReadTest, OnlyKeyLinesInsideASectionAreKeys)
{
    const QByteArray file = "before=first section\r\n"
                            "[s]\r\n"
                            ";commented=out\r\n"
                            "name3\r\n"
                            "[unclosed=header\r\n"
                            "dup=first\r\n"
                            "dup=second\r\n"
                            "[S]\r\n"
                            "later=second section of the same name\r\n";
    EXPECT_EQ(read(file, "s", "before"), "(default)");
    EXPECT_EQ(read(file, "s", ";commented"), "(default)");
    EXPECT_EQ(read(file, "s", "name3", ""), "");
    EXPECT_EQ(read(file, "s", "[unclosed"), "(default)");
    EXPECT_EQ(read(file, "s", "dup"), "first");
    EXPECT_EQ(read(file, "s", "later"), "(default)");
    EXPECT_FALSE(
        Ini::Document::fromBytes(file).hasKey(QStringLiteral("s"), QStringLiteral("name3")));
    EXPECT_TRUE(
        Ini::Document::fromBytes(file).hasKey(QStringLiteral("S "), QStringLiteral(" DUP")));
}

TEST(IniReadTest, DefaultComesBackWithoutTrailingBlanks)
{
    EXPECT_EQ(read("", "s", "k", "  one two \t "), "  one two");
    EXPECT_EQ(read("[s]\r\n", "s", "k", ""), "");
    EXPECT_EQ(read("[t]\r\nk=v\r\n", "s", "k", "C:\\Boards\\Work"), "C:\\Boards\\Work");
}

// ---------------------------------------------------------------- writing

TEST(IniWriteTest, StatusFileWrittenKeyByKeyMatchesTheWindowsLayout)
{
    // The status writer hands key names over with a leading blank.
    Ini::Document doc;
    const auto put = [&](const QString& section, const char* key, const QString& value) {
        QString error;
        ASSERT_TRUE(doc.writeString(section, QString::fromLatin1(key), value, &error))
            << error.toStdString();
    };
    put(QStringLiteral("SpeedButton Count"), "SpeedButton Count", QStringLiteral("2"));
    const struct {
        int tag;
        QString caption;
        int width, height, top, left, color;
    } buttons[] = {{1, QStringLiteral("Done"), 75, 25, 0, 0, 32768},
                   {2, QStringLiteral("Café € due"), 90, 25, 0, 80, 255}};
    for (const auto& b : buttons) {
        const QString section = QStringLiteral("SpeedButton%1").arg(b.tag);
        put(section, " Tag", QString::number(b.tag));
        put(section, " Caption", b.caption);
        put(section, " Width", QString::number(b.width));
        put(section, " Height", QString::number(b.height));
        put(section, " Top", QString::number(b.top));
        put(section, " Left", QString::number(b.left));
        put(section, " Color", QString::number(b.color));
    }
    EXPECT_EQ(doc.toBytes(), readFixture("statusbuttons.ini"));
}

TEST(IniWriteTest, HandEditedFileKeepsEveryLineItDoesNotWrite)
{
    Ini::Document doc = Ini::Document::fromBytes(readFixture("hand-edited.ini"));
    EXPECT_EQ(doc.readString(QStringLiteral("FORM1"),
                             QStringLiteral("formname and archive location"), QString()),
              QStringLiteral("Board – Work"));
    ASSERT_TRUE(doc.writeString(QStringLiteral("form1"),
                                QStringLiteral(" formname and archive location"),
                                QStringLiteral("Café")));
    ASSERT_TRUE(
        doc.writeString(QStringLiteral("_GLOBAL_"), QStringLiteral("newkey"), QStringLiteral("x")));
    ASSERT_TRUE(
        doc.writeString(QStringLiteral("Form1"), QStringLiteral("added"), QStringLiteral("1")));
    ASSERT_TRUE(doc.writeString(QStringLiteral("empty"), QStringLiteral("k"), QStringLiteral("v")));
    ASSERT_TRUE(doc.writeString(QStringLiteral("New Section"), QStringLiteral(" Key "),
                                QStringLiteral("v2")));
    ASSERT_TRUE(doc.writeString(QStringLiteral("speedbutton count"),
                                QStringLiteral("SpeedButton Count"), QStringLiteral("3")));
    EXPECT_EQ(doc.toBytes(), readFixture("hand-edited-after-writes.ini"));
}

TEST(IniWriteTest, RefusesNamesAndValuesTheFileCannotHold)
{
    const QByteArray original = "[s]\r\nk=v\r\n";
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"", "k", "v"},       {"  \t", "k", "v"},       {"s", "", "v"},         {"s", "  ", "v"},
        {"a\r\nb", "k", "v"}, {"s", "a=b", "v"},        {"s", "k\n", "v"},      {"s", "[k", "v"},
        {"s", ";k", "v"},     {"s", "k", "two\nlines"}, {"s", "k", "cr\ronly"},
    };
    for (const auto& c : cases) {
        Ini::Document doc = Ini::Document::fromBytes(original);
        QString error;
        EXPECT_FALSE(doc.writeString(QString::fromLatin1(c.section), QString::fromLatin1(c.key),
                                     QString::fromLatin1(c.value), &error))
            << c.section << " / " << c.key;
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(doc.toBytes(), original);
    }

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    QString error;
    EXPECT_FALSE(Ini::writeString(path, QStringLiteral("s"), QStringLiteral("k"),
                                  QStringLiteral("a\nb"), &error));
    EXPECT_TRUE(error.contains(path));
    EXPECT_FALSE(QFile::exists(path));
}

TEST(IniWriteTest, TextEndsAtNulAndTextBeyondTheCodePageIsKeptInAUtf8File)
{
    const SystemCodePage western(1252);
    Ini::Document doc;
    ASSERT_TRUE(
        doc.writeString(QStringLiteral("s"), QStringLiteral("Статус"), QStringLiteral("Готово 😀")));
    ASSERT_TRUE(doc.writeString(QStringLiteral("s"), QStringLiteral("cut"),
                                QStringLiteral("kept") + QChar(0) + "lost"));
    const QByteArray bytes = doc.toBytes();
    EXPECT_EQ(bytes, QStringLiteral("[s]\r\nСтатус=Готово 😀\r\ncut=kept\r\n").toUtf8());
    const Ini::Document again = Ini::Document::fromBytes(bytes);
    EXPECT_EQ(again.readString(QStringLiteral("s"), QStringLiteral("Статус"), QString()),
              "Готово 😀");
    EXPECT_EQ(again.toBytes(), bytes);
}

// ---------------------------------------------------------------- files

TEST(IniFileTest, WritesCreateFileAndSectionsAndEraseRemovesEverySectionOfTheName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("iniformsettings.ini"));
    QString error;
    EXPECT_TRUE(Ini::eraseSection(path, QStringLiteral("Form1"), &error));
    EXPECT_FALSE(QFile::exists(path));

    const auto write = [&](const char* section, const char* key, const char* value) {
        ASSERT_TRUE(Ini::writeString(path, QString::fromLatin1(section), QString::fromLatin1(key),
                                     QString::fromLatin1(value), &error))
            << error.toStdString();
    };
    write("Form1", "formname and archive location", "Board - C:\\Boards\\Work");
    write("_global_", "bitmapfile", "");
    write("formname", "formname", "Board");
    write("FORM1", "added", "1");
    EXPECT_EQ(readBytes(path),
              QByteArray("[Form1]\r\n"
                         "formname and archive location=Board - C:\\Boards\\Work\r\n"
                         "added=1\r\n"
                         "[_global_]\r\n"
                         "bitmapfile=\r\n"
                         "[formname]\r\n"
                         "formname=Board\r\n"));
    EXPECT_EQ(
        Ini::readString(path, QStringLiteral("FORMNAME"), QStringLiteral("FormName"), QString()),
        "Board");

    ASSERT_TRUE(writeBytes(
        path, "[Form1]\r\nPathforini=C:\\Old\r\n; note\r\n[Other]\r\nx=1\r\n[FORM1]\r\nmore=2"));
    EXPECT_TRUE(Ini::eraseSection(path, QStringLiteral(" form1"), &error)) << error.toStdString();
    write("Form1", "Pathforini", "C:\\New");
    EXPECT_EQ(readBytes(path), QByteArray("[Other]\r\nx=1\r\n[Form1]\r\nPathforini=C:\\New\r\n"));
}

TEST(IniFileTest, WriteFailuresReturnFalseWithAnErrorNamingThePath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plainFile = dir.filePath(QStringLiteral("plain"));
    ASSERT_TRUE(writeBytes(plainFile, "not a folder"));
    const QString folderAsFile = dir.filePath(QStringLiteral("folder.ini"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.ini")));

    for (const QString& path : {dir.filePath(QStringLiteral("no/such/folder/settings.ini")),
                                plainFile + QStringLiteral("/settings.ini"), folderAsFile}) {
        QString error;
        EXPECT_FALSE(Ini::writeString(path, QStringLiteral("s"), QStringLiteral("k"),
                                      QStringLiteral("v"), &error))
            << path.toStdString();
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        EXPECT_EQ(
            Ini::readString(path, QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("dflt")),
            "dflt");
    }
    QString error;
    EXPECT_FALSE(Ini::eraseSection(folderAsFile, QStringLiteral("s"), &error));
    EXPECT_TRUE(error.contains(folderAsFile));
    EXPECT_TRUE(QFileInfo(folderAsFile).isDir());
    EXPECT_FALSE(Ini::writeString(QString(), QStringLiteral("s"), QStringLiteral("k"),
                                  QStringLiteral("v"), &error));
    EXPECT_FALSE(error.isEmpty());
}

// ---------------------------------------------------------------- damaged input

TEST(IniDamagedInputTest, JunkNulsAndHugeLinesGiveDefaultsWhereNothingMatches)
{
    const QByteArray huge(2 * 1024 * 1024, 'x');
    const QByteArray nul("\0", 1);
    const char utf16[] = "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0v\0";
    const QByteArray cases[] = {
        huge,
        "[t]\r\nk=" + huge,
        "[" + huge + "\r\nk=v\r\n",
        "[s" + nul + "]\r\nk=v\r\n",
        QByteArray(utf16, sizeof(utf16) - 1), // a UTF-16 file is not ours
        QByteArray(4096, '\0'),
        "[s]" + QByteArray(100000, '\r') + "junk",
        "]]]]]]=====[[[[",
    };
    for (const QByteArray& bytes : cases) {
        const Ini::Document doc = Ini::Document::fromBytes(bytes);
        EXPECT_EQ(doc.readString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("dflt")),
                  "dflt");
        EXPECT_EQ(doc.toBytes(), bytes);
    }
    // Damage next to good lines does not hide them.
    EXPECT_EQ(read("[s]\r\nk=" + huge, "s", "k").size(), huge.size());
    EXPECT_EQ(read("\x01\x02\xFF" + nul + "\n[s]\nk=" + huge + "\n[t]\nk=v", "t", "k"), "v");
    EXPECT_EQ(read("[s]\nk=a" + nul + "b\n", "s", "k"),
              QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b")));
}

TEST(IniDamagedInputTest, RandomBytesParseWriteAndEraseConsistently)
{
    std::mt19937 random(20240611u);
    // Bytes that matter to the parser, plus any byte at all.
    const QByteArray parserBytes("[]=;\"' \t\r\n\0sSkK", 15);
    std::uniform_int_distribution<int> length(0, 300);
    std::uniform_int_distribution<int> pick(0, 3);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::uniform_int_distribution<int> parserByte(0, int(parserBytes.size()) - 1);

    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        const int n = length(random);
        for (int i = 0; i < n; ++i)
            bytes += pick(random) == 0 ? char(anyByte(random)) : parserBytes[parserByte(random)];
        SCOPED_TRACE(bytes.toHex().toStdString());

        Ini::Document doc = Ini::Document::fromBytes(bytes);
        ASSERT_EQ(doc.toBytes(), bytes);
        const bool hadSection = doc.hasSection(QStringLiteral("s"));

        ASSERT_TRUE(
            doc.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("value")));
        if (!hadSection) {
            EXPECT_TRUE(doc.toBytes().startsWith(bytes)); // a new section only adds at the end
        }
        ASSERT_TRUE(doc.writeString(QStringLiteral("fuzz"), QStringLiteral("key"),
                                    QStringLiteral("other")));
        const Ini::Document reread = Ini::Document::fromBytes(doc.toBytes());
        EXPECT_EQ(reread.readString(QStringLiteral("s"), QStringLiteral("k"), QString()), "value");
        EXPECT_EQ(reread.readString(QStringLiteral("fuzz"), QStringLiteral("key"), QString()),
                  "other");

        doc.eraseSection(QStringLiteral("s"));
        EXPECT_FALSE(doc.hasSection(QStringLiteral("s")));
        EXPECT_EQ(doc.readString(QStringLiteral("fuzz"), QStringLiteral("key"), QString()),
                  "other");
    }
}

TEST(IniFileTest, AFileTheWindowsVersionWroteInWindows1250ReadsRightAndIsWrittenBackByteIdentical)
{
    const QByteArray polishFile = readFixture("iniformsettings-1250.ini");
    ASSERT_FALSE(polishFile.isEmpty());
    {
        const SystemCodePage polish(1250);
        Ini::Document doc = Ini::Document::fromBytes(polishFile);
        EXPECT_EQ(doc.readString(QStringLiteral("formname"), QStringLiteral("formname"), QString()),
                  "Łódź");
        EXPECT_EQ(
            doc.readString(QStringLiteral("_global_"), QStringLiteral("bitmapfile"), QString()),
            "C:\\Projekty\\Łódź\\tło.bmp");
        ASSERT_TRUE(doc.writeString(QStringLiteral("formname"), QStringLiteral("formname"),
                                    QStringLiteral("Łódź")));
        EXPECT_EQ(doc.toBytes(), polishFile);
    }
    // Read under a Western code page the letters differ, and the bytes still
    // come back as they were.
    const SystemCodePage western(1252);
    const Ini::Document doc = Ini::Document::fromBytes(polishFile);
    EXPECT_EQ(doc.readString(QStringLiteral("formname"), QStringLiteral("formname"), QString()),
              "£ódŸ");
    EXPECT_EQ(doc.toBytes(), polishFile);
}

TEST(IniFileTest, DamagedTextThatNoEncodingHoldsIsRefusedAndTheFileLeftAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("pathforini.ini"));
    ASSERT_TRUE(Ini::writeString(path, QStringLiteral("Form1"), QStringLiteral("Pathforini"),
                                 QStringLiteral("/home/user/Проекты/工厂")));
    const QByteArray before = readBytes(path);
    EXPECT_EQ(
        Ini::readString(path, QStringLiteral("Form1"), QStringLiteral("pathforini"), QString()),
        "/home/user/Проекты/工厂");

    QString error;
    const QString broken = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("中");
    EXPECT_FALSE(Ini::writeString(path, QStringLiteral("Form1"), QStringLiteral("Pathforini"),
                                  broken, &error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("damaged"))) << error.toStdString();
    EXPECT_EQ(readBytes(path), before);
}

} // namespace
