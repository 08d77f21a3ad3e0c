// New Object: the only way an object comes into being.
#include "main/Body.h"

#include "board/Board.h"
#include "project/BoardCommands.h"
#include "board/LabelOffset.h"
#include "platform/ColorRef.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/ObjectName.h"
#include "platform/Platform.h"
#include "shapes/ShapeCustom.h"
#include "shapes/ShapeNameU.h"
#include "tables/ObjectTableU.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QUndoStack>

bool TForm1::CreateEmptyFile(const QString& path)
{
    if (QFileInfo::exists(path))
        return true;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        return true;
    m_platform.dialogs.error(
        QStringLiteral("during creating file an unexpected error have occured"));
    return false;
}

void TForm1::New2Click()
{
    if (refuseWhileIdle())
        return;
    if (m_project.isReadOnly()) {
        // A new object makes its folder and files.
        m_platform.dialogs.message(
            QStringLiteral("This project is open read-only: no object can be added."));
        return;
    }
    if (m_boardModel->labelWithCaption(QStringLiteral("?"))) {
        m_platform.dialogs.message(QStringLiteral("You have one indefined obiect!"));
        return;
    }
    const DefaultObjectSettings defaults =
        m_windows.defaultObject ? m_windows.defaultObject->settings : DefaultObjectSettings();

    auto* shape = new ObjectShape(*m_boardModel);
    CurrentShape = shape;
    shape->resize(defaults.WidthChosen ? defaults.DefaultWidth : 10,
                  defaults.HeightChosen ? defaults.DefaultHeight : 10);
    shape->setShapeKind(defaults.ShapeKindChosen ? defaults.DefaultShapeKind
                                                 : ShapeKind::Rectangle);
    const int n = NextObjectNumber();
    shape->setTag(n);
    shape->setBrushColor(ColorRef::White);
    // The pop-up point is on the screen and the element on the board: the
    // fixed offsets put the shape near the click while the window stands where
    // it started. A zoomed or scrolled view shifts it to where the same place
    // of the board lies, so the object lands under the pointer at any zoom.
    const QPoint shift = m_board->shiftFromDefaultView(QPoint(DragOffsetX, DragOffsetY));
    shape->move(DragOffsetX - 55 + shift.x(), DragOffsetY - 105 + shift.y());
    shape->setObjectName(QStringLiteral("Shape%1").arg(n));
    shape->setHint(QStringLiteral("Shape%1").arg(n));
    shape->show();

    auto* label = new ObjectLabel(*m_boardModel);
    CurrentLabel = label;
    label->resize(10, 10);
    setRoundingMode(RoundingMode::Downward);
    label->move(shape->x(), shape->y() - LabelOffset(defaults.DefaultFontSize, 1,
                                                     m_platform.desktop.virtualHeight()));
    label->setTag(n);
    label->setHint(QStringLiteral("Label%1").arg(n));
    label->setObjectName(QStringLiteral("Label%1").arg(n));
    label->setCaption(QStringLiteral("?"));
    label->setVisible(defaults.DefaultVisible);
    label->setFontColor(defaults.DefaultColor);
    label->setBold(defaults.DefaultBold);
    label->setFontSize(defaults.DefaultFontSize);
    LabelGap = shape->y() - label->y();

    if (!m_windows.shapeName) {
        m_windows.shapeName = new TShapeNameF(*this, m_platform, this);
        m_windows.shapeName->setWindowFlag(Qt::Window);
    }
    m_windows.shapeName->exec();
    const QString name = m_windows.shapeName->Edit1->text();

    const auto abandon = [&] {
        delete shape;
        delete label;
        CurrentShape = nullptr;
        CurrentLabel = nullptr;
    };
    if (name.isEmpty()) {
        abandon();
        return;
    }
    if (m_boardModel->labelWithCaption(name)) {
        m_platform.dialogs.message(QStringLiteral(" Object with same name olarady exist!"));
        if (CurrentShape && CurrentShape->brushColor() == ColorRef::White)
            abandon();
        return;
    }
    if (!CurrentLabel || CurrentLabel->caption() != QLatin1String("?")) {
        m_platform.dialogs.message(
            QStringLiteral("You can not rename existing obiect!\nDelete it and make now one."));
        return;
    }
    if (const QString problem = ObjectName::problem(name); !problem.isEmpty()) {
        m_platform.dialogs.message(problem);
        abandon();
        return;
    }

    // The folder and note file come first, so that a folder that cannot be
    // made leaves no named object behind.
    const QString folder = ProjectFiles::objectFolder(m_project.folder(), name);
    const bool folderExisted = QFileInfo(folder).isDir();
    if (!folderExisted && !QDir().mkdir(folder)) {
        m_platform.dialogs.error(QStringLiteral("Can not create the folder ") +
                                 QDir::toNativeSeparators(folder) + QStringLiteral("."));
        abandon();
        return;
    }
    if (!CreateEmptyFile(m_project.noteFile(name))) {
        if (!folderExisted)
            QDir().rmdir(folder);
        abandon();
        return;
    }

    // The table is in place before the caption names the object, which
    // brings it into the find index.
    CopyDefaultTable(m_project.folder(), name);
    CurrentLabel->setCaption(name);
    CurrentLabel->setVisible(defaults.DefaultVisible);
    CurrentShape->setBrushColor(ColorRef::Green);
    // The step is the named object: undone, it leaves the board; its folder stays.
    m_undoStack->push(new BoardEdit(*m_boardModel, QStringLiteral("new object ") + name, {},
                                    statesOf({CurrentShape.data(), CurrentLabel.data()})));
}
