#include "board/Board.h"

#include "board/ObjectLabel.h"
#include "board/ObjectShape.h"
#include "platform/ColorRef.h"

#include <QGraphicsScene>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QShortcut>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

Board::Board(QWidget* parent) : QGraphicsView(parent), m_scene(new QGraphicsScene(this))
{
    setObjectName(QStringLiteral("Board"));
    setScene(m_scene);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    // The board's corner is the client area's corner, also when the board is
    // zoomed out to less than the window.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setResizeAnchor(QGraphicsView::NoAnchor);
    setBackgroundBrush(ColorRef::toQColor(ColorRef::BtnFace));
    // The stretched picture is drawn once per view change, not once per paint.
    setCacheMode(QGraphicsView::CacheBackground);
    // Every element sets the pen, brush and font it draws with.
    setOptimizationFlag(QGraphicsView::DontSavePainterState);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    m_scene->setSceneRect(0, 0, width(), height());
}

Board::~Board()
{
    clear();
}

// ---- Elements and their indexes ----

void Board::adopt(BoardElement* element)
{
    if (m_removedSlots > 1024 && m_removedSlots > qsizetype(m_elements.size()) / 2)
        compactElements();
    m_elements.push_back(element);
    (element->kind() == BoardElement::Kind::Shape ? m_shapeCount : m_labelCount) += 1;
    m_scene->addItem(element);
}

void Board::forget(BoardElement* element)
{
    if (m_clearing)
        return;
    m_byName.remove(element->objectName().toLower(), element);
    // Creation order is sequence order: the element's slot is found by halving.
    const auto slot = std::lower_bound(m_elements.begin(), m_elements.end(), element->sequence(),
                                       [](const BoardElement* e, quint64 sequence) {
                                           // A removed slot keeps its place in the order.
                                           return e == nullptr || e->sequence() < sequence;
                                       });
    if (slot != m_elements.end() && *slot == element) {
        *slot = nullptr;
        ++m_removedSlots;
        (element->kind() == BoardElement::Kind::Shape ? m_shapeCount : m_labelCount) -= 1;
    }
}

void Board::compactElements()
{
    m_elements.erase(std::remove(m_elements.begin(), m_elements.end(), nullptr), m_elements.end());
    m_removedSlots = 0;
}

void Board::renamed(BoardElement* element, const QString& before)
{
    m_byName.remove(before.toLower(), element);
    m_byName.insert(element->objectName().toLower(), element);
}

void Board::captionChanged(ObjectLabel* label, const QString& before)
{
    m_byCaption.remove(before, label);
    m_byCaption.insert(label->caption(), label);
}

void Board::forgetCaption(ObjectLabel* label)
{
    if (!m_clearing)
        m_byCaption.remove(label->caption(), label);
}

template <typename Element> QList<Element*> Board::elements() const
{
    const auto kind = std::is_same_v<Element, ObjectShape> ? BoardElement::Kind::Shape
                                                          : BoardElement::Kind::Caption;
    QList<Element*> found;
    found.reserve(kind == BoardElement::Kind::Shape ? m_shapeCount : m_labelCount);
    for (BoardElement* element : m_elements)
        if (element && element->kind() == kind)
            found.append(static_cast<Element*>(element));
    return found;
}

QList<ObjectShape*> Board::shapes() const
{
    return elements<ObjectShape>();
}

QList<ObjectLabel*> Board::labels() const
{
    return elements<ObjectLabel>();
}

template <typename Element> Element* Board::firstNamed(const QString& name) const
{
    const auto kind = std::is_same_v<Element, ObjectShape> ? BoardElement::Kind::Shape
                                                          : BoardElement::Kind::Caption;
    BoardElement* first = nullptr;
    for (auto it = m_byName.find(name.toLower()); it != m_byName.end() && it.key() == name.toLower();
         ++it)
        if ((*it)->kind() == kind && (!first || (*it)->sequence() < first->sequence()))
            first = *it;
    return static_cast<Element*>(first);
}

