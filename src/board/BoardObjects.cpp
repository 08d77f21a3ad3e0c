#include "board/BoardObjects.h"

#include "project/BoardModel.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"

BoardObjects::BoardObjects(BoardModel& model, QObject* parent) : QObject(parent), m_model(model)
{
    const auto stale = [this] { m_stale = true; };
    connect(&model, &BoardModel::elementAdded, this, stale);
    connect(&model, &BoardModel::elementRemoved, this, stale);
    connect(&model, &BoardModel::boardReset, this, stale);
    connect(&model, &BoardModel::elementChangedAt, this,
            [this](BoardElement* element, const QRect& before) {
                // A rename, a text or a visibility leaves the element where it
                // was, and may make or end an object; a move never does.
                if (element->geometry() == before)
                    m_stale = true;
            });
}

void BoardObjects::rebuild()
{
    m_sequences.clear();
    m_index.clear();
    m_model.forEachElement([this](const BoardElement& element) {
        if (!element.isVisible())
            return;
        if (element.kind() == BoardElement::Kind::Caption && m_model.shapeOf(&element))
            return;
        m_index.insert(element.sequence(), qsizetype(m_sequences.size()));
        m_sequences.push_back(element.sequence());
    });
    m_stale = false;
}

qsizetype BoardObjects::count()
{
    if (m_stale)
        rebuild();
    return qsizetype(m_sequences.size());
}

BoardElement* BoardObjects::at(qsizetype index)
{
    if (index < 0 || index >= count())
        return nullptr;
    return m_model.elementWithSequence(m_sequences[std::size_t(index)]);
}

qsizetype BoardObjects::indexOf(const BoardElement* object)
{
    if (!object)
        return -1;
    if (m_stale)
        rebuild();
    return m_index.value(object->sequence(), -1);
}

BoardElement* BoardObjects::objectOf(BoardElement* element) const
{
    if (element && element->kind() == BoardElement::Kind::Caption)
        if (ObjectShape* shape = m_model.shapeOf(element))
            return shape;
    return element;
}

QRect BoardObjects::area(const BoardElement* object) const
{
    if (!object)
        return {};
    if (object->kind() == BoardElement::Kind::Caption)
        return object->geometry();
    const ObjectLabel* caption = m_model.labelOf(object);
    return caption && caption->isVisible() ? object->geometry().united(caption->geometry())
                                           : object->geometry();
}
