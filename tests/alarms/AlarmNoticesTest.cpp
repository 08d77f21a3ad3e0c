#include "AlarmFixture.h"

#include "alarms/AlarmNotices.h"
#include "alarms/AlarmRows.h"

#include <QCheckBox>

namespace {

using Sent = FakeNotifications::Sent;
using TrayItem = Notifications::TrayItem;

} // namespace

using AlarmNoticesTest = AlarmFixture;

// ---- Notifications ----

TEST_F(AlarmNoticesTest, OneNotificationPerPeriodStartHoweverManySecondsItRuns)
{
    openProject();
    settings->appendRow(alarm("Pump 1", "08.12.2026 14:30:00", "1", "Hours"));
    settings->appendRow(alarm("Tank A", "08.12.2026 14:31:10", "20", "Seconds"));

    setNow("08.12.2026 14:29:58.000");
    settings->CheckAlarms();
    settings->CheckAlarms();
    EXPECT_TRUE(fake.notifications.sent.isEmpty()) << "no alarm runs yet";

    // Every second from the start of the first period past the end of the second.
    for (int second = 1; second <= 120; ++second) {
        fake.clock.current = QDateTime(QDate(2026, 12, 8), QTime(14, 30, 0)).addSecs(second);
        settings->CheckAlarms();
    }
    EXPECT_EQ(fake.notifications.sent, QList<Sent>({{"Pump 1", "Pump 1", "14:30 to 15:30"},
                                                    {"Tank A", "Tank A", "14:31:10 to 14:31:30"}}));

    // Past the end, and checks going on after it: nothing more.
    setNow("08.12.2026 15:45:00.000");
    settings->CheckAlarms();
    settings->CheckAlarms();
    EXPECT_EQ(fake.notifications.sent.size(), 2);
    EXPECT_EQ(actives(), QStringList({"False", "False"}));
}

TEST_F(AlarmNoticesTest, APeriodThatBeganWhileClosedIsNotifiedOnceAtTheFirstCheck)
{
    openProject();
    writeFile(alarmPath(), AlarmFile::lineOf(alarm("Pump 1", "08.12.2026 14:30:00", "1", "Hours")) +
                               AlarmFile::lineOf(alarm("Gate", "08.12.2026 14:00:00", "2", "Hours",
                                                       true, "Off", "True")));
    ASSERT_TRUE(settings->LoadProjectAlarms());
    setNow("08.12.2026 14:40:00.000");
    settings->CheckAlarms();
    settings->CheckAlarms();
    // The row that was already active when the list was saved was told then.
    EXPECT_EQ(fake.notifications.sent, QList<Sent>({{"Pump 1", "Pump 1", "14:30 to 15:30"}}));
}

TEST_F(AlarmNoticesTest, TheSettingTurnsNotificationsAndTheTrayOffAndIsRemembered)
{
    openProject();
    QCheckBox* box = settings->findChild<QCheckBox*>("cbNotifications");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), "Desktop notifications and tray icon");
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(fake.notifications.trayShown);

    box->click();
    EXPECT_FALSE(fake.notifications.trayShown);
    settings->appendRow(alarm("Pump 1", "08.12.2026 14:30:00", "1", "Hours"));
    setNow("08.12.2026 14:30:01.000");
    settings->CheckAlarms();
    EXPECT_TRUE(fake.notifications.sent.isEmpty());
    EXPECT_FALSE(fake.notifications.trayShown);
    EXPECT_EQ(actives(), QStringList({"True"})) << "the alarm itself still runs";

    // Per user, not in the project: a new window reads it from the user's settings.
    settings.reset();
    settings = std::make_unique<TfAlarmSettings>(host, fake.platform);
    settings->Timer1->stop();
    settings->StopThreadTimer();
    EXPECT_FALSE(settings->cbNotifications->isChecked());
    EXPECT_FALSE(fake.notifications.trayShown);
    EXPECT_FALSE(QFile::exists(alarmPath()));
    EXPECT_TRUE(QDir(projectDir.path()).isEmpty()) << "nothing written into the project";

    settings->cbNotifications->click();
    EXPECT_TRUE(fake.notifications.trayShown);
    settings->appendRow(alarm("Tank A", "08.12.2026 14:30:05", "1", "Hours"));
    setNow("08.12.2026 14:30:06.000");
    settings->CheckAlarms();
    EXPECT_EQ(fake.notifications.sent, QList<Sent>({{"Tank A", "Tank A", "14:30:05 to 15:30:05"}}));
}

