#include "project/ObjectShape.h"

// A board holds one per object: 112 bytes are one allocation size less than 128.
static_assert(sizeof(void*) != 8 || sizeof(ObjectShape) <= 112);

ObjectShape::ObjectShape(BoardModel& model, quint64 sequence)
    : BoardElement(model, Kind::Shape, sequence)
{
}

void ObjectShape::setShapeKind(ShapeKind kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    changed();
}

void ObjectShape::setBrushColor(quint32 colorRef)
{
    if (colorRef == m_brushColor)
        return;
    m_brushColor = colorRef;
    changed();
}

void ObjectShape::setBrushStyle(BrushStyle style)
{
    if (style == m_brushStyle)
        return;
    m_brushStyle = style;
    changed();
}
