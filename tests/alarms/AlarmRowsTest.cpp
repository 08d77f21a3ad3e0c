#include "AlarmRowPrinter.h"
#include "alarms/AlarmRows.h"
#include "support/QtPrinters.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

AlarmRow alarm(const QString& name, const QString& time, const QString& duration = "3",
               const QString& unit = "Days", bool enabled = true, const QString& sound = "Off",
               const QString& active = "False")
{
    return {enabled, name, time, duration, unit, sound, active};
}

Alarm::Millis at(const char* text)
{
    return *Alarm::readTime(QString::fromLatin1(text));
}

QList<AlarmRow> all(const AlarmRows& rows)
{
    QList<AlarmRow> result;
    for (int i = 0; i < rows.count(); ++i)
        result.append(rows.row(i));
    return result;
}

// The rows whose visit by the check changes something: enabled, and running,
// or not showing "False", or of a name that is hatched or becomes hatched.
std::set<int> needed(const AlarmRows& rows, Alarm::Millis now, const QSet<QString>& hatched)
{
    QSet<QString> names = hatched;
    for (int i = 0; i < rows.count(); ++i) {
        if (rows.isEnabled(i) && rows.isRunningAt(i, now))
            names.insert(rows.text(i, AlarmRows::Name));
    }
    std::set<int> result;
    for (int i = 0; i < rows.count(); ++i) {
        if (rows.isEnabled(i) && (rows.isRunningAt(i, now) || !rows.isActiveFalse(i) ||
                                  names.contains(rows.text(i, AlarmRows::Name))))
            result.insert(i);
    }
    return result;
}

// What the check does to the Active cells of the rows it visits.
void check(AlarmRows& rows, const std::vector<int>& visit, Alarm::Millis now)
{
    for (const int i : visit) {
        if (rows.isEnabled(i))
            rows.setActive(i, rows.isRunningAt(i, now));
    }
}

} // namespace

TEST(AlarmRowsTest, EveryCellReadsBackAsItWasGivenWhateverItHolds)
{
    AlarmRows rows;
    const QList<AlarmRow> given = {
        alarm("Tax return", "07.12.2026 14:30:00"),
        alarm("Short", "7.12.2026 4:30:00"),            // readable, not in the usual form
        alarm("Damaged", "31.02.2026 10:00:00", "abc"), // no such day
        alarm("", "", "", "", false, "", ""),
        alarm("Pump", "01.01.0999 00:00:00", "-3", "weeks", false, "on", "True"),
        alarm("Cyrillic Насос", "31.12.9999 23:59:59", "99999999999", "Years", true, "On", "x"),
    };
    for (const AlarmRow& row : given)
        rows.append(row);
    EXPECT_EQ(all(rows), given);
    EXPECT_EQ(rows.text(0, AlarmRows::Time), "07.12.2026 14:30:00");
    EXPECT_FALSE(rows.isActiveFalse(4));
    EXPECT_TRUE(rows.isActiveFalse(0));
    EXPECT_TRUE(rows.isSoundOn(5));
    EXPECT_FALSE(rows.isSoundOn(4)); // "on" is not "On"

    rows.setText(1, AlarmRows::Duration, u"90");
    rows.setEnabled(3, true);
    rows.replace(0, alarm("Tax return", "08.12.2026 14:30:00", "1", "Hours", false));
    EXPECT_EQ(rows.row(1), alarm("Short", "7.12.2026 4:30:00", "90"));
    EXPECT_TRUE(rows.isEnabled(3));
    EXPECT_EQ(rows.row(0), alarm("Tax return", "08.12.2026 14:30:00", "1", "Hours", false));
    rows.remove(2);
    ASSERT_EQ(rows.count(), 5);
    EXPECT_EQ(rows.row(2).name, "");
}

