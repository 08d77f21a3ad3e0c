#pragma once

#include "alarms/AlarmPeriod.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <optional>

class AlarmRows;
class BoardHost;
struct Platform;

// An alarm whose period runs now, as the tray icon's menu lists it.
struct ActiveAlarm {
    QString name;
    Alarm::Period period;
    bool operator==(const ActiveAlarm&) const = default;
};

// What the alarms tell the user beyond the board, which nobody may be
// watching: a desktop notification as an alarm's period starts, the tray icon
// with the alarms active now, and at start the alarms whose period started
// while the program was closed. Notifications and the tray icon are on unless
// the user turned them off; that choice, and when the program last ran with
// each project, are kept in the user's settings, not in the project.
class AlarmNotices : public QObject {
    Q_OBJECT
public:
    AlarmNotices(BoardHost& host, Platform& platform, QObject* parent = nullptr);

    bool isOn() const { return m_on; }
    // Remembers the choice, and shows or hides the tray icon.
    void setOn(bool on);

    // The alarm check saw the period of an alarm of name begin.
    void periodStarted(const QString& name, const Alarm::Period& period);
    // After each check: how many alarms are active, and the first of them
    // in list order, at most TrayMenuLength.
    void setActive(int count, const QList<ActiveAlarm>& first);
    static constexpr int TrayMenuLength = 20;

    // When the program last ran with the project in folder; none before the
    // first start of that project.
    std::optional<QDateTime> lastRunning(const QString& folder) const;
    void recordRunning(const QString& folder, const QDateTime& at);
    // The notice naming the enabled alarms of rows whose period began after
    // closedAt and before now, in list order; empty when none did.
    static QString missedWhileClosed(const AlarmRows& rows, Alarm::Millis closedAt,
                                     Alarm::Millis now, const QDate& today);
    // How many alarms the notice names before it counts the rest.
    static constexpr int MissedNamed = 10;

private:
    void showTray();

    BoardHost& m_host;
    Platform& m_platform;
    bool m_on = true;
    int m_activeCount = 0;
    QList<ActiveAlarm> m_firstActive;
};
