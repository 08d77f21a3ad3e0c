#pragma once

#include <QRect>
#include <QString>

class BoardModel;

// What the shape and caption elements of an object share: a name ("Shape" + N
// or "Label" + N) the board finds them by, the object number N in their tag, a
// hint shown as a tooltip, a place and size in board pixels and a visibility.
// They are plain values the board model owns and the board view draws, not
// widgets, but keep the widget calls (move, resize, geometry, isHidden) the
// windows have always used. Each change is announced by the model.
class BoardElement {
public:
    enum class Kind : quint8 { Shape, Caption };

    // The element stands on the board, above every element made before it;
    // or, given the sequence it once had, where it then stood.
    BoardElement(BoardModel& model, Kind kind, quint64 sequence = 0);
    virtual ~BoardElement();
    BoardElement(const BoardElement&) = delete;
    BoardElement& operator=(const BoardElement&) = delete;

    BoardModel& model() const { return *m_model; }
    Kind kind() const { return m_kind; }
    // Creation order on the board: a later element is drawn above an earlier one.
    quint64 sequence() const { return m_sequence; }

    // The element's name, kept here rather than in QObject's name, so that the
    // board's name index follows every rename. Elements are always named
    // through this class.
    const QString& objectName() const { return m_name; }
    void setObjectName(const QString& name);
    int tag() const { return m_tag; }
    void setTag(int tag);
    const QString& hint() const { return m_hint; }
    void setHint(const QString& hint);

    QPoint pos() const { return m_geometry.topLeft(); }
    int x() const { return m_geometry.x(); }
    int y() const { return m_geometry.y(); }
    QSize size() const { return m_geometry.size(); }
    int width() const { return m_geometry.width(); }
    int height() const { return m_geometry.height(); }
    const QRect& geometry() const { return m_geometry; }
    void move(int x, int y) { setGeometry(QRect(QPoint(x, y), m_geometry.size())); }
    void move(const QPoint& at) { move(at.x(), at.y()); }
    void resize(int width, int height);
    void resize(const QSize& size) { resize(size.width(), size.height()); }
    void setGeometry(const QRect& geometry);
    void setGeometry(int x, int y, int width, int height)
    {
        setGeometry(QRect(x, y, width, height));
    }
    // Which of the properties the board file always carries were missing from
    // the record the element was read from (bits of the board file's own
    // choosing); none for an element made here.
    quint16 missingFromFile() const { return m_missingFromFile; }
    void setMissingFromFile(quint16 properties) { m_missingFromFile = properties; }

    bool isVisible() const { return m_visible; }
    bool isHidden() const { return !m_visible; }
    void setVisible(bool visible);
    void show() { setVisible(true); }
    void hide() { setVisible(false); }

protected:
    // Announces a change that leaves the element where it is.
    void changed();

private:
    friend class BoardModel;
    BoardModel* m_model;
    quint64 m_sequence;
    QRect m_geometry{0, 0, 0, 0};
    QString m_name;
    QString m_hint;
    // The small fields last: the shape and caption elements put fields of
    // their own in the bytes left after them, so that each element takes one
    // allocation size less.
    // Where the model keeps the element in its creation-order list.
    quint32 m_slot = 0;
    int m_tag = 0;
    Kind m_kind;
    bool m_visible = true;
    quint16 m_missingFromFile = 0;
};
