#include "platform/Desktop.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

QSize mainWindowOuterSize(const Desktop& desktop)
{
    return desktop.size() - QSize(100, 100);
}

QSize ScreenDesktop::size() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

int ScreenDesktop::virtualHeight() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry().height() : 768;
}

int ScreenDesktop::dotsPerInch() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? int(std::lround(screen->logicalDotsPerInchY())) : 96;
}
