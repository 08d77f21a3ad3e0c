#include "alarms/AlarmPeriod.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using Alarm::Millis;

namespace {

Millis at(const char* text)
{
    const std::optional<Millis> time = Alarm::readTime(QString::fromLatin1(text));
    EXPECT_TRUE(time.has_value()) << text;
    return time.value_or(0);
}

std::optional<Millis> endOf(const char* start, qint64 duration, const char* unit)
{
    return Alarm::period(at(start), duration, QString::fromLatin1(unit)).end;
}

} // namespace

TEST(AlarmPeriodTest, TimeTextsAreReadAndWrittenInTheirFixedPattern)
{
    EXPECT_EQ(Alarm::timeText(QDate(2026, 12, 7), QTime(14, 30, 0)), "07.12.2026 14:30:00");
    EXPECT_EQ(Alarm::timeText(QDate(987, 1, 2), QTime(3, 4, 5)), "02.01.0987 03:04:05");
    EXPECT_EQ(at("07.12.2026 14:30:00") - at("07.12.2026 14:29:59"), 1000);
    EXPECT_EQ(at("7.2.2026 4:30:00"), at("07.02.2026 04:30:00"));

    for (const char* bad : {"", "07.12.202614:30:00", "07.12.26 14:30:00", "31.02.2026 10:00:00",
                            "07.12.2026 24:00:00", "07.12.2026  14:30:00", "07.12.2026 14:30:00 ",
                            "07-12-2026 14:30:00", "aa.bb.cccc dd:ee:ff", "07.12.2026 14:30"})
        EXPECT_FALSE(Alarm::readTime(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(AlarmPeriodTest, WholeNumbersTakeASignAndDigitsOnly)
{
    EXPECT_EQ(readWholeNumber(u"86400"), 86400);
    EXPECT_EQ(readWholeNumber(u"+5"), 5);
    EXPECT_EQ(readWholeNumber(u"-3"), -3);
    EXPECT_EQ(readWholeNumber(u"99999999999"), 99999999999LL);
    EXPECT_EQ(readWholeNumber(u"999999999999999999999999"), std::numeric_limits<qint64>::max());
    for (const char16_t* bad : {u"", u"abc", u"1-2", u"1.5", u" 1", u"+", u"1e3"})
        EXPECT_FALSE(readWholeNumber(bad).has_value());
}

TEST(AlarmPeriodTest, CalendarMonthsCutTheDayToTheMonthsEnd)
{
    EXPECT_EQ(endOf("31.01.2026 10:00:00", 1, "Months"), at("28.02.2026 10:00:00"));
    EXPECT_EQ(endOf("29.02.2024 08:00:00", 1, "Years"), at("28.02.2025 08:00:00"));
    EXPECT_EQ(endOf("29.02.2024 08:00:00", 4, "Years"), at("29.02.2028 08:00:00"));
    EXPECT_EQ(endOf("31.03.2026 10:00:00", 13, "Months"), at("30.04.2027 10:00:00"));
    EXPECT_EQ(endOf("15.11.2026 23:59:59", 2, "Months"), at("15.01.2027 23:59:59"));
}

TEST(AlarmPeriodTest, FixedUnitsAddTheirLengthAndUnknownUnitsCountAsSeconds)
{
    EXPECT_EQ(endOf("07.12.2026 14:30:00", 3, "Days"), at("10.12.2026 14:30:00"));
    EXPECT_EQ(endOf("31.12.2026 23:00:00", 2, "Hours"), at("01.01.2027 01:00:00"));
    EXPECT_EQ(endOf("10.12.2026 10:00:00", 3, "Minutes"), at("10.12.2026 10:03:00"));
    EXPECT_EQ(endOf("10.12.2026 10:00:00", 90, "Seconds"), at("10.12.2026 10:01:30"));
    EXPECT_EQ(endOf("10.12.2026 10:00:00", 90, "weeks"), at("10.12.2026 10:01:30"));
    EXPECT_EQ(endOf("10.12.2026 10:00:00", 2, "days"), at("10.12.2026 10:00:02")); // case counts
    EXPECT_EQ(endOf("10.12.2026 10:00:00", 2, "YEARS"), at("10.12.2026 10:00:02"));
}

TEST(AlarmPeriodTest, BothEndsAreExcluded)
{
    const Alarm::Period period = Alarm::period(at("10.12.2026 10:00:00"), 3, u"Minutes");
    EXPECT_FALSE(period.contains(at("10.12.2026 09:59:59")));
    EXPECT_FALSE(period.contains(at("10.12.2026 10:00:00")));
    EXPECT_TRUE(period.contains(at("10.12.2026 10:00:00") + 1));
    EXPECT_TRUE(period.contains(at("10.12.2026 10:02:59") + 999));
    EXPECT_FALSE(period.contains(at("10.12.2026 10:03:00")));

    for (const qint64 empty : {0, -5}) {
        const Alarm::Period none = Alarm::period(at("10.12.2026 10:00:00"), empty, u"Days");
        EXPECT_FALSE(none.contains(at("10.12.2026 10:00:00") + 1));
        EXPECT_FALSE(none.contains(at("09.12.2026 10:00:00")));
    }
}

TEST(AlarmPeriodTest, AnEndBeyondTheCalendarMeansThePeriodNeverEnds)
{
    EXPECT_EQ(endOf("07.12.2026 14:30:00", 7973, "Years"), at("07.12.9999 14:30:00"));
    EXPECT_FALSE(endOf("07.12.2026 14:30:00", 7974, "Years").has_value());
    EXPECT_FALSE(endOf("07.12.2026 14:30:00", std::numeric_limits<qint64>::max(), "Months"));
    EXPECT_FALSE(endOf("07.12.2026 14:30:00", std::numeric_limits<qint64>::max(), "Years"));
    EXPECT_FALSE(endOf("07.12.2026 14:30:00", 99999999999LL, "Days").has_value());
    EXPECT_EQ(endOf("31.12.9999 23:59:58", 1, "Seconds"), at("31.12.9999 23:59:59"));
    EXPECT_FALSE(endOf("31.12.9999 23:59:59", 1, "Seconds").has_value());
    EXPECT_TRUE(endOf("07.12.2026 14:30:00", 99999999999LL, "Seconds").has_value());

    const Alarm::Period endless = Alarm::period(at("07.12.2026 14:30:00"), 99999999999LL, u"Days");
    EXPECT_TRUE(endless.contains(at("31.12.9999 23:59:59")));
    EXPECT_FALSE(endless.contains(at("07.12.2026 14:30:00")));
}

TEST(AlarmPeriodTest, WallClockReadingMatchesTheTimeText)
{
    const QDateTime local(QDate(2026, 3, 29), QTime(2, 30, 0));
    EXPECT_EQ(Alarm::wallClock(local), at("29.03.2026 02:30:00"));
    EXPECT_EQ(Alarm::wallClock(QDateTime(QDate(2026, 12, 7), QTime(14, 30, 0, 250))),
              at("07.12.2026 14:30:00") + 250);
}
