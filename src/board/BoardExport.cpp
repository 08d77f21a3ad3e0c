#include "board/BoardExport.h"

#include "board/Board.h"
#include "project/ObjectShape.h"

#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <functional>

namespace BoardExport {

namespace {

// While one lives, every shape stored hatched is solid: a blink the earlier
// program saved. The shapes get their hatching back at its end. The blink
// itself is the board's view alone, which an export does not paint.
class SolidBlinks {
public:
    explicit SolidBlinks(Board& board)
    {
        for (ObjectShape* shape : board.model().shapes())
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

// Writes the board to path whole or not at all; draw writes the file's content
// and returns false with *error when it could not.
bool writeWhole(Board& board, const QString& path, QString* error,
                const std::function<bool(QSaveFile&, QString*)>& draw)
{
    if (board.boardSize().isEmpty()) {
        *error = cannotWrite(path, QStringLiteral("the board has no size."));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = cannotWrite(path, file.errorString());
        return false;
    }
    if (!draw(file, error)) {
        file.cancelWriting();
        return false;
    }
    return commit(file, error);
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
    return writeWhole(board, path, error, [&](QSaveFile& file, QString* why) {
        if (picture(board, scale).save(&file, "PNG"))
            return true;
        *why = cannotWrite(path, QStringLiteral("the picture is too large."));
        return false;
    });
}

bool writePdf(Board& board, const QString& path, QString* error)
{
    return writeWhole(board, path, error, [&](QSaveFile& file, QString*) {
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
        return true;
    });
}

bool writeSvg(Board& board, const QString& path, QString* error)
{
    return writeWhole(board, path, error, [&](QSaveFile& file, QString*) {
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setResolution(board.logicalDpiY());
        generator.setSize(board.boardSize());
        generator.setViewBox(QRect(QPoint(0, 0), board.boardSize()));
        QPainter painter(&generator);
        paintWhole(board, painter);
        return true;
    });
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
