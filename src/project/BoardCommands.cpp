#include "project/BoardCommands.h"

#include "project/BoardModel.h"
#include "project/ObjectLabel.h"

#include <QSet>
#include <QUndoStack>

QList<ElementState> statesOf(const QList<const BoardElement*>& elements)
{
    QList<ElementState> states;
    for (const BoardElement* element : elements)
        if (element)
            states.append(ElementState::of(*element));
    return states;
}

BoardEdit::BoardEdit(BoardModel& model, const QString& text, QList<ElementState> before,
                     QList<ElementState> after)
    : QUndoCommand(text), m_model(model), m_before(std::move(before)), m_after(std::move(after))
{
}

void BoardEdit::putBack(BoardModel& model, const QList<ElementState>& from,
                        const QList<ElementState>& to)
{
    QSet<quint64> kept;
    for (const ElementState& state : to)
        kept.insert(state.sequence);
    for (const ElementState& state : from)
        if (!kept.contains(state.sequence))
            state.remove(model);
    for (const ElementState& state : to)
        state.apply(model);
}

void BoardEdit::undo()
{
    putBack(m_model, m_after, m_before);
}

void BoardEdit::redo()
{
    putBack(m_model, m_before, m_after);
}

bool BoardEdit::mergeWith(const QUndoCommand* other)
{
    if (other->id() != id())
        return false;
    const auto* next = static_cast<const BoardEdit*>(other);
    if (next->m_moveRun != m_moveRun || next->m_before.size() != m_after.size())
        return false;
    for (qsizetype i = 0; i < m_after.size(); ++i)
        if (next->m_before[i].sequence != m_after[i].sequence)
            return false;
    m_after = next->m_after;
    return true;
}

void pushEditSince(QUndoStack& stack, BoardModel& model, const QString& text,
                   QList<ElementState> before, int moveRun)
{
    QList<ElementState> after;
    for (const ElementState& state : std::as_const(before))
        if (const BoardElement* element = model.elementWithSequence(state.sequence))
            after.append(ElementState::of(*element));
    if (after == before)
        return;
    auto* edit = new BoardEdit(model, text, std::move(before), std::move(after));
    edit->setMoveRun(moveRun);
    stack.push(edit);
}
