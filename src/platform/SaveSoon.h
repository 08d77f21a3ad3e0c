#pragma once

#include <QObject>

#include <functional>

class Clock;
class QTimer;

// Writes what was typed soon after it was typed, so that a crash or a power
// cut loses a few seconds of typing at most: IdleMs after the last change, and
// no later than LongestMs after the first change not yet written, so that
// steady typing is written too. The save itself decides whether there is
// anything to write.
class SaveSoon : public QObject {
public:
    static constexpr int IdleMs = 2000;
    static constexpr int LongestMs = 10000;

    SaveSoon(Clock& clock, std::function<void()> save, QObject* parent);

    // A change not yet written: the save runs after the delay from now.
    void changed();
    // Nothing is left for it to write (a close or a switch wrote it, or will
    // ask): no save runs until the next change.
    void settle();
    bool isPending() const;
    // The single-shot timer whose timeout runs the save; its interval is the
    // delay from the last change.
    QTimer* timer() const { return m_timer; }
    // What the timer runs out into: the save, now.
    void fire();

private:
    Clock& m_clock;
    std::function<void()> m_save;
    QTimer* m_timer;
    // Clock::elapsedMs() at the first change not yet written; -1 when none.
    qint64 m_firstChange = -1;
};
