#include "alarms/ThreadTimer.h"

#include "platform/Clock.h"

#include <chrono>

TThreadTimer::TThreadTimer(Clock& clock, std::function<void()> check, QObject* parent)
    : QThread(parent), m_clock(clock), m_check(std::move(check))
{
    setObjectName(QStringLiteral("ThreadTimer"));
}

TThreadTimer::~TThreadTimer()
{
    stop();
}

void TThreadTimer::requestStop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
}

bool TThreadTimer::isStopRequested() const
{
    std::lock_guard lock(m_mutex);
    return m_stop;
}

void TThreadTimer::stop()
{
    requestStop();
    wait();
}

void TThreadTimer::run()
{
    std::unique_lock lock(m_mutex);
    bool first = true;
    while (!m_stop) {
        const qint64 since = m_clock.elapsedMs() - LastTick;
        if (first || since > Interval) {
            first = false;
            LastTick = m_clock.elapsedMs();
            m_checkPending = true;
            ++m_handOffs;
            QMetaObject::invokeMethod(this, &TThreadTimer::runCheck, Qt::QueuedConnection);
            m_wake.wait(lock, [this] { return m_stop || !m_checkPending; });
            continue;
        }
        // Due when more than Interval has passed: one millisecond after it.
        m_wake.wait_for(lock, std::chrono::milliseconds(Interval - since + 1));
    }
}

// On the user-interface thread, between its messages.
void TThreadTimer::runCheck()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stop) {
            m_checkPending = false;
            return;
        }
    }
    if (m_check)
        m_check();
    {
        std::lock_guard lock(m_mutex);
        m_checkPending = false;
    }
    m_wake.notify_all();
}
