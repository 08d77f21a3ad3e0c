// The board by keyboard: the current object shown with a focus frame, and
// the keys that walk, move, open and remove objects.
#include "board/Board.h"

#include "board/BoardObjects.h"

#include <QKeyEvent>
#include <QPainter>
#include <cmath>

void Board::enableKeyboard()
{
    m_keyboard = true;
    setFocusPolicy(Qt::StrongFocus);
}

BoardElement* Board::currentObject() const
{
    return m_currentSequence ? m_model->elementWithSequence(m_currentSequence) : nullptr;
}

void Board::setCurrentObject(BoardElement* object)
{
    const quint64 sequence = object ? object->sequence() : 0;
    if (sequence == m_currentSequence)
        return;
    m_currentSequence = sequence;
    refreshFocusFrame();
    emit currentObjectChanged(object);
}

QRect Board::focusFrame() const
{
    const BoardElement* object = currentObject();
    if (!m_keyboardCue || !object || !object->isVisible())
        return {};
    // Three screen pixels outside the object at any zoom.
    const int margin = int(std::ceil(3 / m_zoom));
    return m_objects->area(object).adjusted(-margin, -margin, margin, margin);
}

QRect Board::globalArea(const BoardElement* object) const
{
    const QRect area = m_objects->area(object);
    if (area.isNull())
        return {};
    return QRect(globalPoint(area.topLeft()),
                 globalPoint(area.bottomRight() + QPoint(1, 1)) - QPoint(1, 1));
}

void Board::refreshFocusFrame()
{
    const QRect now = focusFrame();
    if (now == m_shownFocusFrame)
        return;
    if (!m_shownFocusFrame.isNull())
        updateArea(m_shownFocusFrame);
    if (!now.isNull())
        updateArea(now);
    m_shownFocusFrame = now;
}

void Board::paintFocusFrame(QPainter& painter, const QRect& exposedBoard)
{
    const QRect frame = focusFrame();
    if (frame.isNull() || !frame.intersects(exposedBoard))
        return;
    // Dashes of black over white: seen on any colour, unlike the found frame.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    QPen light(Qt::white, 0);
    painter.setPen(light);
    painter.drawRect(QRectF(frame));
    QPen dashes(Qt::black, 0, Qt::DashLine);
    painter.setPen(dashes);
    painter.drawRect(QRectF(frame));
}

void Board::stepCurrentObject(bool forward)
{
    const qsizetype count = m_objects->count();
    if (count == 0)
        return;
    const qsizetype at = m_objects->indexOf(currentObject());
    // From none (or an object no longer walked), Tab starts at the first and
    // Shift+Tab at the last; both go round.
    qsizetype next;
    if (at < 0)
        next = forward ? 0 : count - 1;
    else
        next = (at + (forward ? 1 : count - 1)) % count;
    m_keyboardCue = true;
    emit objectChosen(m_objects->at(next));
    refreshFocusFrame();
}

bool Board::focusNextPrevChild(bool next)
{
    // Tab stays on the board while it has objects to walk.
    if (m_keyboard && m_objects->count() > 0) {
        stepCurrentObject(next);
        return true;
    }
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void Board::keyPressEvent(QKeyEvent* event)
{
    BoardElement* object = currentObject();
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool menuKey = (event->key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
                         (event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
    if (m_keyboard && !object && menuKey) {
        // The board's own menu, at the middle of the view.
        emit boardMenuRequested(viewport()->mapToGlobal(viewport()->rect().center()));
        event->accept();
        return;
    }
    if (!m_keyboard || !object) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int step = modifiers == Qt::ShiftModifier ? 10 : 1;
    const bool plain = modifiers == Qt::NoModifier;
    QPoint by;
    switch (event->key()) {
    case Qt::Key_Left:
        by = QPoint(-step, 0);
        break;
    case Qt::Key_Right:
        by = QPoint(step, 0);
        break;
    case Qt::Key_Up:
        by = QPoint(0, -step);
        break;
    case Qt::Key_Down:
        by = QPoint(0, step);
        break;
    default:
        break;
    }
    if (!by.isNull() && (plain || modifiers == Qt::ShiftModifier)) {
        m_keyboardCue = true;
        emit objectMoveRequested(object, by);
    } else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain) {
        m_keyboardCue = true;
        emit objectOpenRequested(object);
    } else if (menuKey) {
        m_keyboardCue = true;
        const QRect area = m_objects->area(object);
        emit objectMenuRequested(object, globalPoint(area.center()));
    } else if (event->key() == Qt::Key_Delete && plain) {
        m_keyboardCue = true;
        emit objectRemoveRequested(object);
    } else if (event->key() == Qt::Key_Escape && plain) {
        emit objectChosen(nullptr);
    } else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    refreshFocusFrame();
    event->accept();
}
