#include "board/Board.h"

#include "board/BoardAccessibility.h"
#include "board/BoardObjects.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "platform/ColorRef.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <thread>

Board::Board(QWidget* parent) : Board(*new BoardModel, parent)
{
    // A model of its own goes with the board.
    m_model->setParent(this);
}

Board::Board(BoardModel& model, QWidget* parent)
    : QAbstractScrollArea(parent), m_model(&model), m_objects(new BoardObjects(model, this))
{
    installBoardAccessibility();
    setObjectName(QStringLiteral("Board"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    viewport()->setFocusPolicy(Qt::NoFocus);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Window, ColorRef::toQColor(ColorRef::BtnFace));
    viewport()->setPalette(pal);
    viewport()->setBackgroundRole(QPalette::Window);
    // Every paint covers what it exposes: the background first.
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(model.defaultFont());
    m_boardSize = size();
    watchModel();
}

Board::~Board() = default;

// ---- What the model announces ----

void Board::watchModel()
{
    connect(m_model, &BoardModel::elementAdded, this, [this](BoardElement* element) {
        updateArea(element->geometry());
        elementMovedTo(element->geometry());
        refreshFocusFrame();
    });
    connect(m_model, &BoardModel::elementChangedAt, this, &Board::elementChangedAt);
    connect(m_model, &BoardModel::elementRemoved, this, &Board::elementRemoved);
    connect(m_model, &BoardModel::boardReset, this, [this] {
        // Whatever was pressed may be gone.
        m_pressedElement = nullptr;
        m_blinkHatched.clear();
        m_elementBoundsStale = true;
        updateScrollRangesSoon();
        m_shownFocusFrame = QRect();
        viewport()->update();
    });
}

void Board::elementChangedAt(const BoardElement* element, const QRect& area)
{
    // Both where it was and where it is now need drawing again.
    updateArea(area);
    if (element->geometry() != area) {
        updateArea(element->geometry());
        elementMovedTo(element->geometry());
    }
    refreshFocusFrame();
}

void Board::elementRemoved(BoardElement* element)
{
    if (m_pressedElement == element)
        m_pressedElement = nullptr;
    m_blinkHatched.remove(element->sequence());
    updateArea(element->geometry());
    m_elementBoundsStale = true;
    updateScrollRangesSoon();
    // The element is going: the frame is found again when next drawn.
    if (!m_shownFocusFrame.isNull()) {
        updateArea(m_shownFocusFrame);
        m_shownFocusFrame = QRect();
    }
}

void Board::updateArea(const QRect& boardRect)
{
    if (!isVisible())
        return;
    // A pixel more each way: antialiased outlines reach past the element.
    const QRectF view(boardRect.adjusted(-1, -1, 1, 1));
    const QPoint offset = scrollOffset();
    viewport()->update(QRectF(view.topLeft() * m_zoom - offset, view.size() * m_zoom)
                           .toAlignedRect()
                           .adjusted(-1, -1, 1, 1));
}

// ---- Painting ----

void Board::setBackground(const QImage& picture)
{
    m_background = picture;
    m_stretchedBackground = QPixmap();
    viewport()->update();
}

void Board::paintBackground(QPainter& painter, const QRect& exposedBoard)
{
    if (!m_transparent)
        painter.fillRect(exposedBoard, viewport()->palette().color(QPalette::Window));
    if (m_background.isNull() || m_boardSize.isEmpty())
        return;
    // Stretched over the whole board, whatever its aspect ratio, once per
    // board size rather than at every paint; in the screen's own pixels, so
    // that a high-density screen shows it as sharp as the picture is, within
    // a budget that a board of absurd size cannot exhaust.
    constexpr qreal MostPixels = 32.0 * 1024 * 1024;
    const qreal area = qreal(m_boardSize.width()) * m_boardSize.height();
    const qreal scale = std::min(viewport()->devicePixelRatioF(), std::sqrt(MostPixels / area));
    const QSize stretched = (QSizeF(m_boardSize) * scale).toSize().expandedTo(QSize(1, 1));
    if (m_stretchedBackground.size() != stretched)
        m_stretchedBackground = QPixmap::fromImage(
            m_background.scaled(stretched, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    const QRect covered = exposedBoard & QRect(QPoint(0, 0), m_boardSize);
    if (covered.isEmpty())
        return;
    const qreal sx = qreal(stretched.width()) / m_boardSize.width();
    const qreal sy = qreal(stretched.height()) / m_boardSize.height();
    painter.drawPixmap(
        QRectF(covered), m_stretchedBackground,
        QRectF(covered.x() * sx, covered.y() * sy, covered.width() * sx, covered.height() * sy));
}

void Board::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QPoint offset = scrollOffset();
    painter.translate(-offset);
    painter.scale(m_zoom, m_zoom);
    const QRect exposedBoard = QRectF(QPointF(event->rect().topLeft() + offset) / m_zoom,
                                      QSizeF(event->rect().size()) / m_zoom)
                                   .toAlignedRect()
                                   .adjusted(-1, -1, 1, 1);
    paintBoard(painter, exposedBoard, Blink::Shown, smallestCaptionPoints());
    paintFocusFrame(painter, exposedBoard);
    if (!m_highlight.isNull() && highlightFrame().intersects(exposedBoard)) {
        // Two rings, dark inside light, so that it shows on any colour.
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(255, 200, 0), 3 / m_zoom));
        painter.drawRect(QRectF(m_highlight).adjusted(-4, -4, 4, 4));
        painter.setPen(QPen(Qt::black, 1 / m_zoom));
        painter.drawRect(QRectF(m_highlight).adjusted(-2, -2, 2, 2));
    }
}

