#pragma once

#include "project/Project.h"

#include <QPoint>
#include <QSet>
#include <QString>
#include <optional>

class BoardModel;
class QUndoStack;
class QWidget;
class ObjectLabel;
class ObjectShape;

// What the windows of notes, tables, shapes and alarms need of the main
// window. The main window implements it; tests fake it.
class BoardHost {
public:
    virtual ~BoardHost() = default;

    virtual BoardModel& boardModel() = 0;
    // The project's undo stack: every edit of the board is a step on it.
    virtual QUndoStack& undoStack() = 0;
    // The open project: its folder, form name and the paths of its files.
    virtual Project& project() = 0;
    virtual ObjectShape* currentShape() const = 0;
    virtual ObjectLabel* currentLabel() const = 0;
    // The flashing of an alarm's object: hatched on odd seconds of the clock,
    // solid on even ones; and back to solid.
    virtual void blinkAlarmObject(const QString& objectName) = 0;
    virtual void clearAlarmBlink(const QString& objectName) = 0;
    // The names of the objects hatched now, which clearAlarmBlink would turn
    // solid: the alarm check leaves alone the rows whose clearing would change
    // nothing. Nothing when the host cannot tell; the check then visits every
    // row.
    virtual std::optional<QSet<QString>> hatchedObjectNames() const { return std::nullopt; }
    // Raises the main window and brings the object named objectName into
    // view, current and framed as a found object is; an empty name, or one no
    // object bears, only raises the window.
    virtual void showObject(const QString& objectName) = 0;
    // Where a board point is shown on the screen now.
    virtual QPoint globalPoint(const QPoint& boardPoint) const = 0;
    // The main window, for placing and owning the subsystem windows.
    virtual QWidget* mainWindow() = 0;
};

// Refusal of every operation that needs an open project.
inline const QString DefineFormFirst =
    QStringLiteral(" Define form and archive location at first!");
