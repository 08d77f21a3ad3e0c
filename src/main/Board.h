#pragma once

#include <QImage>
#include <QWidget>

class ObjectLabel;
class ObjectShape;

// The board: the main window's client area. It paints the background picture
// stretched over itself and holds the objects' elements as children, in
// creation order.
class Board : public QWidget {
    Q_OBJECT
public:
    explicit Board(QWidget* parent = nullptr);

    QList<ObjectShape*> shapes() const;
    QList<ObjectLabel*> labels() const;

    // Look-ups by element name ignore letter case, as the board files do.
    ObjectShape* shapeNamed(const QString& name) const;
    ObjectLabel* labelNamed(const QString& name) const;
    // The caption element "label" + the shape's number, and the reverse.
    ObjectLabel* labelOf(const ObjectShape* shape) const;
    ObjectShape* shapeOf(const ObjectLabel* label) const;
    // The caption element whose text is the object name (compared exactly).
    ObjectLabel* labelWithCaption(const QString& name) const;

    // The smallest object number no caption element uses.
    int nextObjectNumber() const;

    // Destroy every shape element, or every caption element.
    void removeShapes();
    void removeLabels();

    // While one lives, the board is hidden, so that adding or removing
    // thousands of elements does not update the screen once per element.
    class BulkChange {
    public:
        explicit BulkChange(Board& board);
        ~BulkChange();

    private:
        Board& m_board;
        bool m_wasVisible;
    };

    bool hasBackground() const { return !m_background.isNull(); }
    const QImage& background() const { return m_background; }
    void setBackground(const QImage& picture);

signals:
    // A press on the board itself, not on one of its elements.
    void pressed(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    template <typename Element> QList<Element*> elements() const;
    template <typename Element> void removeAll();

    QImage m_background;
};
