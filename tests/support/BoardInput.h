#pragma once

#include "board/Board.h"
#include "project/BoardElement.h"

#include <QApplication>
#include <QTest>

// Mouse input on the board as a user gives it: through the view, at the
// place where an element is drawn.
namespace BoardInput {

// The board view showing the element's model.
inline Board* viewOf(const BoardElement* element)
{
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* board = qobject_cast<Board*>(widget);
            board && &board->model() == &element->model())
            return board;
    return nullptr;
}

// The view point of a point of the element (its own pixels from its corner).
inline QPoint viewPoint(const BoardElement* element, QPoint inside = QPoint(2, 2))
{
    return viewOf(element)->viewPoint(element->pos() + inside);
}

inline void press(const BoardElement* element, Qt::MouseButton button, QPoint inside = QPoint(2, 2))
{
    QTest::mousePress(viewOf(element)->viewport(), button, Qt::NoModifier,
                      viewPoint(element, inside));
}

inline void release(const BoardElement* element, Qt::MouseButton button,
                    QPoint inside = QPoint(2, 2))
{
    QTest::mouseRelease(viewOf(element)->viewport(), button, Qt::NoModifier,
                        viewPoint(element, inside));
}

inline void click(const BoardElement* element, Qt::MouseButton button, QPoint inside = QPoint(2, 2))
{
    press(element, button, inside);
    release(element, button, inside);
}

} // namespace BoardInput
