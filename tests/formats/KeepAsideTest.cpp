#include "formats/KeepAside.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(KeepAside, KeepsOneByteExactCopyPerDistinctContent)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("Alarm.dat");
    const char damaged[] = "1-A-\r\n\x00\xff broken";
    const QByteArray first(damaged, sizeof damaged - 1); // with the zero byte, not the terminator
    writeAll(path, first);
    QString error;
    EXPECT_EQ(keepAside(path, &error), path + ".damaged");
    EXPECT_EQ(keepAside(path, &error), path + ".damaged") << "the same bytes again reuse the copy";
    EXPECT_EQ(readAll(path + ".damaged"), first);

    writeAll(path, "other damage");
    EXPECT_EQ(keepAside(path, &error), path + ".damaged2");
    writeAll(path, first);
    EXPECT_EQ(keepAside(path, &error), path + ".damaged") << "an older copy of these bytes";
    writeAll(path, "");
    EXPECT_EQ(keepAside(path, &error), path + ".damaged3") << "an empty file is a content too";

    EXPECT_EQ(readAll(path + ".damaged2"), "other damage");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 4);
}

TEST(KeepAside, FilesLargerThanOnePieceAreComparedToTheirLastByte)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("fStreamLabel.txt");
    QByteArray large(3 * 1024 * 1024 + 7, 'x');
    writeAll(path, large);
    QString error;
    ASSERT_EQ(keepAside(path, &error), path + ".damaged") << error.toStdString();
    large[large.size() - 1] = 'y';
    writeAll(path, large);
    EXPECT_EQ(keepAside(path, &error), path + ".damaged2");
    EXPECT_EQ(keepAside(path, &error), path + ".damaged2");
    EXPECT_EQ(readAll(path + ".damaged2"), large);
}

TEST(KeepAside, SaysWhyNoCopyCouldBeMadeAndPassesOverNamesTaken)
{
    QTemporaryDir folder;
    QString error;
    EXPECT_TRUE(keepAside(folder.filePath("missing.txt"), &error).isEmpty());
    EXPECT_TRUE(error.contains("missing.txt")) << error.toStdString();
    EXPECT_EQ(keptAsideNote({}, error), "No copy of the file could be kept: " + error);

    // A copy that cannot be written: the name the copy would take is a folder.
    const QString path = folder.filePath("fStreamShape.txt");
    writeAll(path, "damaged");
    QDir().mkdir(path + ".damaged");
    ASSERT_TRUE(QFileInfo(path + ".damaged").isDir());
    EXPECT_EQ(keepAside(path, &error), path + ".damaged2") << "a folder is passed over";
    EXPECT_EQ(keptAsideNote(path + ".damaged2", {}),
              "A copy of the file is kept as " + QDir::toNativeSeparators(path + ".damaged2") +
                  ".");
}

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

TEST(KeepAside, RunsOfZerosAreCopiedExactlyWithoutSpendingDisk)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("fStreamShape.txt");
    const qint64 MiB = 1024 * 1024;
    // Zeros inside the file and at its end, over a piece and less.
    QByteArray bytes = QByteArray(MiB, 'a') + QByteArray(5 * MiB, '\0') + QByteArray(MiB, 'b') +
                       QByteArray(2 * MiB + 3, '\0');
    bytes[6 * MiB + 1] = '\0';
    writeAll(path, bytes);
    QString error;
    ASSERT_EQ(keepAside(path, &error), path + ".damaged") << error.toStdString();
    EXPECT_TRUE(readAll(path + ".damaged") == bytes);

    // A sparse file of 64 MiB with one byte in its middle.
    const QString sparse = folder.filePath("fStreamLabel.txt");
    QFile file(sparse);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(64 * MiB) && file.seek(32 * MiB) &&
                file.putChar('x'));
    file.close();
    ASSERT_EQ(keepAside(sparse, &error), sparse + ".damaged") << error.toStdString();
    const QByteArray copy = readAll(sparse + ".damaged");
    ASSERT_EQ(copy.size(), 64 * MiB);
    EXPECT_EQ(copy.count('\0'), 64 * MiB - 1);
    EXPECT_EQ(copy[32 * MiB], 'x');
#ifdef Q_OS_UNIX
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(sparse + ".damaged").constData(), &info), 0);
    EXPECT_LT(qint64(info.st_blocks) * 512, 8 * MiB) << "the holes are kept as holes";
#endif
}
