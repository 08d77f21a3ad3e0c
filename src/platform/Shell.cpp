#include "platform/Shell.h"

#include <QDesktopServices>
#include <QUrl>

bool DesktopShell::open(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopShell::openLink(const QUrl& link)
{
    return QDesktopServices::openUrl(link);
}
