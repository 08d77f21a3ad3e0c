#include "find/BringIntoView.h"

#include "board/Board.h"

#include <QScrollBar>

void bringIntoView(Board& board, const QRect& boardRect)
{
    constexpr int Margin = 16; // view pixels around the rectangle, for the highlight
    const QSize view = board.viewport()->size();
    const QRect wanted = boardRect.adjusted(-Margin, -Margin, Margin, Margin);
    const qreal fits = std::min(qreal(view.width()) / std::max(1, wanted.width()),
                                qreal(view.height()) / std::max(1, wanted.height()));
    if (fits < board.zoom())
        board.setZoom(fits, QPoint(0, 0));
    const QRect shown(board.viewPoint(wanted.topLeft()), board.viewPoint(wanted.bottomRight()));
    if (board.viewport()->rect().contains(shown))
        return;
    const QPoint shift = shown.center() - board.viewport()->rect().center();
    board.horizontalScrollBar()->setValue(board.horizontalScrollBar()->value() + shift.x());
    board.verticalScrollBar()->setValue(board.verticalScrollBar()->value() + shift.y());
}
