#pragma once

#include "platform/WholeNumber.h"

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <optional>

// The times of alarms and the arithmetic of their periods. Times are counted on
// the wall clock of the local calendar, in milliseconds from the start of Julian
// day 0: the alarm texts carry no time zone, and a period of days keeps its time
// of day across daylight-saving changes.
namespace Alarm {

using Millis = qint64;

// The Time text of a row: "dd.mm.yyyy hh:nn:ss", e.g. "07.12.2026 14:30:00",
// for years 1 to 9999.
QString timeText(const QDate& date, const QTime& time);
// The same of a moment readTime() gave (its milliseconds left out).
QString timeText(Millis at);

// Reads a Time text. Day, month, hour, minute and second may have one or two
// digits, the year has four; nothing else may stand around them.
std::optional<Millis> readTime(QStringView text);
// The same, split into its date and its time of day.
bool readTime(QStringView text, QDate* date, QTime* time);

// The wall-clock reading of a date and time.
Millis wallClock(const QDateTime& dateTime);

// The alarm list's order by start: negative when a comes first, 0 for equal
// starts. A start that cannot be read comes after every readable one.
inline int compareStarts(const std::optional<Millis>& a, const std::optional<Millis>& b)
{
    if (a && b)
        return *a < *b ? -1 : (*b < *a ? 1 : 0);
    return int(!a) - int(!b);
}

// The alarm's period, from start to end, both excluded.
struct Period {
    Millis start = 0;
    // No end: the end lies beyond the last day the calendar holds (31.12.9999),
    // so the period runs on from its start.
    std::optional<Millis> end;

    bool contains(Millis now) const { return now > start && (!end || *end > now); }
    bool operator==(const Period&) const = default;
};

// start plus duration in unit: "Years" (12 calendar months each), "Months"
// (calendar months, the day cut to the month's last day), "Days", "Hours",
// "Minutes"; any other text counts as seconds. Unit names are case-sensitive.
// A duration of 0 or less gives an empty period.
Period period(Millis start, qint64 duration, QStringView unit);

// The period as the notices say it: "14:30 to 15:30". The start has its date
// ("07.12.2026 14:30") when it lies on another day than today, the end when
// it lies on another day than the start; the seconds show when either has
// any; a period with no end is "14:30 with no end".
QString periodText(const Period& period, const QDate& today);

} // namespace Alarm
