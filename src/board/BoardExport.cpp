#include "board/BoardExport.h"

#include "board/Board.h"
#include "board/ObjectShape.h"

#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>

namespace BoardExport {

namespace {

// While one lives, every shape the alarm blink hatched is solid; the shapes
// get their hatching back at its end. A shape stored hatched is a blink too.
class SolidBlinks {
public:
    explicit SolidBlinks(Board& board)
    {
        for (ObjectShape* shape : board.shapes())
            if (shape->brushStyle() == BrushStyle::BDiagonal) {
                shape->setBrushStyle(BrushStyle::Solid);
                m_hatched.append(shape);
            }
    }
    ~SolidBlinks()
    {
        for (ObjectShape* shape : m_hatched)
            shape->setBrushStyle(BrushStyle::BDiagonal);
    }
    SolidBlinks(const SolidBlinks&) = delete;
    SolidBlinks& operator=(const SolidBlinks&) = delete;

private:
    QList<ObjectShape*> m_hatched;
};

void paintWhole(Board& board, QPainter& painter)
{
    const SolidBlinks solid(board);
    board.paintBoard(painter, QRect(QPoint(0, 0), board.boardSize()));
}

QString cannotWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

bool commit(QSaveFile& file, QString* error)
{
    if (file.commit())
        return true;
    *error = cannotWrite(file.fileName(), file.errorString());
    return false;
}

bool open(QSaveFile& file, QString* error)
{
    if (file.open(QIODevice::WriteOnly))
        return true;
    *error = cannotWrite(file.fileName(), file.errorString());
    return false;
}

bool isEmpty(Board& board, const QString& path, QString* error)
{
    if (!board.boardSize().isEmpty())
        return false;
    *error = cannotWrite(path, QStringLiteral("the board has no size."));
    return true;
}

int dotsPerMeter(int dotsPerInch)
{
    return qRound(dotsPerInch / 0.0254);
}

} // namespace

QImage picture(Board& board, qreal scale)
{
    const QSize size = (QSizeF(board.boardSize()) * scale).toSize();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    // Captions are sized in points: the picture has the board's resolution,
    // so that they take the board pixels they take on the screen.
    image.setDotsPerMeterX(dotsPerMeter(board.logicalDpiX()));
    image.setDotsPerMeterY(dotsPerMeter(board.logicalDpiY()));
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(scale, scale);
    paintWhole(board, painter);
    return image;
}

void paintFitted(Board& board, QPainter& painter, const QRectF& area)
{
    const QSize size = board.boardSize();
    if (size.isEmpty() || area.isEmpty())
        return;
    const qreal scale = std::min(area.width() / size.width(), area.height() / size.height());
    painter.save();
    painter.translate(area.center() - QPointF(size.width(), size.height()) * scale / 2);
    painter.scale(scale, scale);
    painter.setClipRect(QRect(QPoint(0, 0), size));
    paintWhole(board, painter);
    painter.restore();
}

bool writePng(Board& board, const QString& path, qreal scale, QString* error)
{
    if (isEmpty(board, path, error))
        return false;
    QSaveFile file(path);
    if (!open(file, error))
        return false;
    if (!picture(board, scale).save(&file, "PNG")) {
        file.cancelWriting();
        *error = cannotWrite(path, QStringLiteral("the picture is too large."));
        return false;
    }
    return commit(file, error);
}

bool writePdf(Board& board, const QString& path, QString* error)
{
    if (isEmpty(board, path, error))
        return false;
    QSaveFile file(path);
    if (!open(file, error))
        return false;
    {
        QPdfWriter writer(&file);
        // At the board's resolution captions keep their size beside the shapes.
        writer.setResolution(board.logicalDpiY());
        const QSize size = board.boardSize();
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                         size.width() > size.height() ? QPageLayout::Landscape
                                                                      : QPageLayout::Portrait,
                                         QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        QPainter painter(&writer);
        paintFitted(board, painter, QRectF(QPointF(0, 0), QSizeF(writer.width(), writer.height())));
    }
    return commit(file, error);
}

bool writeSvg(Board& board, const QString& path, QString* error)
{
    if (isEmpty(board, path, error))
        return false;
    QSaveFile file(path);
    if (!open(file, error))
        return false;
    {
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setResolution(board.logicalDpiY());
        generator.setSize(board.boardSize());
        generator.setViewBox(QRect(QPoint(0, 0), board.boardSize()));
        QPainter painter(&generator);
        paintWhole(board, painter);
    }
    return commit(file, error);
}

bool print(Board& board, QPrinter& printer, QString* error)
{
    printer.setResolution(board.logicalDpiY());
    QPainter painter;
    if (!painter.begin(&printer)) {
        *error = QStringLiteral("The printer cannot print.");
        return false;
    }
    paintFitted(board, painter, QRectF(QPointF(0, 0), QSizeF(printer.width(), printer.height())));
    return true;
}

} // namespace BoardExport
