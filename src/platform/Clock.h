#pragma once

#include <QDateTime>
#include <QElapsedTimer>

// The wall clock and a monotonic millisecond counter (64 bits: no wrap).
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    virtual qint64 elapsedMs() const = 0;
};

class SystemClock : public Clock {
public:
    SystemClock() { m_started.start(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    qint64 elapsedMs() const override { return m_started.elapsed(); }

private:
    QElapsedTimer m_started;
};
