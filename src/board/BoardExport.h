#pragma once

#include <QImage>
#include <QString>

class Board;
class QPainter;
class QPrinter;
class QRectF;

// The board as a picture, a document, a drawing or on paper: the background
// picture and every visible element, as at the default view. Hidden captions
// stay hidden, and a shape hatched by the alarm blink is drawn solid.
// The writers replace their file whole or leave it as it was, and return
// false with *error saying why when it cannot be written.
namespace BoardExport {

// The board's own pixels enlarged or reduced by scale (1 is 100 %).
QImage picture(Board& board, qreal scale);

// Draws the whole board as large as fits into area, keeping its proportions
// and centred there.
void paintFitted(Board& board, QPainter& painter, const QRectF& area);

bool writePng(Board& board, const QString& path, qreal scale, QString* error);
// A PDF page, landscape for a board wider than tall, the board fitted within
// its margins; shapes, captions (as text) and the background picture.
bool writePdf(Board& board, const QString& path, QString* error);
// An SVG drawing of the board's size; captions are text elements.
bool writeSvg(Board& board, const QString& path, QString* error);
// Prints on the printer as set up, fitted to the page like writePdf.
bool print(Board& board, QPrinter& printer, QString* error);

} // namespace BoardExport
