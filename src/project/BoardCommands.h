#pragma once

#include "project/ElementState.h"

#include <QFont>
#include <QList>
#include <QUndoCommand>
#include <functional>

class BoardModel;
class QUndoStack;

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
