#pragma once

#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

class Clock;

// The pace of the alarm check: a worker thread that has the check run on the
// thread that created it (the user-interface thread) and waits until it is
// done. The first check is requested as soon as the worker runs, each next one
// when more than Interval milliseconds of the clock's counter have passed since
// the request of the last; between them the worker sleeps.
//
// Stopping never waits on the user-interface thread: a check that was requested
// but not yet begun is dropped, and no check begins once a stop was requested.
class TThreadTimer : public QThread {
    Q_OBJECT
public:
    TThreadTimer(Clock& clock, std::function<void()> check, QObject* parent = nullptr);
    // Stops the worker and waits for it to end.
    ~TThreadTimer() override;

    int interval() const { return Interval; }
    void setInterval(int milliseconds) { Interval = milliseconds; }
    // The counter's value at the request of the last check.
    qint64 lastTick() const { return LastTick; }
    // How many checks were handed to the user-interface thread.
    int handOffs() const { return m_handOffs; }

    // Asks the worker to end and wakes it; returns at once. Call it from the
    // thread that created the timer.
    void requestStop();
    bool isStopRequested() const;
    // requestStop() and waiting for the worker to end.
    void stop();

protected:
    void run() override;

private:
    void runCheck();

    Clock& m_clock;
    std::function<void()> m_check;
    std::atomic<int> Interval{1000};
    std::atomic<qint64> LastTick{0};
    std::atomic<int> m_handOffs{0};

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_checkPending = false;
};
