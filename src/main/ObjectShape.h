#pragma once

#include <QWidget>

enum class ShapeKind { Rectangle, Square, RoundRect, RoundSquare, Ellipse, Circle };
enum class BrushStyle { Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };

// The shape element of a board object: a coloured figure named "Shape" + N.
// Its tooltip is the object's shape hint.
class ObjectShape : public QWidget {
    Q_OBJECT
public:
    explicit ObjectShape(QWidget* board);

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    ShapeKind shapeKind() const { return m_kind; }
    void setShapeKind(ShapeKind kind);
    quint32 brushColor() const { return m_brushColor; }
    void setBrushColor(quint32 colorRef);
    BrushStyle brushStyle() const { return m_brushStyle; }
    void setBrushStyle(BrushStyle style);
    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

signals:
    void mousePressed(ObjectShape* shape, Qt::MouseButton button, Qt::MouseButtons buttons);
    void mouseMoved(ObjectShape* shape, Qt::MouseButtons buttons);
    void mouseReleased(ObjectShape* shape, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_tag = 0;
    ShapeKind m_kind = ShapeKind::Rectangle;
    quint32 m_brushColor = 0xFFFFFF;
    BrushStyle m_brushStyle = BrushStyle::Solid;
};
