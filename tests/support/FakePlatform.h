#pragma once

#include "support/QtPrinters.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Notifications.h"
#include "platform/Platform.h"
#include "platform/Pointer.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "platform/Sound.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>

// Answers boxes and choosers from queues and records what was shown. A box
// asked for with no answer queued fails the test and is cancelled.
class TestDialogs : public Dialogs {
public:
    void message(const QString& text) override;
    void error(const QString& text) override;
    bool confirm(const QString& text, Look look) override;
    int choose(const QString& text, const QStringList& choices) override;
    std::optional<QString> input(const QString& prompt, const QString& initial) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    QString chooseFolder(const QString& title, const QString& initialFolder) override;
    QString choosePicture() override;
    QString chooseSaveFile(const QString& title, const QString& filters) override;
    bool choosePrinter(QPrinter& printer) override;
    FailedSaveAnswer failedSave(const QList<FailedFile>& files) override;

    // Everything shown, in order.
    QStringList messages;
    QStringList errors;
    QStringList questions;
    QList<Look> questionLooks;
    QStringList prompts;
    QStringList initialTexts;
    QStringList folderTitles;
    QStringList initialFolders;
    // Each failed-save box: every file it listed; error, lost, suggestedFile
    // and filter are those of its first file.
    struct FailedSave {
        QString error;
        QString lost;
        QString suggestedFile;
        QString filter;
        QList<FailedFile> files;
    };
    QList<FailedSave> failedSaves;

    // Answers, taken from the front.
    QList<bool> confirmAnswers;
    // Choice boxes: the text and choices shown, and the index to answer.
    QStringList choiceTexts;
    QList<QStringList> choiceLists;
    QList<int> chooseAnswers;
    QList<std::optional<QString>> inputAnswers;
    QList<std::optional<QColor>> colorAnswers;
    QStringList folderAnswers;
    QStringList pictureAnswers;
    QStringList saveFileAnswers;
    // A print dialog accepted with this answer prints into a PDF file there;
    // an empty answer cancels it.
    QStringList printAnswers;
    QStringList saveFileTitles;
    QStringList saveFileFilters;
    QList<FailedSaveAnswer> failedSaveAnswers;
    // When set, answers every failed save instead of the queue.
    std::function<FailedSaveAnswer(const FailedSave&)> failedSaveAnswerer;
};

class FakeDesktop : public Desktop {
public:
    QSize size() const override { return screen; }
    int virtualHeight() const override { return screen.height(); }
    int dotsPerInch() const override { return dpi; }
    QSize screen{1920, 1080};
    int dpi = 96;
};

class FakeClock : public Clock {
public:
    QDateTime now() const override { return current; }
    qint64 elapsedMs() const override { return elapsed; }
    QDateTime current{QDate(2026, 12, 8), QTime(9, 30, 0)};
    qint64 elapsed = 0;
};

class FakeProcesses : public Processes {
public:
    int countRunning(const QString& programFileName) const override
    {
        asked = programFileName;
        return running;
    }
    int running = 1;
    mutable QString asked;
};

class FakeShell : public Shell {
public:
    bool open(const QString& path) override
    {
        opened.append(path);
        return result;
    }
    bool openLink(const QUrl& link) override
    {
        links.append(link);
        return result;
    }
    QStringList opened;
    QList<QUrl> links;
    bool result = true;
};

class FakePointer : public Pointer {
public:
    QPoint pos() const override { return at; }
    void setPos(const QPoint& p) override { at = p; }
    void confine(const QRect& rect) override { confined = rect; }
    void release() override { confined.reset(); }
    std::optional<QRect> confinement() const override { return confined; }
    QPoint at{500, 400};
    std::optional<QRect> confined;
};

class FakeSound : public Sound {
public:
    void tone(int frequencyHz, int durationMs) override { tones.append({frequencyHz, durationMs}); }
    void beep() override { ++beeps; }
    QList<QPair<int, int>> tones;
    int beeps = 0;
};

// Records notifications and the tray icon; a tray is there unless told
// otherwise. The user's "Show" is chooseShow.
class FakeNotifications : public Notifications {
public:
    struct Sent {
        QString subject;
        QString title;
        QString body;
        bool operator==(const Sent&) const = default;
    };
    void notify(const QString& subject, const QString& title, const QString& body) override
    {
        sent.append({subject, title, body});
    }
    bool hasTray() const override { return tray; }
    void showTrayIcon(const QString& toolTip, const QList<TrayItem>& menu) override
    {
        trayShown = true;
        trayToolTip = toolTip;
        trayMenu = menu;
    }
    void hideTrayIcon() override { trayShown = false; }
    // "Show" on the notification of subject, or the tray menu's line of it.
    void chooseShow(const QString& subject) { emit showRequested(subject); }

    QList<Sent> sent;
    bool tray = true;
    bool trayShown = false;
    QString trayToolTip;
    QList<TrayItem> trayMenu;
};

// All the doubles at once, with the program folder, which also holds the
// user's settings file, in a fresh temporary folder.
struct FakePlatform {
    FakePlatform();

    QTemporaryDir programDir;
    TestDialogs dialogs;
    FakeDesktop desktop;
    FakeClock clock;
    FakeProcesses processes;
    FakeShell shell;
    FakePointer pointer;
    FakeSound sound;
    FakeNotifications notifications;
    Platform platform;
};
