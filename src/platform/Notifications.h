#pragma once

#include <QList>
#include <QObject>
#include <QString>

// The desktop's ways of reaching the user while the program's windows are
// covered, minimised or on another desktop: notifications and the tray icon.
class Notifications : public QObject {
    Q_OBJECT
public:
    // One line of the tray icon's menu. Choosing it asks to show its subject;
    // a line without a subject only tells, and cannot be chosen.
    struct TrayItem {
        QString subject;
        QString text;
        bool operator==(const TrayItem&) const = default;
    };

    // A notification titled title and saying body, with the action "Show",
    // through the desktop's notification service; where none runs, the tray
    // icon's message while the tray icon shows; else nothing. "Show" (or a
    // click on the message) gives subject back through showRequested.
    virtual void notify(const QString& subject, const QString& title, const QString& body) = 0;
    // Whether the desktop has a tray for the program's icon.
    virtual bool hasTray() const = 0;
    // Shows the program's icon in the tray with toolTip and a menu of items,
    // or changes them while it shows.
    virtual void showTrayIcon(const QString& toolTip, const QList<TrayItem>& menu) = 0;
    virtual void hideTrayIcon() = 0;

signals:
    // The user asked to see subject; an empty subject (a click on the tray
    // icon) asks for the program's window alone.
    void showRequested(const QString& subject);
};
