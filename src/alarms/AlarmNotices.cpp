#include "alarms/AlarmNotices.h"

#include "alarms/AlarmRows.h"
#include "board/BoardHost.h"
#include "platform/Clock.h"
#include "platform/Notifications.h"
#include "platform/Platform.h"

#include <QSettings>
#include <QUrl>

namespace {

const QString OnKey = QStringLiteral("Alarms/DesktopNotifications");
const QString LastRunningGroup = QStringLiteral("LastRunning");

// A folder as a key of its own: QSettings would read its separators as groups.
QString folderKey(const QString& folder)
{
    return LastRunningGroup + u'/' + QString::fromLatin1(QUrl::toPercentEncoding(folder));
}

} // namespace

AlarmNotices::AlarmNotices(BoardHost& host, Platform& platform, QObject* parent)
    : QObject(parent), m_host(host), m_platform(platform)
{
    m_on = QSettings(m_platform.userSettingsFile, QSettings::IniFormat).value(OnKey, true).toBool();
    connect(&m_platform.notifications, &Notifications::showRequested, this,
            [this](const QString& subject) { m_host.showObject(subject); });
    showTray();
}

void AlarmNotices::setOn(bool on)
{
    m_on = on;
    QSettings(m_platform.userSettingsFile, QSettings::IniFormat).setValue(OnKey, on);
    if (on)
        showTray();
    else
        m_platform.notifications.hideTrayIcon();
}

void AlarmNotices::periodStarted(const QString& name, const Alarm::Period& period)
{
    if (m_on)
        m_platform.notifications.notify(name, name,
                                        Alarm::periodText(period, m_platform.clock.now().date()));
}

void AlarmNotices::setActive(int count, const QList<ActiveAlarm>& first)
{
    if (count == m_activeCount && first == m_firstActive)
        return;
    m_activeCount = count;
    m_firstActive = first;
    showTray();
}

void AlarmNotices::showTray()
{
    if (!m_on || !m_platform.notifications.hasTray())
        return;
    const QString toolTip = m_activeCount == 0 ? QStringLiteral("Vexorin: no alarm active")
                            : m_activeCount == 1
                                ? QStringLiteral("Vexorin: 1 alarm active")
                                : QStringLiteral("Vexorin: %1 alarms active").arg(m_activeCount);
    const QDate today = m_platform.clock.now().date();
    QList<Notifications::TrayItem> menu;
    for (const ActiveAlarm& alarm : m_firstActive)
        menu.append({alarm.name,
                     alarm.name + QStringLiteral(": ") + Alarm::periodText(alarm.period, today)});
    if (m_activeCount == 0)
        menu.append({QString(), QStringLiteral("No alarm active")});
    else if (m_activeCount > m_firstActive.size())
        menu.append(
            {QString(), QStringLiteral("and %1 more").arg(m_activeCount - m_firstActive.size())});
    m_platform.notifications.showTrayIcon(toolTip, menu);
}

std::optional<QDateTime> AlarmNotices::lastRunning(const QString& folder) const
{
    const QString stored = QSettings(m_platform.userSettingsFile, QSettings::IniFormat)
                               .value(folderKey(folder))
                               .toString();
    const QDateTime at = QDateTime::fromString(stored, Qt::ISODate);
    return at.isValid() ? std::optional(at) : std::nullopt;
}

void AlarmNotices::recordRunning(const QString& folder, const QDateTime& at)
{
    QSettings(m_platform.userSettingsFile, QSettings::IniFormat)
        .setValue(folderKey(folder), at.toString(Qt::ISODate));
}

QString AlarmNotices::missedWhileClosed(const AlarmRows& rows, Alarm::Millis closedAt,
                                        Alarm::Millis now, const QDate& today)
{
    QStringList named;
    int missed = 0;
    for (int i = 0; i < rows.count(); ++i) {
        const std::optional<Alarm::Period> period = rows.period(i);
        if (!rows.isEnabled(i) || !period || period->start <= closedAt || period->start >= now)
            continue;
        if (++missed <= MissedNamed)
            named.append(rows.text(i, AlarmRows::Name) + QStringLiteral(" from ") +
                         Alarm::periodText(*period, today));
    }
    if (missed == 0)
        return {};
    if (missed > MissedNamed)
        named.append(QStringLiteral("and %1 more").arg(missed - MissedNamed));
    return QStringLiteral("While Vexorin was closed: ") + named.join(QStringLiteral(", "));
}
