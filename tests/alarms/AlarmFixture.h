#pragma once

#include "AlarmRowPrinter.h"
#include "alarms/ThreadTimer.h"
#include "alarms/fAddEditAlarmUnit.h"
#include "alarms/fAlarmSettingsUnit.h"
#include "support/FakeBoardHost.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

// A board host that records the blink calls in order and keeps, like the main
// window, which objects are hatched: hatched on odd seconds of the clock.
class RecordingHost : public FakeBoardHost {
public:
    explicit RecordingHost(const FakeClock& clock) : m_clock(clock) {}

    void blinkAlarmObject(const QString& name) override
    {
        FakeBoardHost::blinkAlarmObject(name);
        calls.append(QStringLiteral("blink ") + name);
        if (m_clock.now().time().second() % 2 == 1)
            hatched.insert(name);
        else
            hatched.remove(name);
        if (advanceOnBlink)
            advanceOnBlink();
    }
    void clearAlarmBlink(const QString& name) override
    {
        FakeBoardHost::clearAlarmBlink(name);
        calls.append(QStringLiteral("clear ") + name);
        hatched.remove(name);
    }

    QStringList calls;
    QSet<QString> hatched;
    std::function<void()> advanceOnBlink;

private:
    const FakeClock& m_clock;
};

// The alarm window on the platform doubles, its thread timer and start-up
// tick stopped so that each test drives the check itself.
class AlarmFixture : public ::testing::Test {
protected:
    AlarmFixture() : host(fake.clock)
    {
        settings = std::make_unique<TfAlarmSettings>(host, fake.platform);
        settings->Timer1->stop();
        settings->StopThreadTimer();
        QApplication::processEvents();
    }

    void openProject() { host.setProjectFolder(QDir::toNativeSeparators(projectDir.path())); }
    QString alarmPath() const { return projectDir.filePath(QStringLiteral("Alarm.dat")); }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static AlarmRow alarm(const QString& name, const QString& time, const QString& duration = "3",
                          const QString& unit = "Days", bool enabled = true,
                          const QString& sound = "Off", const QString& active = "False")
    {
        return {enabled, name, time, duration, unit, sound, active};
    }

    QStringList names() const
    {
        QStringList result;
        for (const AlarmRow& row : settings->rows())
            result.append(row.name);
        return result;
    }
    QStringList actives() const
    {
        QStringList result;
        for (const AlarmRow& row : settings->rows())
            result.append(row.active);
        return result;
    }

    // A click on the row, and a click on its check box.
    void select(int row)
    {
        settings->lwAlarm->setCurrentIndex(
            settings->listModel().index(row, TfAlarmSettings::CheckColumn));
    }
    void setCheck(int row, Qt::CheckState state)
    {
        AlarmListModel& model = settings->listModel();
        model.setData(model.index(row, TfAlarmSettings::CheckColumn), state, Qt::CheckStateRole);
    }

    void setNow(const QString& text)
    {
        fake.clock.current = QDateTime::fromString(text, QStringLiteral("dd.MM.yyyy HH:mm:ss.zzz"));
        ASSERT_TRUE(fake.clock.current.isValid()) << text.toStdString();
    }

    FakePlatform fake;
    RecordingHost host;
    QTemporaryDir projectDir;
    std::unique_ptr<TfAlarmSettings> settings;
};
