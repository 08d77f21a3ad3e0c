#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Runs close in the event loop when the program is asked to end by a signal
// (SIGTERM from a session that ends or from kill, SIGINT, SIGHUP), so that it
// closes as through its close button, saving what it saves then, instead of
// ending on the spot. One at a time; nothing on systems without these signals.
class CloseSignal : public QObject {
public:
    explicit CloseSignal(std::function<void()> close, QObject* parent = nullptr);
    ~CloseSignal() override;

private:
    std::function<void()> m_close;
    QSocketNotifier* m_notifier = nullptr;
};
