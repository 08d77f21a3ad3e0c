#include "project/SharedFiles.h"

#include "project/Presence.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

class SharedFilesTest : public ::testing::Test {
protected:
    SharedFilesTest()
    {
        shared.now = [] { return QDateTime(QDate(2026, 12, 8), QTime(9, 30)); };
        shared.otherUser = [this] { return otherUser; };
        writeAll(path, "as read\r\n");
        shared.remember(path);
    }

    bool writeOurs(const QByteArray& bytes)
    {
        QString error;
        return shared.replace(
            path,
            [&] {
                writeAll(path, bytes);
                return true;
            },
            &error);
    }

    QTemporaryDir folder;
    const QString path = folder.filePath("Pumptable.txt");
    SharedFiles shared;
    QString otherUser = QStringLiteral("ana");
};

TEST_F(SharedFilesTest, AChangeOfAnotherCopyIsKeptBesideAsAConflictCopyAndSaid)
{
    QSignalSpy notices(&shared, &SharedFiles::notice);
    writeAll(path, "theirs\r\n");
    EXPECT_TRUE(shared.changedSince(path));

    ASSERT_TRUE(writeOurs("ours\r\n"));
    const QString copy = folder.filePath("Pumptable (conflict ana 2026-12-08 09-30).txt");
    EXPECT_EQ(readAll(path), "ours\r\n");
    EXPECT_EQ(readAll(copy), "theirs\r\n");
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0][0].toString().contains(QDir::toNativeSeparators(copy)));
    EXPECT_FALSE(shared.changedSince(path)); // what was written is known now

    // A second conflict in the same minute gets a name of its own; without a
    // known other user the local one is named.
    otherUser.clear();
    writeAll(path, "theirs again\r\n");
    ASSERT_TRUE(writeOurs("ours again\r\n"));
    EXPECT_EQ(readAll(folder.filePath(QStringLiteral("Pumptable (conflict %1 2026-12-08 09-30).txt")
                                          .arg(Presence::localUser()))),
              "theirs again\r\n");
}

TEST_F(SharedFilesTest, NoConflictCopyWhenNobodyElseChangedItOrBothWroteTheSame)
{
    QSignalSpy notices(&shared, &SharedFiles::notice);
    ASSERT_TRUE(writeOurs("ours\r\n"));
    writeAll(path, "same\r\n");
    ASSERT_TRUE(writeOurs("same\r\n"));
    // A save that fails leaves the other copy's file as it was, and no copy.
    writeAll(path, "theirs\r\n");
    QString error;
    EXPECT_FALSE(shared.replace(
        path, [] { return false; }, &error));
    EXPECT_EQ(readAll(path), "theirs\r\n");
    EXPECT_EQ(notices.size(), 0);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"Pumptable.txt"});
}

TEST_F(SharedFilesTest, AFileReplacedByRenameIsSeenOnceAndStillWatched)
{
    QSignalSpy changes(&shared, &SharedFiles::changedOnDisk);
    // A sync tool writes a new copy and renames it over the file.
    const auto renameOver = [this](const QByteArray& bytes) {
        const QString fresh = folder.filePath(".sync-tmp");
        writeAll(fresh, bytes);
        ASSERT_TRUE(std::rename(fresh.toLocal8Bit().constData(), path.toLocal8Bit().constData()) ==
                    0);
    };
    renameOver("theirs\r\n");
    ASSERT_TRUE(changes.wait(5000));
    EXPECT_EQ(changes[0][0].toString(), path);
    shared.checkNow(); // told once, until read again
    EXPECT_EQ(changes.size(), 1);

    shared.remember(path);
    renameOver("theirs, later\r\n");
    ASSERT_TRUE(changes.wait(5000));
    EXPECT_EQ(changes.size(), 2);

    // Touched without a change: nothing to tell.
    shared.remember(path);
    age(path);
    shared.checkNow();
    EXPECT_EQ(changes.size(), 2);
}

} // namespace
