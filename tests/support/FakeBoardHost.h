#pragma once

#include "board/Board.h"
#include "board/BoardHost.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "project/Project.h"

#include <QStringList>
#include <QUndoStack>
#include <memory>

// A board with settable current object and project folder, for testing the
// subsystem windows without the main window.
class FakeBoardHost : public BoardHost {
public:
    FakeBoardHost() { window.resize(800, 600); }

    BoardModel& boardModel() override { return window.model(); }
    QUndoStack& undoStack() override { return undo; }
    Project& project() override { return *m_project; }
    const Project& project() const { return *m_project; }
    ObjectShape* currentShape() const override { return shape; }
    ObjectLabel* currentLabel() const override { return label; }
    void blinkAlarmObject(const QString& name) override { blinked.append(name); }
    void clearAlarmBlink(const QString& name) override { cleared.append(name); }
    void showObject(const QString& name) override { shown.append(name); }
    QPoint globalPoint(const QPoint& boardPoint) const override
    {
        return window.globalPoint(boardPoint);
    }
    QWidget* mainWindow() override { return &window; }

    // Opens a project in folder; an empty folder leaves the host idle.
    void setProjectFolder(const QString& folder)
    {
        m_project = std::make_unique<Project>();
        if (!folder.isEmpty())
            m_project->open(folder, QStringLiteral("Plant"));
    }

    // Places object N named name and makes it current.
    void addObject(int n, const QString& name)
    {
        shape = new ObjectShape(window.model());
        shape->setObjectName(QStringLiteral("Shape%1").arg(n));
        shape->setTag(n);
        shape->setGeometry(100, 100, 30, 30);
        shape->setBrushColor(0x008000);
        label = new ObjectLabel(window.model());
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        label->setTag(n);
        label->move(100, 87);
        label->setCaption(name);
    }

    Board window;
    QUndoStack undo;
    ElementRef<ObjectShape> shape;
    ElementRef<ObjectLabel> label;
    QStringList blinked;
    QStringList cleared;
    QStringList shown;

private:
    std::unique_ptr<Project> m_project = std::make_unique<Project>();
};
