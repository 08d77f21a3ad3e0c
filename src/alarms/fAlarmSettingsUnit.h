#pragma once

#include "platform/Dialogs.h"

#include "alarms/AlarmFile.h"
#include "alarms/AlarmListModel.h"

#include <QColor>
#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class AlarmNotices;
class BoardHost;
struct Platform;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeView;
class TfAddEditAlarm;
class TThreadTimer;

// The alarm list of the open project: every alarm as one row of lwAlarm, the
// store of the rows between loads and saves of the alarm file. The rows are
// plain values in an AlarmListModel that the list view shows, so a list of a
// million alarms holds no widget item per row. Created once at start-up; its
// creation starts the thread timer that runs CheckAlarms once a second.
class TfAlarmSettings : public QDialog {
    Q_OBJECT
public:
    TfAlarmSettings(BoardHost& host, Platform& platform, QWidget* parent = nullptr);
    ~TfAlarmSettings() override;

    // ---- Called by the main window ----
    // The "Alarm" item of an object's pop-up menu: Add will create alarms for
    // the current object; shows the window modally until the user closes it.
    void OpenForCurrentObject();
    // Writes the rows to the project's alarm file; nothing while idle. A
    // failed write offers the choices of a failed save; false when the user
    // chose to stay.
    bool SaveAlarms();
    // The save of the alarm list at a close or a switch; none while no
    // project is open.
    std::optional<SaveAtLeave> alarmListSave();
    // After a project switch: loads the project's alarm file, or empties the
    // list when the project has none. False when the file could not be read.
    bool LoadProjectAlarms();
    // At the main window's close query: no check runs after this returns.
    void StopThreadTimer();
    // When that close was refused: the checks go on as before it.
    void RestartThreadTimer();
    // Keeps now as the time the program last ran with the open project, read
    // by the next start's notice of the alarms missed while it was closed.
    // At a close or a switch, and every minute; nothing before the start-up
    // tick has read the time kept before.
    void RecordLastRunning();

    // ---- Operations ----
    // Derives AlarmFolder from the main window's caption; empty while idle.
    void DeriveAlarmFolder();
    QString alarmFile() const;
    // Replaces all rows by the alarm file's rows, sorted by start. False when
    // the file could not be read (the error was shown, the rows are unchanged).
    bool LoadAlarms();
    // Another copy changed the alarm file: read again unless rows were
    // added, edited, removed or ticked here since it was read or written.
    void ReloadUnlessEdited();
    // One pass of the alarm check over the enabled rows whose visit can
    // change something (AlarmListModel::rowsToCheck).
    void CheckAlarms();

    // ---- Handlers ----
    void AddClick();
    void bEditClick();
    void DeleteClick();
    // The start-up tick: loads the project's alarms, then names in one notice
    // those whose period started while the program was closed.
    void Timer1Timer();
    void FormCreate();
    void FormDestroy();
    // Ordering by start: negative when a comes first. Unreadable starts come
    // after all readable ones.
    static int lwAlarmCompare(const std::optional<qint64>& startA,
                              const std::optional<qint64>& startB);
    // The text colour of a row; a disabled row also returns its object to solid.
    QColor lwAlarmAdvancedCustomDrawItem(int row);

    // ---- The rows ----
    AlarmListModel& listModel() { return m_model; }
    int rowCount() const;
    AlarmRow row(int index) const;
    QList<AlarmRow> rows() const;
    // The Name of every row, in display order.
    QStringList names() const;
    void appendRow(const AlarmRow& row);
    int selectedRow() const; // -1: none
    // Makes the row current and selected, as a click on it does.
    void selectRow(int index);

    // Shows an add/edit dialog modally and returns its result; tests replace it.
    std::function<int(TfAddEditAlarm&)> runDialog;

    QTreeView* lwAlarm;
    QLineEdit* Edit1;
    QPushButton* Add;
    QPushButton* bEdit;
    QPushButton* Delete;
    QTimer* Timer1;
    // "Desktop notifications and tray icon".
    QCheckBox* cbNotifications;
    // Every minute: RecordLastRunning.
    QTimer* RunningTimer;
    static constexpr int RunningRecordInterval = 60'000;
    AlarmNotices& notices() { return *m_notices; }

    QString NewAlarmName;
    QString AlarmFolder;
    std::unique_ptr<TThreadTimer> ThreadTimer;

    using Column = AlarmListModel::Column;
    using enum AlarmListModel::Column;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void TellMissedWhileClosed();
    void placeControls();
    QString clockText(const QDateTime& now) const;
    int clockBoxWidth() const;

    BoardHost& m_host;
    Platform& m_platform;
    AlarmListModel m_model;
    AlarmNotices* m_notices;
    bool m_startTold = false;
    bool m_rowsEdited = false;
    // Room for the widest text the clock box can show.
    int m_clockBoxWidth = 150;
};