QRect Board::highlightFrame() const
{
    return m_highlight.adjusted(-8, -8, 8, 8);
}

void Board::highlight(const QRect& boardRect, int milliseconds)
{
    if (!m_highlightTimer) {
        m_highlightTimer = new QTimer(this);
        m_highlightTimer->setSingleShot(true);
        connect(m_highlightTimer, &QTimer::timeout, this, [this] {
            updateArea(highlightFrame());
            m_highlight = QRect();
        });
    }
    if (!m_highlight.isNull())
        updateArea(highlightFrame());
    m_highlight = boardRect;
    updateArea(highlightFrame());
    m_highlightTimer->start(milliseconds);
}

namespace {

Qt::BrushStyle qtBrushStyle(BrushStyle style)
{
    switch (style) {
    case BrushStyle::Solid:
        return Qt::SolidPattern;
    case BrushStyle::Clear:
        return Qt::NoBrush;
    case BrushStyle::Horizontal:
        return Qt::HorPattern;
    case BrushStyle::Vertical:
        return Qt::VerPattern;
    case BrushStyle::FDiagonal:
        return Qt::FDiagPattern;
    case BrushStyle::BDiagonal:
        return Qt::BDiagPattern;
    case BrushStyle::Cross:
        return Qt::CrossPattern;
    case BrushStyle::DiagCross:
        return Qt::DiagCrossPattern;
    }
    return Qt::SolidPattern;
}

void paintShape(QPainter& painter, const ObjectShape& shape, bool blinkHatched)
{
    if (shape.width() <= 0 || shape.height() <= 0)
        return;
    const ShapeKind kind = shape.shapeKind();
    painter.setRenderHint(QPainter::Antialiasing,
                          kind == ShapeKind::Ellipse || kind == ShapeKind::Circle);
    painter.setPen(QPen(Qt::black, 1));
    const BrushStyle style = blinkHatched ? BrushStyle::BDiagonal : shape.brushStyle();
    painter.setBrush(QBrush(ColorRef::toQColor(shape.brushColor()), qtBrushStyle(style)));

    // The outline stays inside the element; square kinds take the shorter side, centred.
    QRectF area = QRectF(shape.geometry()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool square =
        kind == ShapeKind::Square || kind == ShapeKind::RoundSquare || kind == ShapeKind::Circle;
    if (square) {
        const qreal side = std::min(area.width(), area.height());
        area = QRectF(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
    }
    const qreal corner = std::min(area.width(), area.height()) / 4;
    switch (kind) {
    case ShapeKind::Rectangle:
    case ShapeKind::Square:
        painter.drawRect(area);
        break;
    case ShapeKind::RoundRect:
    case ShapeKind::RoundSquare:
        painter.drawRoundedRect(area, corner, corner);
        break;
    case ShapeKind::Ellipse:
    case ShapeKind::Circle:
        painter.drawEllipse(area);
        break;
    }
}

void paintLabel(QPainter& painter, const ObjectLabel& label)
{
    if (label.text().isEmpty())
        return;
    const QFontMetrics metrics(label.font());
    // One line, at the left, centred in the element's height.
    const qreal baseline = label.y() + (label.height() - metrics.height()) / 2.0 + metrics.ascent();
    painter.setFont(label.font());
    painter.setPen(ColorRef::toQColor(label.fontColor()));
    painter.drawText(QPointF(label.x(), baseline), label.text());
}

} // namespace

void Board::paintBoard(QPainter& painter, const QRect& boardRect, Blink blink,
                       qreal smallestCaptionPoints)
{
    // Drawing the captions' text costs most of a large board's paint, and
    // the elements share nothing a painter changes: the lower half of the
    // area is drawn at the same time on a thread of its own, into an image
    // laid over the upper half after.
    constexpr qsizetype ElementsWorthASecondThread = 4000;
    const QTransform world = painter.worldTransform();
    const QRect device = world.mapRect(QRectF(boardRect)).toAlignedRect() &
                         QRect(0, 0, painter.device()->width(), painter.device()->height());
    // Only on pixels: a PDF, an SVG or a print keeps every element as drawn.
    const bool pixels =
        painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
    if (!pixels || m_model->shapeCount() + m_model->labelCount() < ElementsWorthASecondThread ||
        device.height() < 64 || world.type() > QTransform::TxScale) {
        paintBackground(painter, boardRect);
        paintElements(painter, boardRect, blink, smallestCaptionPoints);
        return;
    }
    const int split = device.top() + device.height() / 2;
    const QRect upper(device.left(), device.top(), device.width(), split - device.top());
    const QRect lower(device.left(), split, device.width(), device.bottom() + 1 - split);
    const QTransform toBoard = world.inverted();
    const auto boardOf = [&](const QRect& band) {
        return toBoard.mapRect(QRectF(band)).toAlignedRect().adjusted(-1, -1, 1, 1) & boardRect;
    };
    const qreal ratio = painter.device()->devicePixelRatioF();
    QImage lowerImage((QSizeF(lower.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    lowerImage.setDevicePixelRatio(ratio);
    lowerImage.fill(Qt::transparent);
    const QPainter::RenderHints hints = painter.renderHints();
    const auto lowerPainter = [&](QPainter& band) {
        band.setRenderHints(hints);
        band.translate(-lower.topLeft());
        band.setWorldTransform(world, true);
    };
    {
        // The picture is a pixmap, for this thread alone; under it the
        // captions are drawn as on the screen's own pixels.
        QPainter band(&lowerImage);
        lowerPainter(band);
        paintBackground(band, boardOf(lower));
    }
    std::thread second([&] {
        QPainter band(&lowerImage);
        lowerPainter(band);
        paintElements(band, boardOf(lower), blink, smallestCaptionPoints);
    });
    painter.save();
    painter.resetTransform();
    painter.setClipRect(upper, Qt::IntersectClip);
    painter.setWorldTransform(world);
    paintBackground(painter, boardOf(upper));
    paintElements(painter, boardOf(upper), blink, smallestCaptionPoints);
    painter.restore();
    second.join();
    painter.save();
    painter.resetTransform();
    painter.drawImage(lower.topLeft(), lowerImage);
    painter.restore();
}

void Board::paintElements(QPainter& painter, const QRect& boardRect, Blink blink,
                          qreal smallestCaptionPoints) const
{
    const bool anyBlink = blink == Blink::Shown && !m_blinkHatched.isEmpty();
    m_model->forEachElement([&](const BoardElement& element) {
        if (!element.isVisible() || !element.geometry().intersects(boardRect))
            return;
        if (element.kind() == BoardElement::Kind::Shape)
            paintShape(painter, static_cast<const ObjectShape&>(element),
                       anyBlink && m_blinkHatched.contains(element.sequence()));
        else if (static_cast<const ObjectLabel&>(element).fontSize() >= smallestCaptionPoints)
            paintLabel(painter, static_cast<const ObjectLabel&>(element));
    });
}

void Board::setBlinkHatched(const ObjectShape& shape, bool hatched)
{
    const bool was = m_blinkHatched.contains(shape.sequence());
    if (hatched == was)
        return;
    if (hatched)
        m_blinkHatched.insert(shape.sequence());
    else
        m_blinkHatched.remove(shape.sequence());
    updateArea(shape.geometry());
}

bool Board::isBlinkHatched(const ObjectShape& shape) const
{
    return m_blinkHatched.contains(shape.sequence());
}

void Board::resizeEvent(QResizeEvent* event)
{
    // Unless the project fixes it, the board is the client area: the widget's
    // whole size, scroll bars or not.
    if (!m_boardSizeFixed && m_boardSize != event->size()) {
        m_boardSize = event->size();
        viewport()->update();
    }
    updateScrollRanges();
    QAbstractScrollArea::resizeEvent(event);
    if (m_fitted)
        applyZoom(fittingZoom(), QPoint(0, 0));
}

void Board::setBoardSize(const QSize& size)
{
    m_boardSizeFixed = !size.isEmpty();
    const QSize boardSize = m_boardSizeFixed ? size : this->size();
    if (boardSize == m_boardSize)
        return;
    m_boardSize = boardSize;
    updateScrollRanges();
    viewport()->update();
}

void Board::scrollContentsBy(int, int)
{
    viewport()->update();
}

void Board::updateScrollRanges()
{
    // The scroll bars reach the whole board and every element, also one that
    // stands beyond the board's edges.
    QRect content(QPoint(0, 0), m_boardSize);
    if (m_zoomAndPan)
        content |= elementBounds();
    // A fitted board fills the client area exactly: no rounding may make a
    // scroll bar of it.
    constexpr qreal Slack = 1e-6;
    const qreal left = std::floor(content.left() * m_zoom + Slack);
    const qreal top = std::floor(content.top() * m_zoom + Slack);
    const qreal right = std::ceil((content.right() + 1) * m_zoom - Slack);
    const qreal bottom = std::ceil((content.bottom() + 1) * m_zoom - Slack);
    // What fits without scroll bars needs none, whatever bars show now.
    QSize view = viewport()->size();
    const QSize room = maximumViewportSize();
    if (right - left <= room.width() && bottom - top <= room.height())
        view = room;
    horizontalScrollBar()->setRange(int(std::min(0.0, left)),
                                    int(std::max(0.0, right - view.width())));
    verticalScrollBar()->setRange(int(std::min(0.0, top)),
                                  int(std::max(0.0, bottom - view.height())));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setPageStep(view.height());
}

void Board::updateScrollRangesSoon()
{
    if (!m_zoomAndPan || m_scrollRangesPending)
        return;
    m_scrollRangesPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_scrollRangesPending = false;
            updateScrollRanges();
        },
        Qt::QueuedConnection);
}

QRect Board::elementBounds() const
{
    if (m_elementBoundsStale) {
        m_elementBounds = QRect();
        m_model->forEachElement([this](const BoardElement& element) {
            if (element.isVisible())
                m_elementBounds |= element.geometry();
        });
        m_elementBoundsStale = false;
    }
    return m_elementBounds;
}

void Board::elementMovedTo(const QRect& area)
{
    // Grown at once, shrunk only when elements go: a drag never walks the board.
    if (m_elementBoundsStale || m_elementBounds.contains(area))
        return;
    m_elementBounds |= area;
    if (!QRect(QPoint(0, 0), m_boardSize).contains(area))
        updateScrollRangesSoon();
}

bool Board::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Resize:
        updateScrollRanges();
        break;
    case QEvent::ToolTip: {
        // The hint of the topmost element under the pointer.
        const auto* help = static_cast<QHelpEvent*>(event);
        const BoardElement* element = elementAt(help->globalPos());
        if (element && !element->hint().isEmpty())
            QToolTip::showText(help->globalPos(), element->hint(), viewport());
        else
            QToolTip::hideText();
        return true;
    }
    default:
        break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

// ---- Points ----

QPoint Board::scrollOffset() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

QPointF Board::toBoard(const QPointF& viewPoint) const
{
    return (viewPoint + QPointF(scrollOffset())) / m_zoom;
}

QPoint Board::boardPoint(const QPoint& global) const
{
    const QPointF at = toBoard(QPointF(viewport()->mapFromGlobal(global)));
    return QPoint(int(std::floor(at.x())), int(std::floor(at.y())));
}

QPoint Board::viewPoint(const QPoint& boardPoint) const
{
    return (QPointF(boardPoint) * m_zoom).toPoint() - scrollOffset();
}

QPoint Board::globalPoint(const QPoint& boardPoint) const
{
    return viewport()->mapToGlobal(viewPoint(boardPoint));
}

QPoint Board::shiftFromDefaultView(const QPoint& global) const
{
    return boardPoint(global) - viewport()->mapFromGlobal(global);
}

BoardElement* Board::elementAt(const QPoint& global) const
{
    return m_model->elementAt(boardPoint(global));
}

// ---- Mouse ----

void Board::mousePressEvent(QMouseEvent* event)
{
    m_lastPressTime = event->timestamp();
    m_keyboardCue = false;
    refreshFocusFrame();
    // The element pressed keeps every press until all buttons are up, as a
    // widget under the pointer does. A press whose release went elsewhere (a
    // pop-up menu opened on it) leaves nothing held.
    if (m_pressedElement && event->buttons() == event->button())
        m_pressedElement = nullptr;
    if (!m_pressedElement)
        m_pressedElement = elementAt(event->globalPosition().toPoint());
    if (m_pressedElement && m_pressedElement->kind() == BoardElement::Kind::Shape) {
        emit shapeMousePressed(static_cast<ObjectShape*>(m_pressedElement), event->button(),
                               event->buttons());
        return;
    }
    if (m_pressedElement) {
        emit labelMousePressed(static_cast<ObjectLabel*>(m_pressedElement), event->button());
        return;
    }
    if (event->button() == Qt::MiddleButton && m_zoomAndPan) {
        m_panning = true;
        m_panFrom = event->position().toPoint();
        viewport()->setCursor(Qt::ClosedHandCursor);
    }
    emit pressed(event->button());
}

void Board::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press like any other (what makes
    // two presses a double press is the main window's own timer); where it has
    // already come as a press, the double click is not another one.
    if (event->timestamp() != m_lastPressTime)
        mousePressEvent(event);
}

void Board::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressedElement && m_pressedElement->kind() == BoardElement::Kind::Shape) {
        emit shapeMouseMoved(static_cast<ObjectShape*>(m_pressedElement), event->buttons());
        return;
    }
    if (!m_panning)
        return;
    const QPoint at = event->position().toPoint();
    const QPoint moved = at - m_panFrom;
    m_panFrom = at;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - moved.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() - moved.y());
}

