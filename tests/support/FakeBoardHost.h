#pragma once

#include "board/Board.h"
#include "board/BoardHost.h"
#include "board/ObjectLabel.h"
#include "board/ObjectShape.h"

#include <QPointer>
#include <QStringList>

// A board with settable current object and project folder, for testing the
// subsystem windows without the main window.
class FakeBoardHost : public BoardHost {
public:
    FakeBoardHost() { window.resize(800, 600); }

    Board& board() override { return window; }
    bool isProjectOpen() const override { return !folder.isEmpty(); }
    QString projectFolder() const override { return folder; }
    ObjectShape* currentShape() const override { return shape; }
    ObjectLabel* currentLabel() const override { return label; }
    void blinkAlarmObject(const QString& name) override { blinked.append(name); }
    void clearAlarmBlink(const QString& name) override { cleared.append(name); }
    QWidget* mainWindow() override { return &window; }

    // Places object N named name and makes it current.
    void addObject(int n, const QString& name)
    {
        shape = new ObjectShape(&window);
        shape->setObjectName(QStringLiteral("Shape%1").arg(n));
        shape->setTag(n);
        shape->setGeometry(100, 100, 30, 30);
        shape->setBrushColor(0x008000);
        label = new ObjectLabel(&window);
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        label->setTag(n);
        label->move(100, 87);
        label->setCaption(name);
    }

    Board window;
    QString folder; // empty: no project open
    QPointer<ObjectShape> shape;
    QPointer<ObjectLabel> label;
    QStringList blinked;
    QStringList cleared;
};
