#include "board/ObjectShape.h"

#include "platform/ColorRef.h"

#include <QPainter>

ObjectShape::ObjectShape(Board* board) : BoardElement(board, Kind::Shape) {}

void ObjectShape::setShapeKind(ShapeKind kind)
{
    m_kind = kind;
    update();
}

void ObjectShape::setBrushColor(quint32 colorRef)
{
    m_brushColor = colorRef;
    update();
}

void ObjectShape::setBrushStyle(BrushStyle style)
{
    m_brushStyle = style;
    update();
}

namespace {

Qt::BrushStyle qtBrushStyle(BrushStyle style)
{
    switch (style) {
    case BrushStyle::Solid: return Qt::SolidPattern;
    case BrushStyle::Clear: return Qt::NoBrush;
    case BrushStyle::Horizontal: return Qt::HorPattern;
    case BrushStyle::Vertical: return Qt::VerPattern;
    case BrushStyle::FDiagonal: return Qt::FDiagPattern;
    case BrushStyle::BDiagonal: return Qt::BDiagPattern;
    case BrushStyle::Cross: return Qt::CrossPattern;
    case BrushStyle::DiagCross: return Qt::DiagCrossPattern;
    }
    return Qt::SolidPattern;
}

} // namespace

void ObjectShape::paint(QPainter& painter) const
{
    if (width() <= 0 || height() <= 0)
        return;
    painter.setRenderHint(QPainter::Antialiasing,
                          m_kind == ShapeKind::Ellipse || m_kind == ShapeKind::Circle);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QBrush(ColorRef::toQColor(m_brushColor), qtBrushStyle(m_brushStyle)));

    // The outline stays inside the element; square kinds take the shorter side, centred.
    QRectF area = QRectF(geometry()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool square = m_kind == ShapeKind::Square || m_kind == ShapeKind::RoundSquare ||
                        m_kind == ShapeKind::Circle;
    if (square) {
        const qreal side = std::min(area.width(), area.height());
        area = QRectF(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
    }
    const qreal corner = std::min(area.width(), area.height()) / 4;
    switch (m_kind) {
    case ShapeKind::Rectangle:
    case ShapeKind::Square: painter.drawRect(area); break;
    case ShapeKind::RoundRect:
    case ShapeKind::RoundSquare: painter.drawRoundedRect(area, corner, corner); break;
    case ShapeKind::Ellipse:
    case ShapeKind::Circle: painter.drawEllipse(area); break;
    }
}
