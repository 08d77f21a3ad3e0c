#include "platform/Platform.h"

#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Pointer.h"
#include "platform/Processes.h"
#include "platform/QtDialogs.h"
#include "platform/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

struct SystemPlatform::Services {
    QtDialogs dialogs;
    ScreenDesktop desktop;
    SystemClock clock;
    SystemProcesses processes;
    DesktopShell shell;
    CursorPointer pointer;
};

SystemPlatform::SystemPlatform() : m_services(std::make_unique<Services>())
{
    const QFileInfo program(QCoreApplication::applicationFilePath());
    m_platform.reset(new Platform{m_services->dialogs, m_services->desktop, m_services->clock,
                                  m_services->processes, m_services->shell, m_services->pointer,
                                  QDir::toNativeSeparators(program.absolutePath() + '/'),
                                  program.fileName()});
}

SystemPlatform::~SystemPlatform() = default;
