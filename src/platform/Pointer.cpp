#include "platform/Pointer.h"

#include <QCoreApplication>
#include <algorithm>
#include <QCursor>
#include <QEvent>

QPoint CursorPointer::pos() const
{
    return QCursor::pos();
}

void CursorPointer::setPos(const QPoint& pos)
{
    QCursor::setPos(pos);
}

void CursorPointer::confine(const QRect& rect)
{
    if (!m_rect)
        QCoreApplication::instance()->installEventFilter(this);
    m_rect = rect.normalized();
}

void CursorPointer::release()
{
    if (m_rect)
        QCoreApplication::instance()->removeEventFilter(this);
    m_rect.reset();
}

bool CursorPointer::eventFilter(QObject* watched, QEvent* event)
{
    if (m_rect && event->type() == QEvent::MouseMove) {
        const QPoint at = QCursor::pos();
        const QPoint inside(std::clamp(at.x(), m_rect->left(), m_rect->right()),
                            std::clamp(at.y(), m_rect->top(), m_rect->bottom()));
        if (inside != at)
            QCursor::setPos(inside);
    }
    return QObject::eventFilter(watched, event);
}
