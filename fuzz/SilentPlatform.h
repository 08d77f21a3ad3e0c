#pragma once

// The operating-system stand-ins every fuzz target shares: each box answered
// with No or Cancel (a failed save: stay), every other service silent. Kept in
// one place, so a change of an interface is met once; the fuzz targets are
// built by the sanitizer build, so one left behind fails it.
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Notifications.h"
#include "platform/Platform.h"
#include "platform/Pointer.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "platform/Sound.h"

#include <QDateTime>
#include <QRect>
#include <QSize>
#include <QUrl>

struct SilentPlatform final : Dialogs, Desktop, Clock, Processes, Shell, Pointer, Sound {
    void message(const QString&) override {}
    void error(const QString&) override {}
    bool confirm(const QString&, Look) override { return false; }
    int choose(const QString&, const QStringList&) override { return -1; }
    std::optional<QString> input(const QString&, const QString&) override { return {}; }
    std::optional<QColor> chooseColor(const QColor&) override { return {}; }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
    QString choosePicture() override { return {}; }
    QString chooseSaveFile(const QString&, const QString&) override { return {}; }
    bool choosePrinter(QPrinter&) override { return false; }
    FailedSaveAnswer failedSave(const QList<FailedFile>&) override { return {}; }
    QSize size() const override { return {1920, 1080}; }
    int virtualHeight() const override { return 1080; }
    int dotsPerInch() const override { return 96; }
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 8), QTime(9, 30)); }
    qint64 elapsedMs() const override { return 0; }
    int countRunning(const QString&) const override { return 1; }
    bool open(const QString&) override { return true; }
    bool openLink(const QUrl&) override { return true; }
    QPoint pos() const override { return {}; }
    void setPos(const QPoint&) override {}
    void confine(const QRect&) override {}
    void release() override {}
    std::optional<QRect> confinement() const override { return {}; }
    void tone(int, int) override {}
    void beep() override {}

    struct Silent final : Notifications {
        void notify(const QString&, const QString&, const QString&) override {}
        bool hasTray() const override { return false; }
        void showTrayIcon(const QString&, const QList<TrayItem>&) override {}
        void hideTrayIcon() override {}
    } notifications;

    Platform platform{*this, *this,         *this, *this, *this, *this,
                      *this, notifications, {},    {},    {},    {}};
};
