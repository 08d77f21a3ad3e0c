#pragma once

#include "board/Board.h"
#include "main/Program.h"
#include "shapes/ShapeNameU.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

// The whole program on the platform doubles, with a project open in a
// temporary folder.
class ProgramFixture : public ::testing::Test {
protected:
    ProgramFixture() { start(); }

    void start()
    {
        program = std::make_unique<Program>(fake.platform);
        form().Timer1->stop();
        form().show();
    }

    TForm1& form() { return program->form1; }
    Board& board() { return program->form1.board(); }
    BoardModel& boardModel() { return program->form1.boardModel(); }

    void openProject(const QString& formName = QStringLiteral("Work"), QString folder = {})
    {
        if (folder.isEmpty())
            folder = projectDir.path();
        form().project().open(QDir::toNativeSeparators(folder), formName);
    }

    QString projectFile(const QString& name) const { return projectDir.filePath(name); }

    // Runs New Object at a screen point and answers the name dialog with name.
    // Returns what the board showed while the dialog was open.
    struct WhileNaming {
        QRect shape;
        QRect label;
        QString caption;
        quint32 fill = 0;
        QString shapeName;
        QString hint;
    };
    WhileNaming newObject(const QString& name, QPoint at = QPoint(500, 400),
                          bool pressCancel = false)
    {
        WhileNaming seen;
        bool answered = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TShapeNameF*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (form().CurrentShape && form().CurrentLabel) {
                seen = {form().CurrentShape->geometry(),   form().CurrentLabel->geometry(),
                        form().CurrentLabel->caption(),    form().CurrentShape->brushColor(),
                        form().CurrentShape->objectName(), form().CurrentShape->hint()};
            }
            dialog->Edit1->setText(name);
            (pressCancel ? dialog->Button2 : dialog->Button1)->click();
            answered = true;
        });
        fake.pointer.at = at;
        form().FormMouseDown(Qt::RightButton);
        form().PopupMenu2->hide();
        form().New2Click();
        if (form().project().isOpen() && !answered && seen.caption.isEmpty())
            ADD_FAILURE() << "the name dialog did not open";
        return seen;
    }

    static QByteArray readAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    FakePlatform fake;
    QTemporaryDir projectDir;
    std::unique_ptr<Program> program;
};
