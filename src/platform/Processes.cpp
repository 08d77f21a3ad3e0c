#include "platform/Processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The program file of a process: the target of /proc/<pid>/exe, or, where that
// cannot be read (another user's process), the first word of its command line.
QString programOf(const QString& pid)
{
    QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    if (!exe.isEmpty()) {
        exe.remove(QStringLiteral(" (deleted)"));
        return exe;
    }
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!cmdline.open(QIODevice::ReadOnly))
        return {};
    const QByteArray args = cmdline.read(4096);
    return QString::fromLocal8Bit(args.left(args.indexOf('\0')));
}

} // namespace

int SystemProcesses::countRunning(const QString& programFileName) const
{
    const QStringList pids =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    int count = 0;
    for (const QString& pid : pids) {
        bool numeric = false;
        pid.toInt(&numeric);
        if (!numeric)
            continue;
        const QString program = programOf(pid);
        if (program.isEmpty())
            continue;
        if (QFileInfo(program).fileName().compare(programFileName, Qt::CaseInsensitive) == 0 ||
            program.compare(programFileName, Qt::CaseInsensitive) == 0)
            ++count;
    }
    return count;
}
