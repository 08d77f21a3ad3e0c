#pragma once

#include <QMargins>

class QWidget;
struct Platform;

// The frame the window manager put around window; none before it framed it
// and without a window manager.
QMargins windowFrameMargins(const QWidget& window);

// Places window's outer top-left corner 30 pixels left of and 35 pixels above
// the pointer, then moves it as little as needed to stand wholly on the
// desktop and below the menu bar of mainWindow (when that is shown), so that
// it never hides the main menu. A window taller than the room below the menu
// bar keeps its top just below the menu bar.
void placeNearPointer(QWidget& window, const Platform& platform, const QWidget* mainWindow);
