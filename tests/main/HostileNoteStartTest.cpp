// The built program itself, started on the sample project with a note that
// once crashed the reader: the find index reads every note in the background
// after the load, and the program must live through it and close normally.
#include "support/Files.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// One copy of the program in a folder of its own, whose pathforini.ini names
// a copy of the sample project with note as the note of "Pump 1". Each copy
// has a file name of its own, so that no copy counts another (or a Vexorin
// the user runs) as a second instance.
struct ProgramRun {
    ProgramRun(const QString& crashPath, int number) : crash(crashPath)
    {
        const QString project = dir.filePath(QStringLiteral("Plant"));
        copyTree(QStringLiteral(VEXORIN_EXAMPLES "/Plant"), project);
        // No alarm may come due and open its message while the test waits.
        QFile::remove(project + QStringLiteral("/Alarm.dat"));
        note = project + QStringLiteral("/Pump 1/Pump 1.rtf");
        QFile::remove(note);
        QFile::copy(crashPath, note);
        QFile::setPermissions(note, QFile::ReadOwner | QFile::WriteOwner);

        const QString programFolder = dir.filePath(QStringLiteral("program"));
        QDir().mkpath(programFolder);
        const QString program = programFolder + QStringLiteral("/VexorinNoteRun%1").arg(number);
        QFile::copy(QStringLiteral(VEXORIN_PROGRAM), program);
        QFile ini(programFolder + QStringLiteral("/pathforini.ini"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[Form1]\r\nPathforini=" + QDir::toNativeSeparators(project).toLocal8Bit() +
                      "\r\n");
        ini.close();

        // The paint report says when the loaded board is on the screen.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("VEXORIN_PAINT_REPORT"), QStringLiteral("keep"));
        // The user's settings of this run stay in its folder.
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir.path());
        process.start(program, {});
    }

    QTemporaryDir dir;
    QString crash;
    QString note;
    QProcess process;
    QByteArray errors;
};

TEST(HostileNoteStartTest, TheProgramSurvivesEachCrashNoteAndClosesNormally)
{
    const QString crashes = QStringLiteral(VEXORIN_FIXTURES "/rtf/crashes/");
    const QStringList names = QDir(crashes).entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(names.isEmpty());
    ASSERT_TRUE(QFile::exists(QStringLiteral(VEXORIN_PROGRAM)));

    // All copies run at once: each waits for its board and its find index.
    std::vector<std::unique_ptr<ProgramRun>> runs;
    for (const QString& name : names)
        runs.push_back(std::make_unique<ProgramRun>(crashes + name, int(runs.size())));
    for (const auto& run : runs)
        ASSERT_TRUE(run->process.waitForStarted(10'000)) << run->crash.toStdString();

    for (const auto& run : runs) {
        QElapsedTimer waited;
        waited.start();
        while (!run->errors.contains("painted objects=5 ") &&
               run->process.state() == QProcess::Running && waited.elapsed() < 60'000) {
            run->process.waitForReadyRead(100);
            run->errors += run->process.readAllStandardError();
        }
        EXPECT_TRUE(run->errors.contains("painted objects=5 "))
            << run->crash.toStdString()
            << " did not load the project: " << run->errors.toStdString();
    }
    // The find index reads the notes right after the load; a note that kills
    // the reader ends the program within a moment.
    QThread::sleep(2);

    for (const auto& run : runs) {
        EXPECT_EQ(run->process.state(), QProcess::Running)
            << run->crash.toStdString() << " ended: " << run->errors.toStdString()
            << run->process.readAllStandardError().toStdString();
        run->process.terminate();
    }
    for (const auto& run : runs) {
        const std::string name = run->crash.toStdString();
        ASSERT_TRUE(run->process.waitForFinished(20'000)) << name << " did not close";
        EXPECT_EQ(run->process.exitStatus(), QProcess::NormalExit) << name;
        EXPECT_EQ(run->process.exitCode(), 0)
            << name << ": " << run->process.readAllStandardError().toStdString();
        // Closing saved the project and left the note as it was.
        EXPECT_EQ(bytesOf(run->note), bytesOf(run->crash)) << name;
        EXPECT_TRUE(
            bytesOf(run->dir.filePath(QStringLiteral("program/pathforini.ini"))).contains("Plant"))
            << name;
    }
}

} // namespace
