#include "platform/Shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)

namespace {

// How long the opener may take to say that it found no program. One that
// is still running then has started a program and waits for it to end.
constexpr int OpenerVerdictMs = 1500;

} // namespace

// Qt hands the path to xdg-open and reports success once xdg-open started,
// even when xdg-open then finds no program; its exit code tells.
bool DesktopShell::open(const QString& path)
{
    auto* opener = new QProcess;
    opener->setProgram(QStringLiteral("xdg-open"));
    opener->setArguments({path});
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    opener->start();
    if (!opener->waitForStarted()) {
        delete opener;
        return false;
    }
    if (opener->waitForFinished(OpenerVerdictMs)) {
        const bool opened = opener->exitStatus() == QProcess::NormalExit && opener->exitCode() == 0;
        delete opener;
        return opened;
    }
    QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
    return true;
}

#else

bool DesktopShell::open(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

#endif

bool DesktopShell::openLink(const QUrl& link)
{
    return QDesktopServices::openUrl(link);
}
