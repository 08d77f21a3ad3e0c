#pragma once

#include <QObject>

#include <functional>
#include <optional>

class Clock;
class Dialogs;
class QTimer;

// Writes what was changed soon after the change, so that a crash or a power
// cut loses a few seconds of work at most: IdleMs after the last change, and
// no later than LongestMs after the first change not yet written, so that
// steady typing is written too. The save itself decides whether there is
// anything to write, and returns what went wrong. A failure is said once,
// until a save succeeds or the owner settles; the next change tries again.
// A save may go on in the background: its owner then tells finished() on
// this thread, and a change meanwhile is saved after it.
class SaveSoon : public QObject {
public:
    static constexpr int IdleMs = 2000;
    static constexpr int LongestMs = 10000;

    // Returns the error text of a failed save; empty when it wrote, or found
    // nothing to write; no value when the save goes on in the background.
    using Save = std::function<std::optional<QString>()>;

    SaveSoon(Clock& clock, Dialogs& dialogs, Save save, QObject* parent, int idleMs = IdleMs);

    // A change not yet written: the save runs after the delay from now.
    void changed();
    // Nothing is left for it to write (a close or a switch wrote it, or will
    // ask, or the file was read again): no save runs until the next change.
    void settle();
    bool isPending() const;
    // After a failure the save is tried again every idle delay, not only at
    // the next change (a folder gone read-only or away comes back), and
    // recovered() runs once it writes again.
    void retryAfterFailure(std::function<void()> recovered);
    // A save in the background ends by calling waitForBackground() on this
    // thread, which waits for it and tells finished().
    void goesOnInBackground(std::function<void()> waitForBackground);
    // The save that went on in the background ended with this error (empty
    // when it wrote, or found nothing to write).
    void finished(const QString& error);
    // Until then the save runs still; a save in the background is waited for.
    bool isRunning() const { return m_running; }
    void waitForBackground();
    // The single-shot timer whose timeout runs the save; its interval is the
    // delay from the last change.
    QTimer* timer() const { return m_timer; }
    // What the timer runs out into: the save, now; after the one running, if any.
    void fire();
    // The save now, waited for when it goes on in the background.
    void saveNow();

private:
    void stop();

    Clock& m_clock;
    Dialogs& m_dialogs;
    Save m_save;
    const int m_idleMs;
    QTimer* m_timer;
    // Clock::elapsedMs() at the first change not yet written; -1 when none.
    qint64 m_firstChange = -1;
    bool m_failureSaid = false;
    bool m_retry = false;
    std::function<void()> m_recovered;
    bool m_running = false;
    // A save is due as soon as the one running ends.
    bool m_again = false;
    std::function<void()> m_waitForBackground;
};