TEST(AlarmRowsTest, PeriodsFollowTheUnitsAndExcludeBothEnds)
{
    AlarmRows rows;
    rows.append(alarm("Minutes", "10.12.2026 10:00:00", "3", "Minutes"));
    rows.append(alarm("Month", "31.01.2026 10:00:00", "1", "Months"));
    rows.append(alarm("Years", "29.02.2024 08:00:00", "1", "Years"));
    rows.append(alarm("Typed", "10.12.2026 10:00:00", "2", "weeks")); // counts as seconds
    rows.append(alarm("NoNumber", "10.12.2026 10:00:00", "abc"));
    rows.append(alarm("Endless", "10.12.2026 10:00:00", "99999999999", "Years"));
    EXPECT_FALSE(rows.isRunningAt(0, at("10.12.2026 10:00:00")));
    EXPECT_TRUE(rows.isRunningAt(0, at("10.12.2026 10:00:00") + 1));
    EXPECT_TRUE(rows.isRunningAt(0, at("10.12.2026 10:03:00") - 1));
    EXPECT_FALSE(rows.isRunningAt(0, at("10.12.2026 10:03:00")));
    EXPECT_TRUE(rows.isRunningAt(1, at("28.02.2026 09:59:59")));
    EXPECT_FALSE(rows.isRunningAt(1, at("28.02.2026 10:00:00")));
    EXPECT_TRUE(rows.isRunningAt(2, at("28.02.2025 07:59:59")));
    EXPECT_FALSE(rows.isRunningAt(2, at("28.02.2025 08:00:00")));
    EXPECT_TRUE(rows.isRunningAt(3, at("10.12.2026 10:00:01")));
    EXPECT_FALSE(rows.isRunningAt(3, at("10.12.2026 10:00:02")));
    EXPECT_FALSE(rows.isRunningAt(4, at("10.12.2026 10:00:00") + 1));
    EXPECT_TRUE(rows.isRunningAt(5, at("31.12.9999 23:59:59")));

    // An edit takes effect at once.
    rows.setText(0, AlarmRows::Unit, u"Hours");
    EXPECT_TRUE(rows.isRunningAt(0, at("10.12.2026 12:59:59")));
}

TEST(AlarmRowsTest, SortingByStartPutsUnreadableStartsLastAndKeepsEqualStartsInOrder)
{
    AlarmRows rows;
    rows.append(alarm("X", "garbage"));
    rows.append(alarm("B1", "02.01.2026 00:00:00"));
    rows.append(alarm("Y", "31.02.2026 00:00:00"));
    rows.append(alarm("A", "01.01.2026 00:00:00"));
    rows.append(alarm("B2", "2.1.2026 0:00:00")); // the same start as B1, typed otherwise
    rows.append(alarm("B3", "02.01.2026 00:00:00"));
    rows.sortByStart();
    QStringList names;
    for (const AlarmRow& row : all(rows))
        names.append(row.name);
    EXPECT_EQ(names, (QStringList{"A", "B1", "B2", "B3", "X", "Y"}));
    EXPECT_EQ(rows.row(2).time, "2.1.2026 0:00:00");

    // A large list in random order comes out ordered, every row kept once.
    AlarmRows many;
    QRandomGenerator random(5);
    const QDateTime base(QDate(2026, 1, 1), QTime(0, 0));
    for (int i = 0; i < 20000; ++i)
        many.append(alarm(QString::number(i),
                          base.addSecs(random.bounded(1000)).toString("dd.MM.yyyy HH:mm:ss")));
    many.sortByStart();
    std::set<QString> seen;
    for (int i = 0; i < many.count(); ++i) {
        seen.insert(many.text(i, AlarmRows::Name));
        if (i > 0) {
            const auto before = *Alarm::readTime(many.text(i - 1, AlarmRows::Time));
            const auto here = *Alarm::readTime(many.text(i, AlarmRows::Time));
            ASSERT_LE(before, here) << i;
            if (before == here) {
                ASSERT_LT(many.text(i - 1, AlarmRows::Name).toInt(),
                          many.text(i, AlarmRows::Name).toInt());
            }
        }
    }
    EXPECT_EQ(seen.size(), 20000u);
}

TEST(AlarmRowsTest, WithNothingDueTheCheckLooksAtNoRow)
{
    AlarmRows rows;
    const QDateTime base(QDate(2026, 12, 10), QTime(10, 0));
    for (int i = 0; i < 10000; ++i) {
        const QDateTime start = i % 2 ? base.addDays(-2) : base.addDays(1);
        rows.append(alarm(QStringLiteral("Object %1").arg(i % 100),
                          start.toString("dd.MM.yyyy HH:mm:ss"), "1", "Days"));
    }
    rows.append(alarm("Was running", "01.12.2026 10:00:00", "1", "Days", true, "Off", "True"));
    Alarm::Millis now = Alarm::wallClock(base);
    std::vector<int> visit = rows.rowsToCheck(now, {});
    // The first check sets the stale "True" to "False"; after it nothing is due.
    EXPECT_EQ(visit, std::vector<int>{10000});
    check(rows, visit, now);
    for (int second = 1; second <= 5; ++second)
        EXPECT_TRUE(rows.rowsToCheck(now + second * 1000, {}).empty()) << second;

    // The day after, every second row starts: they and their names' rows.
    now += 86'400'000 + 1000;
    visit = rows.rowsToCheck(now, {});
    EXPECT_EQ(std::set<int>(visit.begin(), visit.end()), needed(rows, now, {}));
    EXPECT_EQ(visit.size(), 5000u); // the even rows, whose names no odd row bears
    // A hatched object's rows are looked at, a name no row bears costs nothing.
    rows.clear();
    rows.append(alarm("Gate", "01.01.2020 10:00:00"));
    rows.append(alarm("Pump", "01.01.2020 10:00:00"));
    EXPECT_EQ(rows.rowsToCheck(now, {"Gate", "Nobody"}), std::vector<int>{0});
}

