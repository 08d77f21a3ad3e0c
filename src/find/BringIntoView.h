#pragma once

class Board;
class QRect;

// Scrolls the board so that boardRect is wholly in view, centred when it was
// not, zooming out first when it is larger than the view at this zoom.
void bringIntoView(Board& board, const QRect& boardRect);
