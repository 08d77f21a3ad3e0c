#include "platform/Platform.h"

#include "platform/AlsaSound.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Pointer.h"
#include "platform/Processes.h"
#include "platform/QtDialogs.h"
#include "platform/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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
    QtDialogs dialogs;
    ScreenDesktop desktop;
    SystemClock clock;
    SystemProcesses processes;
    DesktopShell shell;
    CursorPointer pointer;
    AlsaSound sound;
};

SystemPlatform::SystemPlatform() : m_services(std::make_unique<Services>())
{
    const QFileInfo program(QCoreApplication::applicationFilePath());
    const QString programFolder = QDir::toNativeSeparators(program.absolutePath() + '/');
    m_platform.reset(new Platform{m_services->dialogs, m_services->desktop, m_services->clock,
                                  m_services->processes, m_services->shell, m_services->pointer,
                                  m_services->sound, programFolder, program.fileName(),
                                  settingsFolderFor(programFolder)});
}

SystemPlatform::~SystemPlatform() = default;
