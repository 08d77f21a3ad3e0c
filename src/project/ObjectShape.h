#pragma once

#include "project/BoardElement.h"

enum class ShapeKind : quint8 { Rectangle, Square, RoundRect, RoundSquare, Ellipse, Circle };
enum class BrushStyle : quint8 {
    Solid,
    Clear,
    Horizontal,
    Vertical,
    FDiagonal,
    BDiagonal,
    Cross,
    DiagCross
};

// The shape element of a board object: a coloured figure named "Shape" + N.
// Its tooltip is the object's shape hint; presses on it reach the main window
// through the board's shape signals.
class ObjectShape : public BoardElement {
public:
    static constexpr Kind ElementKind = Kind::Shape;
    explicit ObjectShape(BoardModel& model, quint64 sequence = 0);

    ShapeKind shapeKind() const { return m_kind; }
    void setShapeKind(ShapeKind kind);
    quint32 brushColor() const { return m_brushColor; }
    void setBrushColor(quint32 colorRef);
    BrushStyle brushStyle() const { return m_brushStyle; }
    void setBrushStyle(BrushStyle style);

private:
    ShapeKind m_kind = ShapeKind::Rectangle;
    BrushStyle m_brushStyle = BrushStyle::Solid;
    quint32 m_brushColor = 0xFFFFFF;
};
