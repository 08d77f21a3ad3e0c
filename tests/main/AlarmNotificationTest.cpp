#include "WindowsFixture.h"

#include "alarms/AlarmFile.h"

#include <QComboBox>
#include <QFile>
#include <QSpinBox>
#include <QTimeEdit>

// The alarms of the whole program reaching the user beyond the board: the
// notification's "Show", and the notice at start of what was missed.
class AlarmNotificationTest : public WindowsFixture {
protected:
    void SetUp() override
    {
        setClock(QTime(9, 0, 0));
        openProject(QStringLiteral("Plant"));
        newObject(QStringLiteral("Pump 1"), QPoint(300, 300));
        newObject(QStringLiteral("Tank A"), QPoint(900, 600));
    }

    TfAlarmSettings& alarms() { return program->alarmSettings; }

    // An alarm of the object from start for duration hours, as Add leaves it.
    void addAlarm(const QString& name, QTime start, int hours)
    {
        WindowsFixture::addAlarm(name, [&](TfAddEditAlarm& dialog) {
            dialog.dtpStartTime->setTime(start);
            dialog.spDuration->setValue(hours);
            dialog.UnitCB->setCurrentIndex(1); // Hours
        });
    }

    // The close by the close button, and the next start.
    void closeAndRestart()
    {
        ASSERT_TRUE(form().close());
        restart();
    }

    QStringList missedNotices() const
    {
        return fake.dialogs.messages.filter(QStringLiteral("While Vexorin was closed"));
    }
};

TEST_F(AlarmNotificationTest, ShowOnTheNotificationBringsTheObjectIntoViewAsFindDoes)
{
    addAlarm(QStringLiteral("Tank A"), QTime(9, 30), 1);
    rightPress(QStringLiteral("Pump 1")); // another object is current
    board().setZoom(4.0, QPoint(0, 0));
    ObjectShape* tank = shapeOf(QStringLiteral("Tank A"));
    ObjectLabel* label = boardModel().labelWithCaption(QStringLiteral("Tank A"));
    const QRect area = tank->geometry().united(label->geometry());
    const auto inView = [&] {
        return board().viewport()->rect().contains(
            QRect(board().viewPoint(area.topLeft()), board().viewPoint(area.bottomRight())));
    };
    ASSERT_FALSE(inView());
    form().showMinimized();

    setClock(QTime(9, 30, 1));
    alarms().CheckAlarms();
    ASSERT_EQ(fake.notifications.sent.size(), 1);
    EXPECT_EQ(fake.notifications.sent[0].title, "Tank A");
    EXPECT_EQ(fake.notifications.sent[0].body, "09:30 to 10:30");

    fake.notifications.chooseShow(fake.notifications.sent[0].subject);
    EXPECT_FALSE(form().isMinimized());
    EXPECT_EQ(form().CurrentLabel, label);
    EXPECT_EQ(form().CurrentShape, tank);
    EXPECT_TRUE(inView());
    EXPECT_EQ(board().highlighted(), area);

    // An object no longer on the board: the window comes up, nothing else.
    fake.notifications.chooseShow(QStringLiteral("Gone"));
    EXPECT_EQ(form().CurrentLabel, label);
}

TEST_F(AlarmNotificationTest, AtStartOneNoticeNamesThePeriodsThatBeganWhileClosed)
{
    // The first start of the project: nothing to tell, but the time is kept.
    closeAndRestart();
    EXPECT_TRUE(missedNotices().isEmpty());
    addAlarm(QStringLiteral("Pump 1"), QTime(11, 0), 1);
    addAlarm(QStringLiteral("Tank A"), QTime(15, 0), 2);
    setClock(QTime(10, 0, 0));
    ASSERT_TRUE(form().close());
    const QByteArray alarmFile = readAll(projectFile(QStringLiteral("Alarm.dat")));
    ASSERT_TRUE(alarmFile.contains("Pump+1"));

    // Pump 1's period began and ended while the program was closed; Tank A's
    // is still to come.
    setClock(QTime(13, 0, 0));
    restart();
    EXPECT_EQ(missedNotices(),
              QStringList({"While Vexorin was closed: Pump 1 from 11:00 to 12:00"}));
    EXPECT_EQ(readAll(projectFile(QStringLiteral("Alarm.dat"))), alarmFile);
    EXPECT_EQ(alarms().rows().size(), 2);

    // Told once: the next start, after this run, has nothing to tell.
    fake.dialogs.messages.clear();
    setClock(QTime(13, 30, 0));
    closeAndRestart();
    EXPECT_TRUE(missedNotices().isEmpty());
}

TEST_F(AlarmNotificationTest, AfterACrashOnlyWhatBeganSinceTheLastMinuteIsMissed)
{
    closeAndRestart();
    addAlarm(QStringLiteral("Pump 1"), QTime(9, 3), 1);
    addAlarm(QStringLiteral("Tank A"), QTime(9, 10), 1);
    ASSERT_EQ(alarms().RunningTimer->interval(), 60'000);
    EXPECT_TRUE(alarms().RunningTimer->isActive());
    // The minute's tick while Pump 1 runs; then the program ends without its close.
    setClock(QTime(9, 5, 0));
    alarms().CheckAlarms();
    alarms().RecordLastRunning();
    ASSERT_TRUE(alarms().SaveAlarms());

    setClock(QTime(9, 30, 0));
    restart();
    EXPECT_EQ(missedNotices(),
              QStringList({"While Vexorin was closed: Tank A from 09:10 to 10:10"}));
}