// ---- The tray icon ----

TEST_F(AlarmNoticesTest, TrayCountsTheActiveAlarmsAndItsMenuShowsEachObject)
{
    openProject();
    EXPECT_EQ(fake.notifications.trayToolTip, "Vexorin: no alarm active");
    EXPECT_EQ(fake.notifications.trayMenu, QList<TrayItem>({{"", "No alarm active"}}));

    settings->appendRow(alarm("Pump 1", "08.12.2026 14:30:00", "1", "Hours"));
    settings->appendRow(alarm("Tank A", "07.12.2026 09:00:00", "2", "Days"));
    settings->appendRow(alarm("Gate", "08.12.2026 14:30:00", "1", "Hours", false));
    settings->appendRow(alarm("Boiler", "09.12.2026 08:00:00", "1", "Hours"));
    setNow("08.12.2026 14:35:00.000");
    settings->CheckAlarms();
    EXPECT_EQ(fake.notifications.trayToolTip, "Vexorin: 2 alarms active");
    EXPECT_EQ(fake.notifications.trayMenu,
              QList<TrayItem>({{"Pump 1", "Pump 1: 14:30 to 15:30"},
                               {"Tank A", "Tank A: 07.12.2026 09:00 to 09.12.2026 09:00"}}));

    fake.notifications.chooseShow("Tank A");
    EXPECT_EQ(host.shown, QStringList({"Tank A"}));

    setNow("08.12.2026 15:35:00.000");
    settings->CheckAlarms();
    EXPECT_EQ(fake.notifications.trayToolTip, "Vexorin: 1 alarm active");

    // Where the desktop has no tray, nothing shows one.
    FakePlatform noTray;
    noTray.notifications.tray = false;
    TfAlarmSettings other(host, noTray.platform);
    other.StopThreadTimer();
    other.appendRow(alarm("Pump 1", "08.12.2026 14:30:00", "1", "Hours"));
    noTray.clock.current = QDateTime(QDate(2026, 12, 8), QTime(14, 35));
    other.CheckAlarms();
    EXPECT_FALSE(noTray.notifications.trayShown);
    EXPECT_EQ(noTray.notifications.sent.size(), 1);
}

TEST_F(AlarmNoticesTest, TrayMenuNamesTheFirstAlarmsAndCountsTheRest)
{
    openProject();
    const int count = AlarmNotices::TrayMenuLength + 5;
    for (int i = 0; i < count; ++i)
        settings->appendRow(alarm(QStringLiteral("Object %1").arg(i), "08.12.2026 14:30:00"));
    setNow("08.12.2026 14:35:00.000");
    settings->CheckAlarms();
    EXPECT_EQ(fake.notifications.trayToolTip,
              QStringLiteral("Vexorin: %1 alarms active").arg(count));
    ASSERT_EQ(fake.notifications.trayMenu.size(), AlarmNotices::TrayMenuLength + 1);
    EXPECT_EQ(fake.notifications.trayMenu.first().subject, "Object 0");
    EXPECT_EQ(fake.notifications.trayMenu.last(), (TrayItem{"", "and 5 more"}));
    EXPECT_EQ(fake.notifications.sent.size(), count);
}

// ---- Missed while closed ----

