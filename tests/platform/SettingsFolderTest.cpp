#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(SettingsFolder, AProgramThatCanWriteBesideItselfKeepsItsSettingsThere)
{
    QTemporaryDir program;
    const QString folder = QDir::toNativeSeparators(program.path() + '/');
    EXPECT_EQ(settingsFolderFor(folder), folder);
}

TEST(SettingsFolder, AnInstalledProgramKeepsItsSettingsInTheUsersConfigurationFolder)
{
    // A folder the program cannot write: without write permission, or, for a
    // user who may write anywhere, a read-only file system.
    QTemporaryDir base;
    const QString folder = base.filePath("bin");
    QDir().mkdir(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    bool mounted = false;
    if (QFileInfo(folder).isWritable()) {
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "ro,size=16k", "tmpfs", folder}) != 0)
            GTEST_SKIP() << "cannot make a folder this user cannot write";
        mounted = true;
    }

    QStandardPaths::setTestModeEnabled(true); // keeps the real configuration folder untouched
    const QString settings = settingsFolderFor(QDir::toNativeSeparators(folder + '/'));
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QStandardPaths::setTestModeEnabled(false);
    if (mounted)
        QProcess::execute("umount", {folder});
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_EQ(settings, QDir::toNativeSeparators(config + '/'));
    EXPECT_TRUE(QFileInfo(config).isDir());
    EXPECT_TRUE(QFileInfo(config).isWritable());
}
