// The alarm file loaded into the alarm list: rows sorted by start, a damaged
// file kept aside. What the list then saves must load and save again to the
// same bytes.
#include "FuzzMain.h"
#include "SilentPlatform.h"
#include "alarms/fAlarmSettingsUnit.h"
#include "board/Board.h"
#include "board/BoardHost.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>
#include <cstdlib>

namespace {

struct ProjectHost final : BoardHost {
    ProjectHost()
    {
        projectOfFolder.open(QDir::toNativeSeparators(folder.path()), QStringLiteral("Fuzz"));
    }
    BoardModel& boardModel() override { return window.model(); }
    QUndoStack& undoStack() override { return undo; }
    Project& project() override { return projectOfFolder; }
    ObjectShape* currentShape() const override { return nullptr; }
    ObjectLabel* currentLabel() const override { return nullptr; }
    void blinkAlarmObject(const QString&) override {}
    void clearAlarmBlink(const QString&) override {}
    QPoint globalPoint(const QPoint& boardPoint) const override { return boardPoint; }
    QWidget* mainWindow() override { return &window; }
    void showObject(const QString&) override {}

    Board window;
    QUndoStack undo;
    QTemporaryDir folder;
    Project projectOfFolder;
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
