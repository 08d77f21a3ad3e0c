#include "board/Board.h"

#include "board/ObjectLabel.h"
#include "board/ObjectShape.h"
#include "platform/ColorRef.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <QShortcut>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

Board::Board(QWidget* parent) : QAbstractScrollArea(parent)
{
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
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    m_boardSize = size();
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
    element->m_slot = m_elements.size();
    m_elements.push_back(element);
    (element->kind() == BoardElement::Kind::Shape ? m_shapeCount : m_labelCount) += 1;
}

void Board::compactElements()
{
    m_elements.erase(std::remove(m_elements.begin(), m_elements.end(), nullptr), m_elements.end());
    for (std::size_t slot = 0; slot < m_elements.size(); ++slot)
        m_elements[slot]->m_slot = slot;
    m_removedSlots = 0;
}

void Board::forget(BoardElement* element)
{
    if (m_pressedElement == element)
        m_pressedElement = nullptr;
    m_byName.remove(element->objectName().toLower(), element);
    (element->kind() == BoardElement::Kind::Shape ? m_shapeCount : m_labelCount) -= 1;
    updateArea(element->geometry());
    m_elements[element->m_slot] = nullptr;
    ++m_removedSlots;
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
    m_byCaption.remove(label->caption(), label);
}

QFont Board::sharedFont(const QFont& font)
{
    const QString key = font.key();
    auto it = m_fonts.constFind(key);
    if (it != m_fonts.constEnd())
        return *it;
    m_fonts.insert(key, font);
    return font;
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
    const auto [begin, end] = m_byName.equal_range(name.toLower());
    for (auto it = begin; it != end; ++it)
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

void Board::removeAllOf(BoardElement::Kind kind)
{
    BulkChange change(*this);
    // One pass, then one compaction: linear however the kinds interleave.
    for (BoardElement*& element : m_elements) {
        if (element && element->kind() == kind)
            delete element;
    }
    compactElements();
}

void Board::removeShapes()
{
    removeAllOf(BoardElement::Kind::Shape);
}

void Board::removeLabels()
{
    removeAllOf(BoardElement::Kind::Caption);
}

void Board::clear()
{
    BulkChange change(*this);
    for (BoardElement* element : m_elements)
        delete element;
    compactElements();
    m_fonts.clear();
}

Board::BulkChange::BulkChange(Board& board) : m_board(board)
{
    ++m_board.m_bulkChanges;
}

Board::BulkChange::~BulkChange()
{
    if (--m_board.m_bulkChanges == 0)
        m_board.viewport()->update();
}

void Board::updateArea(const QRect& boardRect)
{
    if (m_bulkChanges > 0 || !isVisible())
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
    // Stretched over the whole client area, whatever its aspect ratio; made
    // once per board size, not at every paint.
    if (m_stretchedBackground.size() != m_boardSize)
        m_stretchedBackground = QPixmap::fromImage(m_background.scaled(
            m_boardSize, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    const QRect covered = exposedBoard & QRect(QPoint(0, 0), m_boardSize);
    if (!covered.isEmpty())
        painter.drawPixmap(covered, m_stretchedBackground, covered);
}

void Board::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QPoint offset = scrollOffset();
    painter.translate(-offset);
    painter.scale(m_zoom, m_zoom);
    const QRect exposedBoard =
        QRectF(QPointF(event->rect().topLeft() + offset) / m_zoom,
               QSizeF(event->rect().size()) / m_zoom)
            .toAlignedRect()
            .adjusted(-1, -1, 1, 1);
    paintBoard(painter, exposedBoard);
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

void Board::paintBoard(QPainter& painter, const QRect& boardRect)
{
    paintBackground(painter, boardRect);
    for (const BoardElement* element : m_elements)
        if (element && element->isVisible() && element->geometry().intersects(boardRect))
            element->paint(painter);
}

void Board::resizeEvent(QResizeEvent* event)
{
    // The board is the client area: the widget's whole size, scroll bars or not.
    m_boardSize = event->size();
    updateScrollRanges();
    QAbstractScrollArea::resizeEvent(event);
}

void Board::scrollContentsBy(int, int)
{
    viewport()->update();
}

void Board::updateScrollRanges()
{
    const QSize content = (QSizeF(m_boardSize) * m_zoom).toSize();
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - view.width()));
    verticalScrollBar()->setRange(0, std::max(0, content.height() - view.height()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setPageStep(view.height());
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
    default: break;
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

BoardElement* Board::elementAtBoardPoint(const QPoint& boardPoint) const
{
    for (auto it = m_elements.crbegin(); it != m_elements.crend(); ++it)
        if (*it && (*it)->isVisible() && (*it)->geometry().contains(boardPoint))
            return *it;
    return nullptr;
}

BoardElement* Board::elementAt(const QPoint& global) const
{
    return elementAtBoardPoint(boardPoint(global));
}

// ---- Mouse ----

void Board::mousePressEvent(QMouseEvent* event)
{
    m_lastPressTime = event->timestamp();
    // The element pressed keeps every press until all buttons are up, as a
    // widget under the pointer does. A press whose release went elsewhere (a
    // pop-up menu opened on it) leaves nothing held.
    if (m_pressedElement && event->buttons() == event->button())
        m_pressedElement = nullptr;
    if (!m_pressedElement)
        m_pressedElement = elementAt(event->globalPosition().toPoint());
    if (auto* shape = qobject_cast<ObjectShape*>(m_pressedElement.data())) {
        emit shapeMousePressed(shape, event->button(), event->buttons());
        return;
    }
    if (auto* label = qobject_cast<ObjectLabel*>(m_pressedElement.data())) {
        emit labelMousePressed(label, event->button());
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
    if (auto* shape = qobject_cast<ObjectShape*>(m_pressedElement.data())) {
        emit shapeMouseMoved(shape, event->buttons());
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
    QPointer<BoardElement> released = m_pressedElement;
    if (event->buttons() == Qt::NoButton)
        m_pressedElement = nullptr;
    if (auto* shape = qobject_cast<ObjectShape*>(released.data()))
        emit shapeMouseReleased(shape, event->button());
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
    auto* reset = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_0), this);
    reset->setContext(Qt::WindowShortcut);
    connect(reset, &QShortcut::activated, this, &Board::resetView);
}

void Board::setZoom(qreal factor, const QPoint& anchor)
{
    factor = std::clamp(factor, MinimumZoom, MaximumZoom);
    const QPointF under = toBoard(QPointF(anchor));
    m_zoom = factor;
    updateScrollRanges();
    // Scroll so that the board point that was under the anchor is again.
    const QPointF scrolled = under * m_zoom - QPointF(anchor);
    horizontalScrollBar()->setValue(qRound(scrolled.x()));
    verticalScrollBar()->setValue(qRound(scrolled.y()));
    viewport()->update();
}

void Board::resetView()
{
    m_zoom = 1.0;
    updateScrollRanges();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    viewport()->update();
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
