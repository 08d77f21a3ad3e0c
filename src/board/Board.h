#pragma once

#include "project/BoardModel.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <functional>
#include <vector>

class BoardObjects;
class ObjectLabel;
class QTimer;
class ObjectShape;

// The board: the main window's client area, one widget that draws every
// element of a board model over the background picture stretched across the
// client area. At the default view one board pixel is one screen pixel and
// the board's corner is the client area's, so stored positions are client
// positions; zoom and pan change only the view. It holds no element of its
// own: what it shows is the model's.
class Board : public QAbstractScrollArea {
    Q_OBJECT
public:
    // A board showing a model of its own (the shape dialogs' previews), or
    // the model given, which outlives it.
    explicit Board(QWidget* parent = nullptr);
    Board(BoardModel& model, QWidget* parent);
    ~Board() override;

    BoardModel& model() const { return *m_model; }

    bool hasBackground() const { return !m_background.isNull(); }
    const QImage& background() const { return m_background; }
    void setBackground(const QImage& picture);

    // The board point under a point of the screen, and the reverse; and the
    // point of the viewport where a board point is drawn.
    QPoint boardPoint(const QPoint& global) const;
    QPoint globalPoint(const QPoint& boardPoint) const;
    QPoint viewPoint(const QPoint& boardPoint) const;
    // How far the board point under a screen point lies from where it would lie
    // at the default view (100 %, not scrolled); nothing at the default view.
    QPoint shiftFromDefaultView(const QPoint& global) const;
    // The topmost visible element at a point of the screen, or none.
    BoardElement* elementAt(const QPoint& global) const;

    // Draws what lies of the board within boardRect: the background picture
    // and every visible element, with a painter that maps board pixels; with
    // the alarm blink as the screen shows it, or each shape in its own brush.
    enum class Blink { Hidden, Shown };
    // Captions smaller than smallestCaptionPoints are left out.
    void paintBoard(QPainter& painter, const QRect& boardRect, Blink blink = Blink::Hidden,
                    qreal smallestCaptionPoints = 0);
    // The alarm blink: a shape shown hatched, whatever its own brush. The
    // view's alone: no file holds it and no export shows it.
    void setBlinkHatched(const ObjectShape& shape, bool hatched);
    bool isBlinkHatched(const ObjectShape& shape) const;
    // The board's size in board pixels: the size the project stores, or while
    // it stores none, the client area. The background is stretched over it.
    QSize boardSize() const { return m_boardSize; }
    // Fixes the board's size; an empty size makes it follow the client area.
    void setBoardSize(const QSize& size);

    // Makes the board a see-through layer over the whole of its parent that
    // takes no mouse input: the shape dialogs show their preview on one.
    void makePreview();

    // Zoom and pan: Ctrl + wheel zooms around the pointer, the middle button
    // drags the board where it is empty.
    void enableZoomAndPan();
    qreal zoom() const { return m_zoom; }
    // Zooms to factor (kept within 10 % and 800 %) keeping the board point
    // under the viewport point anchor where it is.
    void setZoom(qreal factor, const QPoint& anchor);
    // The default view: 100 %, the board's corner in the client area's.
    void resetView();
    // One step in or out, around the middle of the view.
    void zoomIn();
    void zoomOut();
    // Shows the whole board in the client area, and keeps doing so when the
    // client area changes size, until the zoom is changed otherwise.
    void fitBoard();
    bool isFitted() const { return m_fitted; }
    static constexpr qreal MinimumZoom = 0.1;
    static constexpr qreal MaximumZoom = 8.0;
    static constexpr qreal ZoomStep = 1.25;
    // The fit enlarges the board only when it gains at least this factor.
    static constexpr qreal FitEnlargesFrom = 1.05;
    // Captions whose letters would be smaller than this many screen pixels
    // are not drawn on the screen: at such a zoom they are a mat of specks.
    static constexpr qreal SmallestCaptionPixels = 4.0;
    // Whether the screen shows captions of this size at the current zoom.
    bool showsCaptionsOf(int pointSize) const;

    // Draws a board area again.
    void updateArea(const QRect& boardRect);
    // Draws a frame around boardRect on the screen for a time, to make an
    // element stand out; nothing of the elements changes, and the frame is
    // not drawn by paintBoard. A new one replaces the one shown.
    void highlight(const QRect& boardRect, int milliseconds);
    QRect highlighted() const { return m_highlight; }

