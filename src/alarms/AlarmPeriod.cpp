#include "alarms/AlarmPeriod.h"

#include <limits>

namespace Alarm {

namespace {

constexpr Millis DayMs = 86'400'000;
constexpr qint64 MaxMonthIndex = 9999 * 12 + 11; // December 9999, months counted from year 0

// The first moment after the calendar's last day, 01.01.10000 00:00:00.
Millis calendarLimit()
{
    static const Millis limit = QDate(10000, 1, 1).toJulianDay() * DayMs;
    return limit;
}

class Cursor {
public:
    explicit Cursor(QStringView text) : m_text(text) {}

    bool number(int minDigits, int maxDigits, int* value)
    {
        int digits = 0;
        int result = 0;
        while (digits < maxDigits && m_at < m_text.size() && m_text[m_at] >= u'0' &&
               m_text[m_at] <= u'9') {
            result = result * 10 + (m_text[m_at].unicode() - u'0');
            ++m_at;
            ++digits;
        }
        *value = result;
        return digits >= minDigits;
    }
    bool literal(char16_t c)
    {
        if (m_at >= m_text.size() || m_text[m_at] != c)
            return false;
        ++m_at;
        return true;
    }
    bool atEnd() const { return m_at == m_text.size(); }

private:
    QStringView m_text;
    qsizetype m_at = 0;
};

// Digit by digit: the list of a million alarms writes every row's Time text
// at each save.
QString timeText(int day, int month, int year, int hour, int minute, int second)
{
    char16_t text[19];
    const auto two = [&text](int at, int value) {
        text[at] = char16_t(u'0' + value / 10);
        text[at + 1] = char16_t(u'0' + value % 10);
    };
    two(0, day);
    text[2] = u'.';
    two(3, month);
    text[5] = u'.';
    two(6, year / 100);
    two(8, year % 100);
    text[10] = u' ';
    two(11, hour);
    text[13] = u':';
    two(14, minute);
    text[16] = u':';
    two(17, second);
    return QString(reinterpret_cast<const QChar*>(text), 19);
}

} // namespace

QString timeText(const QDate& date, const QTime& time)
{
    return timeText(date.day(), date.month(), date.year(), time.hour(), time.minute(),
                    time.second());
}

QString timeText(Millis at)
{
    const QDate date = QDate::fromJulianDay(at / DayMs);
    const int seconds = int((at % DayMs) / 1000);
    return timeText(date.day(), date.month(), date.year(), seconds / 3600, seconds / 60 % 60,
                    seconds % 60);
}

bool readTime(QStringView text, QDate* date, QTime* time)
{
    Cursor at(text);
    int day, month, year, hour, minute, second;
    if (!(at.number(1, 2, &day) && at.literal(u'.') && at.number(1, 2, &month) &&
          at.literal(u'.') && at.number(4, 4, &year) && at.literal(u' ') &&
          at.number(1, 2, &hour) && at.literal(u':') && at.number(1, 2, &minute) &&
          at.literal(u':') && at.number(1, 2, &second) && at.atEnd()))
        return false;
    const QDate d(year, month, day);
    const QTime t(hour, minute, second);
    if (!d.isValid() || !t.isValid())
        return false;
    *date = d;
    *time = t;
    return true;
}

std::optional<Millis> readTime(QStringView text)
{
    QDate date;
    QTime time;
    if (!readTime(text, &date, &time))
        return std::nullopt;
    return date.toJulianDay() * DayMs + time.msecsSinceStartOfDay();
}

Millis wallClock(const QDateTime& dateTime)
{
    return dateTime.date().toJulianDay() * DayMs + dateTime.time().msecsSinceStartOfDay();
}

Period period(Millis start, qint64 duration, QStringView unit)
{
    Period result{start, start};
    if (duration <= 0)
        return result;

    if (unit == u"Years" || unit == u"Months") {
        const QDate date = QDate::fromJulianDay(start / DayMs);
        const Millis timeOfDay = start % DayMs;
        const qint64 fromMonth = qint64(date.year()) * 12 + (date.month() - 1);
        const qint64 room = MaxMonthIndex - fromMonth;
        const bool years = unit == u"Years";
        if (duration > (years ? room / 12 : room)) {
            result.end.reset();
            return result;
        }
        const qint64 toMonth = fromMonth + (years ? duration * 12 : duration);
        const int year = int(toMonth / 12);
        const int month = int(toMonth % 12) + 1;
        const int day = std::min(date.day(), QDate(year, month, 1).daysInMonth());
        result.end = QDate(year, month, day).toJulianDay() * DayMs + timeOfDay;
        return result;
    }

    Millis unitMs = 1000;
    if (unit == u"Days")
        unitMs = DayMs;
    else if (unit == u"Hours")
        unitMs = 3'600'000;
    else if (unit == u"Minutes")
        unitMs = 60'000;
    if (duration > (calendarLimit() - 1 - start) / unitMs)
        result.end.reset();
    else
        result.end = start + duration * unitMs;
    return result;
}

QString periodText(const Period& period, const QDate& today)
{
    const auto dateOf = [](Millis at) { return QDate::fromJulianDay(at / DayMs); };
    const auto timeOf = [](Millis at) { return QTime::fromMSecsSinceStartOfDay(int(at % DayMs)); };
    const bool seconds =
        timeOf(period.start).second() != 0 || (period.end && timeOf(*period.end).second() != 0);
    const QString timeFormat = seconds ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm");
    const auto moment = [&](Millis at, const QDate& sameDay) {
        const QString time = timeOf(at).toString(timeFormat);
        const QDate date = dateOf(at);
        return date == sameDay ? time : date.toString(QStringLiteral("dd.MM.yyyy")) + u' ' + time;
    };
    const QString start = moment(period.start, today);
    if (!period.end)
        return start + QStringLiteral(" with no end");
    return start + QStringLiteral(" to ") + moment(*period.end, dateOf(period.start));
}

} // namespace Alarm