ObjectShape* Board::shapeNamed(const QString& name) const
{
    return firstNamed<ObjectShape>(name);
}

ObjectLabel* Board::labelNamed(const QString& name) const
{
    return firstNamed<ObjectLabel>(name);
}

bool Board::hasElementNamed(const QString& name) const
{
    return m_byName.contains(name.toLower());
}

ObjectLabel* Board::labelOf(const ObjectShape* shape) const
{
    return shape ? labelNamed(QStringLiteral("label%1").arg(shape->tag())) : nullptr;
}

ObjectShape* Board::shapeOf(const ObjectLabel* label) const
{
    return label ? shapeNamed(QStringLiteral("Shape%1").arg(label->tag())) : nullptr;
}

QList<ObjectLabel*> Board::labelsWithCaption(const QString& name) const
{
    QList<ObjectLabel*> found = m_byCaption.values(name);
    std::sort(found.begin(), found.end(), [](const ObjectLabel* a, const ObjectLabel* b) {
        return a->sequence() < b->sequence();
    });
    return found;
}

ObjectLabel* Board::labelWithCaption(const QString& name) const
{
    const QList<ObjectLabel*> found = labelsWithCaption(name);
    return found.isEmpty() ? nullptr : found.first();
}

int Board::nextObjectNumber() const
{
    QSet<qint64> taken;
    for (auto it = m_byName.keyBegin(); it != m_byName.keyEnd(); ++it) {
        const QString& name = *it;
        if (name.size() > 5 && name.startsWith(QLatin1String("label"))) {
            bool ok = false;
            const qint64 n = QStringView(name).mid(5).toLongLong(&ok);
            // "label" + N must spell the name exactly: "Label07" is not number 7.
            if (ok && QString::number(n) == QStringView(name).mid(5))
                taken.insert(n);
        }
    }
    const qsizetype candidates = m_shapeCount + m_labelCount;
    int n = 1;
    for (; n <= candidates; ++n)
        if (!taken.contains(n))
            return n;
    return n;
}

void Board::removeWhere(bool (*doomed)(const BoardElement*))
{
    // The scene drops an item by searching its list from the front, so every
    // element is taken out in creation order, the doomed deleted and the rest
    // put back in the same order: linear however the kinds interleave.
    const std::vector<BoardElement*> all = m_elements;
    std::vector<BoardElement*> kept;
    for (BoardElement* element : all) {
        if (!element)
            continue;
        if (doomed(element)) {
            delete element;
        } else {
            m_scene->removeItem(element);
            kept.push_back(element);
        }
    }
    m_elements = std::move(kept);
    m_removedSlots = 0;
    for (BoardElement* element : m_elements)
        m_scene->addItem(element);
}

void Board::removeShapes()
{
    if (m_labelCount == 0)
        return clear();
    if (m_shapeCount > 0)
        removeWhere([](const BoardElement* e) { return e->kind() == BoardElement::Kind::Shape; });
}

void Board::removeLabels()
{
    if (m_shapeCount == 0)
        return clear();
    if (m_labelCount > 0)
        removeWhere([](const BoardElement* e) { return e->kind() == BoardElement::Kind::Caption; });
}

void Board::clear()
{
    m_clearing = true;
    m_scene->clear();
    m_clearing = false;
    m_elements.clear();
    m_removedSlots = 0;
    m_shapeCount = 0;
    m_labelCount = 0;
    m_byName.clear();
    m_byCaption.clear();
}

// ---- Background ----

void Board::setBackground(const QImage& picture)
{
    m_background = picture;
    m_backgroundPixmap = picture.isNull() ? QPixmap() : QPixmap::fromImage(picture);
    resetCachedContent();
    viewport()->update();
}

void Board::drawBackground(QPainter* painter, const QRectF& rect)
{
    painter->fillRect(rect, backgroundBrush());
    // Stretched over the whole client area, whatever its aspect ratio.
    if (!m_backgroundPixmap.isNull())
        painter->drawPixmap(m_scene->sceneRect(), m_backgroundPixmap,
                            QRectF(m_backgroundPixmap.rect()));
}

