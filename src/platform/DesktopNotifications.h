#pragma once

#include "platform/Notifications.h"

#include <QDBusConnection>
#include <QHash>
#include <QString>
#include <memory>

class QMenu;
class QSystemTrayIcon;

// The client of the desktop's notification service, org.freedesktop.Notifications,
// on one D-Bus connection. Each notification offers the action "Show"; the
// service's answer and its signals arrive through the event loop.
class DBusNotifications : public QObject {
    Q_OBJECT
public:
    static inline const QString Service = QStringLiteral("org.freedesktop.Notifications");
    static inline const QString Path = QStringLiteral("/org/freedesktop/Notifications");
    static inline const QString Interface = Service;
    // The key of the action "Show", which the service sends back when it is chosen.
    static inline const QString ShowAction = QStringLiteral("Show");

    explicit DBusNotifications(const QDBusConnection& bus, QObject* parent = nullptr);

    // Whether a bus is there to send to.
    bool isConnected() const { return m_bus.isConnected(); }
    // Sends Notify; when no service takes it (none runs, or it does not answer
    // in time), failed follows with the same values. Nothing is sent, and
    // false returned, without a bus.
    bool notify(const QString& subject, const QString& title, const QString& body);

signals:
    void failed(const QString& subject, const QString& title, const QString& body);
    // "Show" was chosen on the notification of subject.
    void showChosen(const QString& subject);

private slots:
    void actionInvokedOnBus(uint id, const QString& actionKey);
    void closedOnBus(uint id, uint reason);

private:
    QDBusConnection m_bus;
    // The subjects of this program's notifications still open, by the
    // service's number: its signals reach every client of the bus.
    QHash<uint, QString> m_subjects;
};

// The program's notifications: the service's where one runs, else the tray
// icon's message; the tray icon where the desktop has a tray.
class DesktopNotifications : public Notifications {
    Q_OBJECT
public:
    // iconFile: the program's icon, which the tray shows.
    DesktopNotifications(const QDBusConnection& bus, const QString& iconFile);
    ~DesktopNotifications() override;

    void notify(const QString& subject, const QString& title, const QString& body) override;
    bool hasTray() const override;
    void showTrayIcon(const QString& toolTip, const QList<TrayItem>& menu) override;
    void hideTrayIcon() override;

private:
    void trayMessage(const QString& subject, const QString& title, const QString& body);

    DBusNotifications m_service;
    QString m_iconFile;
    // Made when the tray icon first shows.
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    // What a click on the tray icon's message shows.
    QString m_messageSubject;
};
