#include "project/BoardCommands.h"

#include "project/BoardModel.h"
#include "project/ObjectLabel.h"

#include <QSet>
#include <QUndoStack>

ElementState ElementState::of(const BoardElement& element)
{
    ElementState state;
    state.kind = element.kind();
    state.sequence = element.sequence();
    state.name = element.objectName();
    state.tag = element.tag();
    state.hint = element.hint();
    state.geometry = element.geometry();
    state.visible = element.isVisible();
    state.missingFromFile = element.missingFromFile();
    if (element.kind() == BoardElement::Kind::Shape) {
        const auto& shape = static_cast<const ObjectShape&>(element);
        state.shapeKind = shape.shapeKind();
        state.brushStyle = shape.brushStyle();
        state.brushColor = shape.brushColor();
    } else {
        const auto& label = static_cast<const ObjectLabel&>(element);
        state.caption = label.caption();
        state.font = label.font();
        state.fontColor = label.fontColor();
    }
    return state;
}

void ElementState::apply(BoardModel& model) const
{
    BoardElement* element = model.elementWithSequence(sequence);
    if (element && element->kind() != kind)
        return;
    if (!element) {
        if (kind == BoardElement::Kind::Shape)
            element = new ObjectShape(model, sequence);
        else
            element = new ObjectLabel(model, sequence);
    }
    element->setObjectName(name);
    element->setTag(tag);
    element->setHint(hint);
    if (kind == BoardElement::Kind::Shape) {
        auto* shape = static_cast<ObjectShape*>(element);
        shape->setShapeKind(shapeKind);
        shape->setBrushStyle(brushStyle);
        shape->setBrushColor(brushColor);
    } else {
        auto* label = static_cast<ObjectLabel*>(element);
        label->setFont(font);
        label->setFontColor(fontColor);
        label->setText(caption);
    }
    // After the text and font, which may size a caption.
    element->setGeometry(geometry);
    element->setVisible(visible);
    element->setMissingFromFile(missingFromFile);
}

void ElementState::remove(BoardModel& model) const
{
    BoardElement* element = model.elementWithSequence(sequence);
    if (element && element->kind() == kind)
        delete element;
}

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
