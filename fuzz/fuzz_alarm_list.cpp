// The alarm file loaded into the alarm list: rows sorted by start, a damaged
// file kept aside. What the list then saves must load and save again to the
// same bytes.
#include "FuzzMain.h"
#include "alarms/fAlarmSettingsUnit.h"
#include "board/Board.h"
#include "board/BoardHost.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "platform/Pointer.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "platform/Sound.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <cstdlib>

namespace {

// Every box answered with No or Cancel (a failed save: stay), every other
// service silent.
struct SilentPlatform final : Dialogs, Desktop, Clock, Processes, Shell, Pointer, Sound {
    void message(const QString&) override {}
    void error(const QString&) override {}
    bool confirm(const QString&, Look) override { return false; }
    std::optional<QString> input(const QString&, const QString&) override { return {}; }
    std::optional<QColor> chooseColor(const QColor&) override { return {}; }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
    QString choosePicture() override { return {}; }
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

    Platform platform{*this, *this, *this, *this, *this, *this, *this, {}, {}, {}};
};

struct ProjectHost final : BoardHost {
    Board& board() override { return window; }
    bool isProjectOpen() const override { return true; }
    QString projectFolder() const override { return QDir::toNativeSeparators(folder.path()); }
    ObjectShape* currentShape() const override { return nullptr; }
    ObjectLabel* currentLabel() const override { return nullptr; }
    void blinkAlarmObject(const QString&) override {}
    void clearAlarmBlink(const QString&) override {}
    QWidget* mainWindow() override { return &window; }

    Board window;
    QTemporaryDir folder;
};

QByteArray saved(TfAlarmSettings& list)
{
    if (!list.SaveAlarms())
        std::abort();
    QFile file(list.alarmFile());
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureApplication<QApplication>();
    static SilentPlatform system;
    static ProjectHost host;
    static TfAlarmSettings* list = [] {
        auto* made = new TfAlarmSettings(host, system.platform);
        made->Timer1->stop();
        made->StopThreadTimer();
        made->DeriveAlarmFolder();
        return made;
    }();

    {
        QFile file(list->alarmFile());
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            std::abort();
    }
    if (!list->LoadAlarms())
        std::abort(); // a readable file always loads, damaged or not
    const qsizetype rows = list->rowCount();
    const QByteArray first = saved(*list);
    if (!list->LoadAlarms() || list->rowCount() != rows)
        std::abort();
    if (saved(*list) != first)
        std::abort();

    // Copies of damaged files would pile up from unit to unit.
    QDir folder(host.folder.path());
    for (const QString& name : folder.entryList(QDir::Files))
        folder.remove(name);
    return 0;
}