TEST(AlarmRowsTest, TheCheckLooksAtEveryRowWhoseVisitChangesSomethingWhateverHappensBetween)
{
    QRandomGenerator random(2026);
    const QStringList names = {"A", "B", "C", "D", "E"};
    const QStringList units = {"Seconds", "Minutes", "Hours", "Days", "Months", "Years", "other"};
    const QDateTime base(QDate(2026, 12, 10), QTime(10, 0));
    const auto randomRow = [&] {
        const QDateTime start = base.addSecs(random.bounded(-4000, 4000));
        return alarm(names[random.bounded(names.size())], start.toString("dd.MM.yyyy HH:mm:ss"),
                     random.bounded(10) == 0 ? "abc" : QString::number(random.bounded(0, 90)),
                     units[random.bounded(units.size())], random.bounded(4) != 0, "Off",
                     random.bounded(5) == 0 ? "True" : "False");
    };

    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        AlarmRows rows;
        for (int i = 0; i < 300; ++i)
            rows.append(randomRow());
        if (round % 2)
            rows.sortByStart();
        Alarm::Millis now = Alarm::wallClock(base);
        for (int step = 0; step < 600; ++step) {
            // The clock: mostly a second on, sometimes a jump either way.
            const int kind = random.bounded(20);
            if (kind == 0)
                now += random.bounded(-5'000'000, 5'000'000);
            else if (kind == 1)
                now -= random.bounded(3000);
            else
                now += 1000 + random.bounded(20);
            // Changes between checks.
            const int change = random.bounded(12);
            const int row = rows.count() ? random.bounded(rows.count()) : 0;
            if (change == 0)
                rows.append(randomRow());
            else if (change == 1 && rows.count())
                rows.remove(row);
            else if (change == 2 && rows.count())
                rows.replace(row, randomRow());
            else if (change == 3 && rows.count())
                rows.setEnabled(row, !rows.isEnabled(row));
            else if (change == 4 && rows.count())
                rows.setText(row, AlarmRows::Active, random.bounded(2) ? u"True" : u"x");
            else if (change == 5 && rows.count())
                rows.setText(
                    row, AlarmRows::Time,
                    base.addSecs(random.bounded(-100, 100)).toString("dd.MM.yyyy HH:mm:ss"));
            QSet<QString> hatched;
            if (random.bounded(3) == 0)
                hatched.insert(names[random.bounded(names.size())]);

            const std::set<int> must = needed(rows, now, hatched);
            const std::vector<int> visit = rows.rowsToCheck(now, hatched);
            ASSERT_TRUE(std::is_sorted(visit.begin(), visit.end()));
            ASSERT_TRUE(std::includes(visit.begin(), visit.end(), must.begin(), must.end()))
                << "step " << step;
            check(rows, visit, now);
        }
    }
}

TEST(AlarmRowsTest, ManyRowsAddedAfterTheFirstCheckAreAllFound)
{
    AlarmRows rows;
    rows.append(alarm("First", "10.12.2026 10:00:00", "1", "Hours"));
    const Alarm::Millis now = at("10.12.2026 10:30:00");
    EXPECT_EQ(rows.rowsToCheck(now, {}), std::vector<int>{0});
    // More changes than the index takes one by one: it is built afresh.
    for (int i = 0; i < 6000; ++i)
        rows.append(alarm(QStringLiteral("Later %1").arg(i), "11.12.2026 10:00:00", "1", "Hours"));
    rows.append(alarm("Running", "10.12.2026 10:10:00", "1", "Hours"));
    EXPECT_EQ(rows.rowsToCheck(now + 1000, {}), (std::vector<int>{0, 6001}));
    EXPECT_EQ(rows.rowsToCheck(now + 2000, {}), (std::vector<int>{0, 6001}));
    // The next day: the 6000 begin, and the two that ran until now are looked
    // at once more, to show "False".
    EXPECT_EQ(rows.rowsToCheck(at("11.12.2026 10:00:01"), {}).size(), 6002u);
    EXPECT_EQ(rows.rowsToCheck(at("11.12.2026 10:00:02"), {}).size(), 6000u);
}
