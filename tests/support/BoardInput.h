#pragma once

#include "board/Board.h"
#include "board/BoardElement.h"

#include <QTest>

// Mouse input on the board as a user gives it: through the view, at the
// place where an element is drawn.
namespace BoardInput {

// The view point of a point of the element (its own pixels from its corner).
inline QPoint viewPoint(const BoardElement* element, QPoint inside = QPoint(2, 2))
{
    return element->board()->viewPoint(element->pos() + inside);
}

inline void press(const BoardElement* element, Qt::MouseButton button, QPoint inside = QPoint(2, 2))
{
    QTest::mousePress(element->board()->viewport(), button, Qt::NoModifier,
                      viewPoint(element, inside));
}

inline void release(const BoardElement* element, Qt::MouseButton button, QPoint inside = QPoint(2, 2))
{
    QTest::mouseRelease(element->board()->viewport(), button, Qt::NoModifier,
                        viewPoint(element, inside));
}

inline void click(const BoardElement* element, Qt::MouseButton button, QPoint inside = QPoint(2, 2))
{
    press(element, button, inside);
    release(element, button, inside);
}

} // namespace BoardInput
