#include "project/Presence.h"

#include "formats/Ini.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

const QString Prefix = QStringLiteral(".vexorin-open-");
const QString Section = QStringLiteral("Open");

bool processRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
#ifdef Q_OS_WIN
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
#else
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    // A copy killed a moment ago lingers as a zombie until its parent reaps
    // it, and still answers kill(): it has ended all the same.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const qsizetype nameEnd = line.lastIndexOf(')');
        if (nameEnd >= 0 && nameEnd + 2 < line.size() && line.at(nameEnd + 2) == 'Z')
            return false;
    }
    return true;
#endif
}

// Only letters, digits and a few marks in the file name, whatever the names hold.
QString fileNamePart(QString text)
{
    for (QChar& c : text)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_') &&
            c != QLatin1Char('.'))
            c = QLatin1Char('_');
    return text;
}

} // namespace

QString Presence::localUser()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
#ifndef Q_OS_WIN
    // A program started by a service or su may have no USER: the account
    // database still names the user.
    if (user.isEmpty()) {
        if (const passwd* account = getpwuid(geteuid()))
            user = QString::fromLocal8Bit(account->pw_name);
    }
#endif
    return user.isEmpty() ? QStringLiteral("unknown") : user;
}

QString Presence::localHost()
{
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? QStringLiteral("localhost") : host;
}

QList<Presence::Holder> Presence::others(const QString& folder)
{
    QList<Holder> holders;
    const QDir dir(folder);
    // Picked by hand: a name filter would load the regular expression library
    // into every start for this one list.
    QStringList files;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name))
        if (name.startsWith(Prefix, Qt::CaseInsensitive))
            files.append(name);
    const QString host = localHost();
    const qint64 self = QCoreApplication::applicationPid();
    for (const QString& name : files) {
        const QString path = dir.filePath(name);
        Holder holder;
        holder.file = path;
        const Ini::Document ini = Ini::Document::load(path);
        holder.user = ini.readString(Section, QStringLiteral("user"), QString());
        holder.host = ini.readString(Section, QStringLiteral("host"), QString());
        holder.pid = ini.readString(Section, QStringLiteral("pid"), QString()).toLongLong();
        holder.since = QDateTime::fromString(
            ini.readString(Section, QStringLiteral("since"), QString()), Qt::ISODate);
        if (holder.host == host && holder.pid == self)
            continue;
        if (holder.host == host && !processRunning(holder.pid)) {
            QFile::remove(path); // left behind by a copy that ended without leaving
            continue;
        }
        holders.append(holder);
    }
    return holders;
}

QString Presence::otherUser(const QString& folder)
{
    const QList<Holder> holders = others(folder);
    const Holder* latest = nullptr;
    for (const Holder& holder : holders)
        if (!latest || holder.since > latest->since)
            latest = &holder;
    return latest ? latest->user : QString();
}

bool Presence::claim(const QString& folder, const QDateTime& since)
{
    release();
    const QString user = localUser();
    const QString host = localHost();
    const qint64 pid = QCoreApplication::applicationPid();
    const QDir dir(folder);
    QString path = dir.filePath(Prefix + fileNamePart(user + QLatin1Char('@') + host));
    // A second copy of the same user on the same computer has a file of its own.
    const qint64 holder =
        Ini::readString(path, Section, QStringLiteral("pid"), QString()).toLongLong();
    if (QFileInfo::exists(path) && holder != pid && processRunning(holder))
        path += QLatin1Char('.') + QString::number(pid);
    Ini::Document ini;
    const bool written =
        ini.writeString(Section, QStringLiteral("user"), user) &&
        ini.writeString(Section, QStringLiteral("host"), host) &&
        ini.writeString(Section, QStringLiteral("pid"), QString::number(pid)) &&
        ini.writeString(Section, QStringLiteral("since"), since.toString(Qt::ISODate)) &&
        ini.save(path);
    if (written)
        m_file = path;
    return written;
}

void Presence::release()
{
    if (!m_file.isEmpty())
        QFile::remove(m_file);
    m_file.clear();
}
