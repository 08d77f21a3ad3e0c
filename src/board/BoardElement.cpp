#include "board/BoardElement.h"

#include "board/Board.h"

#include <algorithm>

BoardElement::BoardElement(Board* board, Kind kind)
    : m_board(board), m_kind(kind), m_sequence(board->nextSequence())
{
    board->adopt(this);
}

BoardElement::~BoardElement()
{
    m_board->forget(this);
}

void BoardElement::setObjectName(const QString& name)
{
    const QString before = objectName();
    if (name == before)
        return;
    QGraphicsObject::setObjectName(name);
    m_board->renamed(this, before);
}

void BoardElement::resize(int width, int height)
{
    const QSize size(std::max(0, width), std::max(0, height));
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
}

void BoardElement::setGeometry(const QRect& geometry)
{
    move(geometry.topLeft());
    resize(geometry.size());
}

QPoint BoardElement::mapToGlobal(const QPoint& point) const
{
    return m_board->globalPoint(pos() + point);
}
