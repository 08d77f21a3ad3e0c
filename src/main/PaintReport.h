#pragma once

#include <QObject>

class TForm1;

// For the board benchmarks: once the project the start-up timer loads has been
// painted in the window, prints one line to the standard error, when the
// timer ticked and when the paint ended (milliseconds since the epoch), the
// number of objects and the peak memory so far:
//     painted objects=N timer=T painted=P peak_kib=K
// and ends the program when asked to.
class PaintReport : public QObject {
public:
    enum class Then { KeepRunning, Exit };
    PaintReport(TForm1& form, Then then);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void report();

    TForm1& m_form;
    Then m_then;
    qint64 m_timerTicked = 0;
    bool m_reported = false;
};
