#include "formats/CsvFile.h"

#include "support/Files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(CsvFile, QuotesOnlyFieldsThatNeedItAndEndsEveryRowWithCrLf)
{
    const QByteArray bytes = CsvFile::toBytes(
        {{QStringLiteral("plain"), QStringLiteral("a,b"), QStringLiteral("say \"hi\""), QString()},
         {QStringLiteral("two\nlines"), QStringLiteral(" padded "), QStringLiteral("Łódź")}});
    EXPECT_EQ(bytes, QByteArray("\xEF\xBB\xBF"
                                "plain,\"a,b\",\"say \"\"hi\"\"\",\r\n"
                                "\"two\nlines\",\" padded \",\xC5\x81\xC3\xB3\x64\xC5\xBA\r\n"));
}

TEST(CsvFile, SaveReplacesTheFileWholeOrSaysWhyNot)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.csv"));
    QString error;
    ASSERT_TRUE(CsvFile::save(path, {{QStringLiteral("x")}}, &error));
    EXPECT_EQ(readAll(path), QByteArray("\xEF\xBB\xBFx\r\n"));

    EXPECT_FALSE(CsvFile::save(dir.filePath(QStringLiteral("missing/list.csv")),
                               {{QStringLiteral("x")}}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("list.csv")));
}