void Board::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_panning && event->button() == Qt::MiddleButton) {
        m_panning = false;
        viewport()->unsetCursor();
    }
    BoardElement* released = m_pressedElement;
    if (event->buttons() == Qt::NoButton)
        m_pressedElement = nullptr;
    if (released && released->kind() == BoardElement::Kind::Shape)
        emit shapeMouseReleased(static_cast<ObjectShape*>(released), event->button());
}

// ---- Preview, zoom and pan ----

void Board::makePreview()
{
    m_transparent = true;
    setAttribute(Qt::WA_TransparentForMouseEvents);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent, false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setGeometry(parentWidget()->rect());
}

void Board::enableZoomAndPan()
{
    m_zoomAndPan = true;
    updateScrollRanges();
}

void Board::applyZoom(qreal factor, const QPoint& anchor)
{
    factor = std::clamp(factor, MinimumZoom, MaximumZoom);
    const QPointF under = toBoard(QPointF(anchor));
    const bool changed = factor != m_zoom;
    m_zoom = factor;
    updateScrollRanges();
    // Scroll so that the board point that was under the anchor is again.
    const QPointF scrolled = under * m_zoom - QPointF(anchor);
    horizontalScrollBar()->setValue(qRound(scrolled.x()));
    verticalScrollBar()->setValue(qRound(scrolled.y()));
    viewport()->update();
    if (changed)
        emit zoomChanged(m_zoom);
}

