#include "platform/DesktopNotifications.h"

#include <QApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace {

// A service that does not answer by then is taken for none.
constexpr int NotifyTimeoutMs = 5000;
// The service's "critical" urgency: an alarm stays until the user dismisses it.
constexpr uchar CriticalUrgency = 2;
constexpr int NeverExpires = 0;

} // namespace

// ---- DBusNotifications ----

DBusNotifications::DBusNotifications(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus)
{
    if (!m_bus.isConnected())
        return;
    m_bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                  SLOT(actionInvokedOnBus(uint, QString)));
    m_bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                  SLOT(closedOnBus(uint, uint)));
}

bool DBusNotifications::notify(const QString& subject, const QString& title, const QString& body)
{
    if (!m_bus.isConnected())
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    const QVariantMap hints{
        {QStringLiteral("urgency"), QVariant::fromValue(CriticalUrgency)},
        {QStringLiteral("desktop-entry"), QStringLiteral("vexorin")},
    };
    // The action's key, then its label.
    call << QStringLiteral("Vexorin") << uint(0) << QStringLiteral("vexorin") << title << body
         << QStringList{ShowAction, QStringLiteral("Show")} << hints << NeverExpires;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, NotifyTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, subject, title, body] {
                watcher->deleteLater();
                const QDBusPendingReply<uint> reply = *watcher;
                if (reply.isError())
                    emit failed(subject, title, body);
                else
                    m_subjects.insert(reply.value(), subject);
            });
    return true;
}

void DBusNotifications::actionInvokedOnBus(uint id, const QString& actionKey)
{
    const auto subject = m_subjects.constFind(id);
    if (subject == m_subjects.cend())
        return; // another program's notification
    // "default" is what services send for a click on the notification itself.
    if (actionKey == ShowAction || actionKey == QLatin1String("default"))
        emit showChosen(*subject);
}

void DBusNotifications::closedOnBus(uint id, uint)
{
    m_subjects.remove(id);
}

// ---- DesktopNotifications ----

DesktopNotifications::DesktopNotifications(const QDBusConnection& bus, const QString& iconFile)
    : m_service(bus), m_iconFile(iconFile)
{
    connect(&m_service, &DBusNotifications::showChosen, this, &Notifications::showRequested);
    connect(&m_service, &DBusNotifications::failed, this, &DesktopNotifications::trayMessage);
}

DesktopNotifications::~DesktopNotifications() = default;

void DesktopNotifications::notify(const QString& subject, const QString& title, const QString& body)
{
    if (!m_service.notify(subject, title, body))
        trayMessage(subject, title, body);
}

void DesktopNotifications::trayMessage(const QString& subject, const QString& title,
                                       const QString& body)
{
    if (!m_tray || !m_tray->isVisible())
        return;
    m_messageSubject = subject;
    m_tray->showMessage(title, body, QSystemTrayIcon::Warning);
}

bool DesktopNotifications::hasTray() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void DesktopNotifications::showTrayIcon(const QString& toolTip, const QList<TrayItem>& menu)
{
    if (!hasTray())
        return;
    if (!m_tray) {
        m_menu = std::make_unique<QMenu>();
        QIcon icon = QFileInfo::exists(m_iconFile) ? QIcon(m_iconFile) : QIcon();
        if (icon.isNull())
            icon = QIcon::fromTheme(QStringLiteral("vexorin"));
        // A tray icon without a picture does not show at all: a program file
        // copied without its icon still gets one.
        if (icon.isNull())
            icon = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
        m_tray = std::make_unique<QSystemTrayIcon>(icon);
        m_tray->setContextMenu(m_menu.get());
        connect(m_tray.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger ||
                        reason == QSystemTrayIcon::DoubleClick)
                        emit showRequested(QString());
                });
        connect(m_tray.get(), &QSystemTrayIcon::messageClicked, this,
                [this] { emit showRequested(m_messageSubject); });
    }
    m_tray->setToolTip(toolTip);
    m_menu->clear();
    for (const TrayItem& item : menu) {
        QAction* action = m_menu->addAction(item.text);
        action->setEnabled(!item.subject.isEmpty());
        connect(action, &QAction::triggered, this,
                [this, subject = item.subject] { emit showRequested(subject); });
    }
    m_tray->show();
}

void DesktopNotifications::hideTrayIcon()
{
    if (m_tray)
        m_tray->hide();
}
