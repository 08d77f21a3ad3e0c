#include "platform/WindowPlacement.h"

#include "platform/Desktop.h"
#include "platform/Platform.h"
#include "platform/Pointer.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QWidget>

#include <algorithm>

QMargins windowFrameMargins(const QWidget& window)
{
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

namespace {

// The first screen line a window may take without covering the main menu.
int topBelowMainMenu(const QWidget& mainWindow)
{
    const auto* main = qobject_cast<const QMainWindow*>(&mainWindow);
    const QWidget* menu = main ? main->menuWidget() : nullptr;
    if (menu && menu->isVisible())
        return menu->mapToGlobal(QPoint(0, menu->height())).y();
    return mainWindow.mapToGlobal(QPoint(0, 0)).y();
}

} // namespace

void placeNearPointer(QWidget& window, const Platform& platform, const QWidget* mainWindow)
{
    const bool framed = !windowFrameMargins(window).isNull();
    // A window the window manager has not framed yet gets the frame it gave
    // the main window.
    const QMargins frame =
        framed || !mainWindow ? windowFrameMargins(window) : windowFrameMargins(*mainWindow);
    const QSize outer = window.size().grownBy(frame);
    const QRect desktop(QPoint(0, 0), platform.desktop.size());

    int top = desktop.top();
    if (mainWindow && mainWindow->isVisible() && !mainWindow->isMinimized())
        top = std::max(top, topBelowMainMenu(*mainWindow));
    const int bottom = std::max(top, desktop.bottom() + 1 - outer.height());
    const int right = std::max(desktop.left(), desktop.right() + 1 - outer.width());

    const QPoint wanted = platform.pointer.pos() - QPoint(30, 35);
    const QPoint outerTopLeft(std::clamp(wanted.x(), desktop.left(), right),
                              std::clamp(wanted.y(), top, bottom));
    if (framed) {
        window.move(outerTopLeft);
    } else {
        // The window manager puts its frame around the window where it stands.
        window.setGeometry(QRect(outerTopLeft + QPoint(frame.left(), frame.top()), window.size()));
    }
}
