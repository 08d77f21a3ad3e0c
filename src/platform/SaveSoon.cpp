#include "platform/SaveSoon.h"

#include "platform/Clock.h"
#include "platform/Dialogs.h"

#include <QTimer>

#include <algorithm>
#include <utility>

SaveSoon::SaveSoon(Clock& clock, Dialogs& dialogs, Save save, QObject* parent, int idleMs)
    : QObject(parent), m_clock(clock), m_dialogs(dialogs), m_save(std::move(save)),
      m_idleMs(idleMs), m_timer(new QTimer(this))
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
    m_timer->start(int(std::clamp<qint64>(untilLongest, 0, m_idleMs)));
}

void SaveSoon::stop()
{
    m_timer->stop();
    m_firstChange = -1;
}

void SaveSoon::settle()
{
    stop();
    m_failureSaid = false;
}

bool SaveSoon::isPending() const
{
    return m_timer->isActive();
}

void SaveSoon::retryAfterFailure(std::function<void()> recovered)
{
    m_retry = true;
    m_recovered = std::move(recovered);
}

void SaveSoon::fire()
{
    stop();
    const QString error = m_save();
    if (error.isEmpty()) {
        if (std::exchange(m_failureSaid, false) && m_recovered)
            m_recovered();
        return;
    }
    if (m_retry)
        m_timer->start(m_idleMs);
    if (!m_failureSaid) {
        // Set before the box: its event loop may run another save.
        m_failureSaid = true;
        m_dialogs.error(error);
    }
}
