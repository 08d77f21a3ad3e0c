// The board without a mouse: what its keys and a screen reader ask of the
// current object, done as the mouse and the object menu do it.
#include "main/Body.h"

#include "board/Board.h"
#include "board/BoardObjects.h"
#include "find/BringIntoView.h"

#include <QMenu>
#include <QTimer>
#include <QUndoStack>

void TForm1::connectBoardAccess()
{
    m_board->enableKeyboard();
    // The keys reach the board from the start, with no Tab to get there.
    m_board->setFocus(Qt::OtherFocusReason);
    connect(m_board, &Board::objectChosen, this, &TForm1::BoardObjectChosen);
    connect(m_board, &Board::objectOpenRequested, this, &TForm1::BoardObjectOpen);
    connect(m_board, &Board::objectMenuRequested, this, &TForm1::BoardObjectMenu);
    connect(m_board, &Board::objectMoveRequested, this, &TForm1::BoardObjectMove);
    connect(m_board, &Board::objectRemoveRequested, this, &TForm1::BoardObjectRemove);
    connect(m_board, &Board::boardMenuRequested, this, &TForm1::BoardMenu);
    m_board->setStatusOfColor([this](quint32 colorRef) {
        return m_project.isOpen()
                   ? m_statusNames.nameOf(m_project.file(ProjectFiles::Statuses), colorRef)
                   : QString();
    });

    KeyMoveTimer = new QTimer(this);
    KeyMoveTimer->setObjectName(QStringLiteral("KeyMoveTimer"));
    KeyMoveTimer->setSingleShot(true);
    KeyMoveTimer->setInterval(KeyMoveRunMs);
    connect(KeyMoveTimer, &QTimer::timeout, this, &TForm1::KeyMoveTimerTimer);
}

void TForm1::CurrentObjectChanged()
{
    // The object is named by its shape; a caption only when its shape is missing.
    BoardElement* object = CurrentShape.data();
    if (!object && CurrentLabel) {
        ObjectShape* shape = m_boardModel->shapeOf(CurrentLabel);
        object = shape ? static_cast<BoardElement*>(shape) : CurrentLabel.data();
    }
    m_board->setCurrentObject(object);
}

void TForm1::BoardObjectChosen(BoardElement* object)
{
    KeyMoveTimerTimer();
    if (!object) {
        CurrentShape = nullptr;
        CurrentLabel = nullptr;
        return;
    }
    if (object->kind() == BoardElement::Kind::Shape) {
        auto* shape = static_cast<ObjectShape*>(object);
        CurrentShape = shape;
        CurrentLabel = m_boardModel->labelOf(shape);
    } else {
        CurrentShape = nullptr;
        CurrentLabel = static_cast<ObjectLabel*>(object);
    }
    bringIntoView(*m_board, m_board->objects().area(object));
}

void TForm1::BoardObjectOpen(BoardElement* object)
{
    BoardObjectChosen(object);
    if (object)
        OpenNoteWindow();
}

void TForm1::BoardObjectMenu(BoardElement* object, const QPoint& global)
{
    BoardObjectChosen(object);
    if (object)
        PopupMenu1->popup(global);
}

void TForm1::BoardObjectMove(BoardElement* object, const QPoint& by)
{
    if (!object)
        return;
    if (m_board->currentObject() != object)
        BoardObjectChosen(object);
    ObjectShape* shape = CurrentShape;
    ObjectLabel* label = CurrentLabel;
    QList<ElementState> before = statesOf({shape, label});
    if (shape)
        shape->move(shape->pos() + by);
    if (label)
        label->move(label->pos() + by);
    // Saved as you go as a drag is, and taken back by one undo with the
    // moves before it in the run.
    pushEditSince(*m_undoStack, *m_boardModel,
                  QStringLiteral("move of ") + (label ? label->caption() : QString()),
                  std::move(before), m_keyMoveRun);
    KeyMoveTimer->start();
    bringIntoView(*m_board, m_board->objects().area(object));
}

void TForm1::KeyMoveTimerTimer()
{
    KeyMoveTimer->stop();
    ++m_keyMoveRun;
}

void TForm1::BoardObjectRemove(BoardElement* object)
{
    BoardObjectChosen(object);
    if (object)
        Delete1Click();
}

void TForm1::BoardMenu(const QPoint& global)
{
    DragOffsetX = global.x();
    DragOffsetY = global.y();
    PopupMenu2->popup(global);
}
