#include "platform/Platform.h"

#include "platform/AlsaSound.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/DesktopNotifications.h"
#include "platform/Pointer.h"
#include "platform/Processes.h"
#include "platform/QtDialogs.h"
#include "platform/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

QString settingsFolderFor(const QString& programFolder)
{
    if (QFileInfo(programFolder).isWritable())
        return programFolder;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(config);
    return QDir::toNativeSeparators(config + '/');
}

struct SystemPlatform::Services {
    explicit Services(const QString& programFolder)
        : notifications(QDBusConnection::sessionBus(), programFolder + QStringLiteral("tarnik.ico"))
    {
    }

    QtDialogs dialogs;
    ScreenDesktop desktop;
    SystemClock clock;
    SystemProcesses processes;
    DesktopShell shell;
    CursorPointer pointer;
    AlsaSound sound;
    DesktopNotifications notifications;
};

SystemPlatform::SystemPlatform()
{
    const QFileInfo program(QCoreApplication::applicationFilePath());
    const QString programFolder = QDir::toNativeSeparators(program.absolutePath() + '/');
    m_services = std::make_unique<Services>(programFolder);
    const QString userSettings = QSettings(QSettings::IniFormat, QSettings::UserScope,
                                           QStringLiteral("Vexorin"), QStringLiteral("Vexorin"))
                                     .fileName();
    m_platform.reset(new Platform{
        m_services->dialogs, m_services->desktop, m_services->clock, m_services->processes,
        m_services->shell, m_services->pointer, m_services->sound, m_services->notifications,
        programFolder, program.fileName(), settingsFolderFor(programFolder), userSettings});
}

SystemPlatform::~SystemPlatform() = default;
