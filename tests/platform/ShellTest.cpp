#include "platform/Shell.h"
#include "support/Files.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <signal.h>

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)

// The desktop's opener is found on the search path; each test puts its own
// stand-in there, which does what the real one does in each case.
class DesktopShellTest : public ::testing::Test {
protected:
    DesktopShellTest() : m_savedPath(qgetenv("PATH"))
    {
        qputenv("PATH", binDir.path().toLocal8Bit());
    }
    ~DesktopShellTest() override { qputenv("PATH", m_savedPath); }

    void installOpener(const QByteArray& script)
    {
        const QString opener = binDir.filePath(QStringLiteral("xdg-open"));
        writeAll(opener, "#!/bin/sh\n" + script + "\n");
        QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir binDir;
    DesktopShell shell;

private:
    QByteArray m_savedPath;
};

TEST_F(DesktopShellTest, OpensOnlyWhenTheOpenerFoundAProgram)
{
    EXPECT_FALSE(shell.open(QStringLiteral("/tmp"))) << "no opener installed";

    installOpener("exit 3"); // xdg-open: no program found for the file
    EXPECT_FALSE(shell.open(QStringLiteral("/tmp")));

    installOpener("exit 0");
    EXPECT_TRUE(shell.open(QStringLiteral("/tmp")));

    // An opener that runs the program in its place has found one.
    installOpener("exec /bin/sleep 3");
    EXPECT_TRUE(shell.open(QStringLiteral("/tmp")));
}

// The program an opener started (here: became) is the user's; it stays open
// when this program ends first.
TEST_F(DesktopShellTest, LeavesTheOpenedProgramRunningWhenItEnds)
{
    const QString pidFile = binDir.filePath(QStringLiteral("program.pid"));
    installOpener("echo $$ > '" + pidFile.toLocal8Bit() + "'; exec /bin/sleep 30");
    auto ending = std::make_unique<DesktopShell>();
    ASSERT_TRUE(ending->open(QStringLiteral("/tmp")));
    ending.reset();

    const pid_t program = readAll(pidFile).trimmed().toInt();
    ASSERT_GT(program, 0);
    // Alive and not merely waiting to be reaped.
    const QByteArray state = readAll(QStringLiteral("/proc/%1/stat").arg(program));
    const qsizetype afterName = state.lastIndexOf(')');
    ASSERT_GT(afterName, 0) << "the opened program is gone";
    EXPECT_NE(state.mid(afterName + 2, 1), "Z") << "the opened program was ended";
    ::kill(program, SIGKILL);
}

#endif
