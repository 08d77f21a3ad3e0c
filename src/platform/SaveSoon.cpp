#include "platform/SaveSoon.h"

#include "platform/Clock.h"

#include <QTimer>

#include <algorithm>

SaveSoon::SaveSoon(Clock& clock, std::function<void()> save, QObject* parent)
    : QObject(parent), m_clock(clock), m_save(std::move(save)), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &SaveSoon::fire);
}

void SaveSoon::changed()
{
    const qint64 now = m_clock.elapsedMs();
    if (m_firstChange < 0)
        m_firstChange = now;
    const qint64 untilLongest = m_firstChange + LongestMs - now;
    m_timer->start(int(std::clamp<qint64>(untilLongest, 0, IdleMs)));
}

void SaveSoon::settle()
{
    m_timer->stop();
    m_firstChange = -1;
}

bool SaveSoon::isPending() const
{
    return m_timer->isActive();
}

void SaveSoon::fire()
{
    settle();
    m_save();
}