TEST(AlarmMissedWhileClosed, NamesTheEnabledAlarmsThatStartedBetweenCloseAndStart)
{
    AlarmRows rows;
    const auto add = [&rows](const char* name, const char* time, const char* duration,
                             const char* unit, bool enabled = true) {
        rows.append({enabled, name, time, duration, unit, "Off", "False"});
    };
    add("Before", "08.12.2026 09:00:00", "3", "Hours");     // began before the close
    add("Pump 1", "08.12.2026 14:30:00", "1", "Hours");     // began and ended while closed
    add("Tank A", "08.12.2026 16:00:00", "1", "Days");      // began while closed, runs on
    add("Off", "08.12.2026 15:00:00", "1", "Hours", false); // disabled
    add("Empty", "08.12.2026 15:00:00", "0", "Hours");      // no period
    add("Later", "08.12.2026 18:00:00", "1", "Hours");      // still to come
    add("Bad", "not a time", "1", "Hours");
    const Alarm::Millis closed = *Alarm::readTime(u"08.12.2026 10:00:00");
    const Alarm::Millis started = *Alarm::readTime(u"08.12.2026 17:00:00");
    const QDate today(2026, 12, 8);
    EXPECT_EQ(AlarmNotices::missedWhileClosed(rows, closed, started, today),
              "While Vexorin was closed: Pump 1 from 14:30 to 15:30, "
              "Tank A from 16:00 to 09.12.2026 16:00");
    // Closed over night: the day of an earlier start is said.
    EXPECT_EQ(AlarmNotices::missedWhileClosed(rows, closed, started, today.addDays(1)),
              "While Vexorin was closed: Pump 1 from 08.12.2026 14:30 to 15:30, "
              "Tank A from 08.12.2026 16:00 to 09.12.2026 16:00");
    EXPECT_EQ(AlarmNotices::missedWhileClosed(rows, started, started + 1000, today), "");

    AlarmRows many;
    for (int i = 0; i < AlarmNotices::MissedNamed + 3; ++i)
        many.append({true, QStringLiteral("P%1").arg(i), "08.12.2026 14:30:00", "1", "Hours", "Off",
                     "False"});
    const QString notice = AlarmNotices::missedWhileClosed(many, closed, started, today);
    EXPECT_TRUE(notice.startsWith("While Vexorin was closed: P0 from 14:30 to 15:30, P1 from"));
    EXPECT_TRUE(notice.endsWith(", P9 from 14:30 to 15:30, and 3 more")) << notice.toStdString();
}

TEST_F(AlarmNoticesTest, TheLastRunningTimeIsKeptPerProjectFolderInTheUserSettings)
{
    AlarmNotices& notices = settings->notices();
    EXPECT_FALSE(notices.lastRunning("/work/a"));
    const QDateTime at(QDate(2026, 12, 8), QTime(14, 30, 15));
    notices.recordRunning("/work/a", at);
    notices.recordRunning("C:\\work\\b", at.addDays(1));
    EXPECT_EQ(notices.lastRunning("/work/a"), at);
    EXPECT_EQ(notices.lastRunning("C:\\work\\b"), at.addDays(1));
    EXPECT_FALSE(notices.lastRunning("/work"));
    EXPECT_TRUE(QFile::exists(fake.platform.userSettingsFile));
}

TEST(AlarmPeriodText, SaysTheDatesOnlyWhereTheDayChangesAndTheSecondsOnlyWhereThereAreAny)
{
    const QDate today(2026, 12, 8);
    const auto at = [](const char16_t* text) { return *Alarm::readTime(QStringView(text)); };
    EXPECT_EQ(Alarm::periodText({at(u"08.12.2026 14:30:00"), at(u"08.12.2026 15:30:00")}, today),
              "14:30 to 15:30");
    EXPECT_EQ(Alarm::periodText({at(u"08.12.2026 14:30:00"), at(u"08.12.2026 14:30:45")}, today),
              "14:30:00 to 14:30:45");
    EXPECT_EQ(Alarm::periodText({at(u"08.12.2026 23:00:00"), at(u"09.12.2026 01:00:00")}, today),
              "23:00 to 09.12.2026 01:00");
    EXPECT_EQ(Alarm::periodText({at(u"01.01.2025 06:15:00"), std::nullopt}, today),
              "01.01.2025 06:15 with no end");
}
