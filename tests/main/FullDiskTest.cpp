#include "ProgramFixture.h"

#include <QProcess>

// A project on a small file system of its own, which the test can fill up.
// Mounting needs root; elsewhere the test is skipped.
class FullDisk : public ProgramFixture {
protected:
    void SetUp() override
    {
        disk = base.filePath("disk");
        QDir().mkdir(disk);
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=256k", "tmpfs", disk}) != 0)
            GTEST_SKIP() << "cannot mount a small file system here (needs root)";
        mounted = true;
        project = disk + "/project";
        QDir().mkdir(project);
        openProject(QStringLiteral("Work"), project);
    }
    void TearDown() override
    {
        program.reset();
        if (mounted)
            QProcess::execute("umount", {disk});
    }

    // Writes until the file system refuses.
    void fill()
    {
        QFile filler(disk + "/filler");
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }

    QTemporaryDir base;
    QString disk;
    QString project;
    bool mounted = false;
};

TEST_F(FullDisk, SavingOnAFullDiskShowsAnErrorKeepsTheBoardAndLeavesTheOldFilesWhole)
{
    newObject(QStringLiteral("Pump"));
    newObject(QStringLiteral("Valve"), QPoint(700, 500));
    ASSERT_TRUE(form().SaveProject());
    const QByteArray shapesBefore = readAll(project + "/fStreamShape.txt");
    const QByteArray labelsBefore = readAll(project + "/fStreamLabel.txt");
    const QByteArray settingsBefore = readAll(project + "/iniformsettings.ini");

    fill();
    board().shapeNamed("Shape2")->move(123, 321);
    EXPECT_FALSE(form().close());
    EXPECT_TRUE(form().isVisible());
    ASSERT_FALSE(fake.dialogs.errors.isEmpty());
    EXPECT_TRUE(fake.dialogs.errors.last().contains(project)) << fake.dialogs.errors.last().toStdString();
    EXPECT_EQ(board().shapeNamed("Shape2")->pos(), QPoint(123, 321)) << "nothing lost in memory";
    EXPECT_EQ(readAll(project + "/fStreamShape.txt"), shapesBefore) << "old file whole";
    EXPECT_EQ(readAll(project + "/fStreamLabel.txt"), labelsBefore);
    EXPECT_EQ(readAll(project + "/iniformsettings.ini"), settingsBefore);

    // With room again the same close saves everything.
    ASSERT_TRUE(QFile::remove(disk + "/filler"));
    EXPECT_TRUE(form().close());
    EXPECT_NE(readAll(project + "/fStreamShape.txt"), shapesBefore);
    program.reset();
    start();
    form().Timer1Timer();
    ASSERT_NE(board().shapeNamed("Shape2"), nullptr);
    EXPECT_EQ(board().shapeNamed("Shape2")->pos(), QPoint(123, 321));
}
