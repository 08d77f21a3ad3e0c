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
    m_again = false;
    m_failureSaid = false;
}

bool SaveSoon::isPending() const
{
    return m_timer->isActive() || m_running || m_again;
}

void SaveSoon::retryAfterFailure(std::function<void()> recovered)
{
    m_retry = true;
    m_recovered = std::move(recovered);
}

void SaveSoon::goesOnInBackground(std::function<void()> waitForBackground)
{
    m_waitForBackground = std::move(waitForBackground);
}

void SaveSoon::waitForBackground()
{
    if (m_running && m_waitForBackground)
        m_waitForBackground();
}

void SaveSoon::saveNow()
{
    // A save running holds what was changed before it, not since.
    waitForBackground();
    fire();
    // A save may find more to write when it ends (another copy's changes
    // merged first).
    while (m_running && m_waitForBackground)
        m_waitForBackground();
}

void SaveSoon::fire()
{
    if (m_running) {
        stop();
        m_again = true;
        return;
    }
    stop();
    m_running = true;
    if (const std::optional<QString> error = m_save())
        finished(*error);
}

void SaveSoon::finished(const QString& error)
{
    if (!std::exchange(m_running, false))
        return;
    if (std::exchange(m_again, false))
        m_timer->start(0);
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
