#include "platform/Shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>
#include <memory>

QString nothingOpensMessage(const QString& what)
{
    return QStringLiteral("No program on this computer could open \"") + what +
           QStringLiteral("\". Please open it by hand.");
}

DesktopShell::DesktopShell() : m_openers(std::make_unique<QObject>()) {}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)

namespace {

// How long the opener may take to say that it found no program. One that
// is still running then has started a program and waits for it to end.
constexpr int OpenerVerdictMs = 1500;

} // namespace

// Qt hands the path to xdg-open and reports success once xdg-open started,
// even when xdg-open then finds no program; its exit code tells. xdg-open runs
// under a shell of its own, which is what this program ends when it ends
// first: the opener and the program it started (or became, by exec) go on.
bool DesktopShell::open(const QString& path)
{
    auto opener = std::make_unique<QProcess>();
    opener->setProgram(QStringLiteral("/bin/sh"));
    opener->setArguments({QStringLiteral("-c"), QStringLiteral("xdg-open \"$1\"; exit $?"),
                          QStringLiteral("sh"), path});
    opener->setStandardInputFile(QProcess::nullDevice());
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    opener->start();
    if (!opener->waitForStarted())
        return false;
    if (opener->waitForFinished(OpenerVerdictMs))
        return opener->exitStatus() == QProcess::NormalExit && opener->exitCode() == 0;
    QProcess* running = opener.release();
    running->setParent(m_openers.get());
    QObject::connect(running, &QProcess::finished, running, &QObject::deleteLater);
    return true;
}

DesktopShell::~DesktopShell()
{
    for (QProcess* opener : m_openers->findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        opener->kill();
        opener->waitForFinished();
    }
}

#else

DesktopShell::~DesktopShell() = default;

bool DesktopShell::open(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

#endif

bool DesktopShell::openLink(const QUrl& link)
{
    return QDesktopServices::openUrl(link);
}
