#pragma once

#include <QGraphicsObject>
#include <QRect>

class Board;

// What the shape and caption elements of an object share: a name ("Shape" + N
// or "Label" + N) the board finds them by, the object number N in their tag, a
// hint shown as a tooltip, and a position and size in board pixels. The board
// draws them itself; they are scene items, not widgets, but keep the widget
// calls (move, resize, geometry, isHidden) the windows have always used.
class BoardElement : public QGraphicsObject {
    Q_OBJECT
public:
    enum class Kind { Shape, Caption };

    // The element stands on the board, above every element made before it.
    BoardElement(Board* board, Kind kind);
    ~BoardElement() override;

    Board* board() const { return m_board; }
    Kind kind() const { return m_kind; }
    // Creation order on the board: a later element is drawn above an earlier one.
    quint64 sequence() const { return m_sequence; }

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }
    // Hides QObject::setObjectName so that the board's name index follows
    // every rename; elements are always renamed through this class.
    void setObjectName(const QString& name);

    QPoint pos() const { return QGraphicsObject::pos().toPoint(); }
    int x() const { return pos().x(); }
    int y() const { return pos().y(); }
    QSize size() const { return m_size; }
    int width() const { return m_size.width(); }
    int height() const { return m_size.height(); }
    QRect geometry() const { return QRect(pos(), m_size); }
    void move(int x, int y) { setPos(x, y); }
    void move(const QPoint& at) { setPos(at); }
    void resize(int width, int height);
    void resize(const QSize& size) { resize(size.width(), size.height()); }
    void setGeometry(const QRect& geometry);
    void setGeometry(int x, int y, int width, int height) { setGeometry(QRect(x, y, width, height)); }
    bool isHidden() const { return !isVisible(); }
    // A point of the element, on the screen.
    QPoint mapToGlobal(const QPoint& point) const;

    QRectF boundingRect() const override { return QRectF(QPointF(0, 0), QSizeF(m_size)); }

private:
    Board* m_board;
    Kind m_kind;
    quint64 m_sequence;
    int m_tag = 0;
    QSize m_size{0, 0};
};
