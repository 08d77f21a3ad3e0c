#include "main/PaintReport.h"

#include "board/Board.h"
#include "main/Body.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

PaintReport::PaintReport(TForm1& form, Then then) : QObject(&form), m_form(form), m_then(then)
{
    form.Timer1->installEventFilter(this);
    form.board().viewport()->installEventFilter(this);
}

bool PaintReport::eventFilter(QObject* watched, QEvent* event)
{
    // Only a timer tick or a paint concerns the report; the watched widgets
    // send other events while the main window is destroyed, when it may no
    // longer be touched.
    if (m_reported || (event->type() != QEvent::Timer && event->type() != QEvent::Paint))
        return false;
    if (watched == m_form.Timer1 && event->type() == QEvent::Timer && m_timerTicked == 0)
        m_timerTicked = QDateTime::currentMSecsSinceEpoch();
    // The first paint after the start-up load; the report waits until the
    // paint, and with it the copy to the screen, is done.
    if (event->type() == QEvent::Paint && m_timerTicked != 0 && !m_form.Timer1->isActive() &&
        !m_reported) {
        m_reported = true;
        QTimer::singleShot(0, this, &PaintReport::report);
    }
    return false;
}

void PaintReport::report()
{
    long peakKib = 0;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                peakKib = line.mid(6).trimmed().split(' ').first().toLong();
    std::fprintf(stderr, "painted objects=%lld timer=%lld painted=%lld peak_kib=%ld\n",
                 static_cast<long long>(m_form.boardModel().shapeCount()),
                 static_cast<long long>(m_timerTicked),
                 static_cast<long long>(QDateTime::currentMSecsSinceEpoch()), peakKib);
    std::fflush(stderr);
    if (m_then == Then::Exit)
        std::_Exit(0);
}
