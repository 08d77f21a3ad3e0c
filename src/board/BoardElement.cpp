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
    if (name == m_name)
        return;
    const QString before = m_name;
    m_name = name;
    m_board->renamed(this, before);
}

void BoardElement::resize(int width, int height)
{
    setGeometry(QRect(m_geometry.topLeft(), QSize(std::max(0, width), std::max(0, height))));
}

void BoardElement::setGeometry(const QRect& geometry)
{
    if (geometry == m_geometry)
        return;
    // Both where it was and where it is now need drawing again.
    update();
    m_geometry = QRect(geometry.topLeft(),
                       QSize(std::max(0, geometry.width()), std::max(0, geometry.height())));
    update();
}

void BoardElement::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    m_board->updateArea(m_geometry);
}

void BoardElement::update() const
{
    if (m_visible)
        m_board->updateArea(m_geometry);
}

QPoint BoardElement::mapToGlobal(const QPoint& point) const
{
    return m_board->globalPoint(pos() + point);
}