void Board::setZoom(qreal factor, const QPoint& anchor)
{
    m_fitted = false;
    applyZoom(factor, anchor);
}

void Board::resetView()
{
    m_fitted = false;
    applyZoom(1.0, QPoint(0, 0));
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void Board::zoomIn()
{
    setZoom(m_zoom * ZoomStep, viewport()->rect().center());
}

void Board::zoomOut()
{
    setZoom(m_zoom / ZoomStep, viewport()->rect().center());
}

qreal Board::fittingZoom() const
{
    // Measured without scroll bars: a fitted board needs none.
    const QSize room = maximumViewportSize();
    if (m_boardSize.isEmpty() || room.isEmpty())
        return 1.0;
    const qreal fitting = std::min(qreal(room.width()) / m_boardSize.width(),
                                   qreal(room.height()) / m_boardSize.height());
    // A board a little smaller than the client area stays pixel for pixel,
    // as sharp as it can be: only a clearly larger room enlarges it.
    return fitting > 1.0 && fitting < FitEnlargesFrom ? 1.0 : fitting;
}

void Board::fitBoard()
{
    m_fitted = true;
    applyZoom(fittingZoom(), QPoint(0, 0));
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

qreal Board::smallestCaptionPoints() const
{
    // A caption's letters are its point size at the screen's logical dots per
    // inch, times the zoom and the screen's device pixels per logical pixel.
    const qreal pixelsPerPoint =
        viewport()->logicalDpiY() / 72.0 * m_zoom * viewport()->devicePixelRatioF();
    return SmallestCaptionPixels / pixelsPerPoint;
}

bool Board::showsCaptionsOf(int pointSize) const
{
    return pointSize >= smallestCaptionPoints();
}

void Board::wheelEvent(QWheelEvent* event)
{
    if (!m_zoomAndPan || !(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // One notch of the wheel zooms by a quarter.
    const qreal notches = event->angleDelta().y() / 120.0;
    setZoom(m_zoom * std::pow(1.25, notches), event->position().toPoint());
    event->accept();
}
