#include "project/BoardElement.h"

#include "project/BoardModel.h"

#include <algorithm>

BoardElement::BoardElement(BoardModel& model, Kind kind, quint64 sequence)
    : m_model(&model), m_sequence(sequence ? sequence : model.nextSequence()), m_kind(kind)
{
    model.adopt(this, m_sequence);
}

BoardElement::~BoardElement()
{
    m_model->forget(this);
}

void BoardElement::setObjectName(const QString& name)
{
    if (name == m_name)
        return;
    const QString before = m_name;
    m_name = name;
    m_model->renamed(this, before);
    changed();
}

void BoardElement::setHint(const QString& hint)
{
    if (hint == m_hint)
        return;
    m_hint = hint;
    changed();
}

void BoardElement::resize(int width, int height)
{
    setGeometry(QRect(m_geometry.topLeft(), QSize(std::max(0, width), std::max(0, height))));
}

void BoardElement::setGeometry(const QRect& geometry)
{
    if (geometry == m_geometry)
        return;
    const QRect before = m_geometry;
    m_geometry = QRect(geometry.topLeft(),
                       QSize(std::max(0, geometry.width()), std::max(0, geometry.height())));
    m_model->elementChanged(this, before);
}

void BoardElement::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    changed();
}

void BoardElement::changed()
{
    m_model->elementChanged(this, m_geometry);
}

void BoardElement::setTag(int tag)
{
    if (tag == m_tag)
        return;
    m_tag = tag;
    changed();
}
