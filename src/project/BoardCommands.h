#pragma once

#include "project/BoardElement.h"
#include "project/ObjectShape.h"

#include <QFont>
#include <QList>
#include <QUndoCommand>
#include <functional>

class BoardModel;
class QUndoStack;

// Everything the board files keep of one element, and its place in the
// creation order: what an undo step puts back.
struct ElementState {
    BoardElement::Kind kind = BoardElement::Kind::Shape;
    quint64 sequence = 0;
    QString name;
    int tag = 0;
    QString hint;
    QRect geometry;
    bool visible = true;
    quint16 missingFromFile = 0;
    // A shape's.
    ShapeKind shapeKind = ShapeKind::Rectangle;
    BrushStyle brushStyle = BrushStyle::Solid;
    quint32 brushColor = 0xFFFFFF;
    // A caption's.
    QString caption;
    QFont font;
    quint32 fontColor = 0;

    static ElementState of(const BoardElement& element);
    // Gives the element with this sequence these values, making it when it is gone.
    void apply(BoardModel& model) const;
    // Destroys the element with this sequence, if it is there.
    void remove(BoardModel& model) const;
    bool operator==(const ElementState&) const = default;
};

// The states of the elements an edit touched.
QList<ElementState> statesOf(const QList<const BoardElement*>& elements);

// One step of the board's undo stack: the elements' states before and after
// an edit. An element without a state before was made by the edit; one
// without a state after was removed by it. The step is pushed once the edit
// is done, so its first redo finds the board as it leaves it.
class BoardEdit : public QUndoCommand {
public:
    BoardEdit(BoardModel& model, const QString& text, QList<ElementState> before,
              QList<ElementState> after);

    void undo() override;
    void redo() override;

    // Moves of one run (by keys pressed one after another) are one step: an
    // edit of run number run merges into the one before it when that is of
    // the same run and moved the same elements. 0: no run, never merged.
    void setMoveRun(int run) { m_moveRun = run; }
    int id() const override { return m_moveRun ? MoveRunId : -1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    static constexpr int MoveRunId = 0x4d4f5645;
    static void putBack(BoardModel& model, const QList<ElementState>& from,
                        const QList<ElementState>& to);

    BoardModel& m_model;
    QList<ElementState> m_before;
    QList<ElementState> m_after;
    int m_moveRun = 0;
};

// Pushes the edit from the states before to the elements as they are now,
// unless it changed nothing: a drag, a dialog's apply; with a move run, the
// edit joins the step of its run (BoardEdit::setMoveRun).
void pushEditSince(QUndoStack& stack, BoardModel& model, const QString& text,
                   QList<ElementState> before, int moveRun = 0);

// An undo step of something beside the elements (the background picture):
// what undo and redo do, given as functions.
class FunctionEdit : public QUndoCommand {
public:
    FunctionEdit(const QString& text, std::function<void()> undo, std::function<void()> redo)
        : QUndoCommand(text), m_undo(std::move(undo)), m_redo(std::move(redo))
    {
    }
    void undo() override { m_undo(); }
    void redo() override { m_redo(); }

private:
    std::function<void()> m_undo;
    std::function<void()> m_redo;
};