    // The keyboard (BoardKeyboard.cpp): the board takes the focus; Tab and
    // Shift+Tab walk the objects, the other keys ask for what is done to the
    // current object. The current object is the main window's: it is shown
    // here, framed once a key was used, until a mouse press.
    void enableKeyboard();
    BoardObjects& objects() const { return *m_objects; }
    // The object (its shape, or a caption without one) shown as current;
    // none once it is removed, and it again when it is brought back.
    BoardElement* currentObject() const;
    void setCurrentObject(BoardElement* object);
    // The focus frame around the current object, in board pixels; empty
    // while none is drawn. The view's alone, as the highlight is.
    QRect focusFrame() const;
    // Where an object is drawn on the screen now.
    QRect globalArea(const BoardElement* object) const;
    // The name of the status a shape's colour stands for, empty for none:
    // what a screen reader says of an object beside its name.
    void setStatusOfColor(std::function<QString(quint32 colorRef)> statusOf)
    {
        m_statusOfColor = std::move(statusOf);
    }
    QString statusOfColor(quint32 colorRef) const
    {
        return m_statusOfColor ? m_statusOfColor(colorRef) : QString();
    }

signals:
    // The zoom changed: by the wheel, a zoom step, the fit or the default view.
    void zoomChanged(qreal zoom);
    // A press on the board itself, not on one of its elements.
    void pressed(Qt::MouseButton button);
    // Presses, moves and releases on shape elements, and presses on captions.
    // The element pressed keeps receiving until every button is released.
    void shapeMousePressed(ObjectShape* shape, Qt::MouseButton button, Qt::MouseButtons buttons);
    void shapeMouseMoved(ObjectShape* shape, Qt::MouseButtons buttons);
    void shapeMouseReleased(ObjectShape* shape, Qt::MouseButton button);
    void labelMousePressed(ObjectLabel* label, Qt::MouseButton button);
    // What the keyboard, or a screen reader, asks of an object: to make it
    // current (none: no current object), to open its note, its pop-up menu at
    // a point of the screen, to move it by board pixels, to remove it.
    void objectChosen(BoardElement* object);
    void objectOpenRequested(BoardElement* object);
    void objectMenuRequested(BoardElement* object, const QPoint& global);
    void objectMoveRequested(BoardElement* object, const QPoint& by);
    void objectRemoveRequested(BoardElement* object);
    // The menu key with no current object: the board's own pop-up menu.
    void boardMenuRequested(const QPoint& global);
    // The object shown as current changed.
    void currentObjectChanged(BoardElement* object);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void watchModel();
    void elementChangedAt(const BoardElement* element, const QRect& area);
    void elementRemoved(BoardElement* element);
    QPointF toBoard(const QPointF& viewPoint) const;
    QPoint scrollOffset() const;
    void updateScrollRanges();
    // Scroll ranges are brought up to date once the events at hand are done.
    void updateScrollRangesSoon();
    // Where the visible elements stand, all together.
    QRect elementBounds() const;
    void elementMovedTo(const QRect& area);
    void applyZoom(qreal factor, const QPoint& anchor);
    qreal fittingZoom() const;
    qreal smallestCaptionPoints() const;
    void paintBackground(QPainter& painter, const QRect& exposedBoard);
    // The visible elements within boardRect, in creation order.
    void paintElements(QPainter& painter, const QRect& boardRect, Blink blink,
                       qreal smallestCaptionPoints) const;
    QRect highlightFrame() const;
    // Draws the focus frame again where it was and where it is now.
    void refreshFocusFrame();
    void paintFocusFrame(QPainter& painter, const QRect& exposedBoard);
    void stepCurrentObject(bool forward);

    QImage m_background;
    QPixmap m_stretchedBackground; // the picture at the board's size
    QSize m_boardSize;
    bool m_boardSizeFixed = false;
    qreal m_zoom = 1.0;
    bool m_fitted = false;
    mutable QRect m_elementBounds;
    mutable bool m_elementBoundsStale = true;
    bool m_scrollRangesPending = false;

    BoardModel* m_model;

    QRect m_highlight;
    QSet<quint64> m_blinkHatched; // the sequences of the shapes
    QTimer* m_highlightTimer = nullptr;

    // The element pressed, until every button is up; none once it is removed.
    BoardElement* m_pressedElement = nullptr;
    quint64 m_lastPressTime = 0;
    bool m_transparent = false;
    bool m_zoomAndPan = false;
    bool m_panning = false;
    QPoint m_panFrom;

    BoardObjects* m_objects;
    bool m_keyboard = false;
    quint64 m_currentSequence = 0;
    // A key was used since the last mouse press: the current object is framed.
    bool m_keyboardCue = false;
    QRect m_shownFocusFrame;
    std::function<QString(quint32)> m_statusOfColor;
};