void Board::resizeEvent(QResizeEvent* event)
{
    // The board is the client area: the view's whole size, scroll bars or not.
    m_scene->setSceneRect(0, 0, event->size().width(), event->size().height());
    QGraphicsView::resizeEvent(event);
    resetCachedContent();
}

// ---- Points ----

QPoint Board::boardPoint(const QPoint& global) const
{
    return mapToScene(viewport()->mapFromGlobal(global)).toPoint();
}

QPoint Board::globalPoint(const QPoint& boardPoint) const
{
    return viewport()->mapToGlobal(mapFromScene(QPointF(boardPoint)));
}

QPoint Board::shiftFromDefaultView(const QPoint& global) const
{
    return boardPoint(global) - viewport()->mapFromGlobal(global);
}

BoardElement* Board::elementAt(const QPoint& global) const
{
    QGraphicsItem* item = itemAt(viewport()->mapFromGlobal(global));
    return item ? qobject_cast<BoardElement*>(item->toGraphicsObject()) : nullptr;
}

// ---- Mouse ----

void Board::mousePressEvent(QMouseEvent* event)
{
    // A grab left over from a press whose release went elsewhere (a pop-up
    // menu opened on it) must not take this press.
    if (QGraphicsItem* grabber = m_scene->mouseGrabberItem();
        grabber && event->buttons() == event->button())
        grabber->ungrabMouse();
    if (itemAt(event->position().toPoint())) {
        QGraphicsView::mousePressEvent(event);
        return;
    }
    if (event->button() == Qt::MiddleButton && m_zoomAndPan) {
        m_panning = true;
        m_panFrom = event->position().toPoint();
        viewport()->setCursor(Qt::ClosedHandCursor);
    }
    event->accept();
    emit pressed(event->button());
}

void Board::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press like any other; an element
    // hands it on to its own press handler.
    if (itemAt(event->position().toPoint()))
        QGraphicsView::mouseDoubleClickEvent(event);
    else
        mousePressEvent(event);
}

void Board::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_panning) {
        QGraphicsView::mouseMoveEvent(event);
        return;
    }
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
        return;
    }
    QGraphicsView::mouseReleaseEvent(event);
}

void Board::makePreview()
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setCacheMode(QGraphicsView::CacheNone);
    setBackgroundBrush(Qt::NoBrush);
    setStyleSheet(QStringLiteral("QGraphicsView { background: transparent; }"));
    viewport()->setAutoFillBackground(false);
    setGeometry(parentWidget()->rect());
}

// ---- Zoom ----

void Board::enableZoomAndPan()
{
    m_zoomAndPan = true;
    auto* reset = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_0), this);
    reset->setContext(Qt::WindowShortcut);
    connect(reset, &QShortcut::activated, this, &Board::resetView);
}

qreal Board::zoom() const
{
    return transform().m11();
}

void Board::setZoom(qreal factor, const QPoint& anchor)
{
    factor = std::clamp(factor, MinimumZoom, MaximumZoom);
    const QPointF under = mapToScene(anchor);
    setTransform(QTransform::fromScale(factor, factor));
    // Scroll so that the board point that was under the anchor is again.
    const QPointF shift = mapFromScene(under) - QPointF(anchor);
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + qRound(shift.x()));
    verticalScrollBar()->setValue(verticalScrollBar()->value() + qRound(shift.y()));
}

void Board::resetView()
{
    setTransform(QTransform());
    horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
}

void Board::wheelEvent(QWheelEvent* event)
{
    if (!m_zoomAndPan || !(event->modifiers() & Qt::ControlModifier)) {
        QGraphicsView::wheelEvent(event);
        return;
    }
    // One notch of the wheel zooms by a quarter.
    const qreal notches = event->angleDelta().y() / 120.0;
    setZoom(zoom() * std::pow(1.25, notches), event->position().toPoint());
    event->accept();
}
