#include "alarms/fAlarmSettingsUnit.h"

#include "alarms/AlarmNotices.h"
#include "alarms/AlarmPeriod.h"
#include "alarms/ThreadTimer.h"
#include "alarms/fAddEditAlarmUnit.h"
#include "board/BoardHost.h"
#include "project/ObjectLabel.h"
#include "project/Project.h"
#include "formats/KeepAside.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/ObjectName.h"
#include "platform/Platform.h"
#include "platform/Sound.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

namespace {

const QString False = QStringLiteral("False");
const QString SoundOn = QStringLiteral("On");
const QString SelectAnItem = QStringLiteral("Please select an item!");

constexpr int ToneFrequency = 700;
constexpr int ToneDuration = 500;
constexpr int CheckInterval = 1000;
constexpr int StartUpLoadDelay = 500;

// Distances of the list's right and bottom edges, and of the buttons' right
// edges, from the client area's edges at the designed size 1143 by 348.
constexpr int ListRightGap = 480;
constexpr int ListBottomGap = 99;
constexpr int ButtonRightGap = 300;

// The list, whose rows choose their own text colour each time they are drawn.
class AlarmListView : public QTreeView {
public:
    using QTreeView::QTreeView;
    std::function<QColor(int)> rowColor;

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override
    {
        QStyleOptionViewItem colored(option);
        if (index.isValid() && rowColor)
            colored.palette.setColor(QPalette::Text, rowColor(index.row()));
        QTreeView::drawRow(painter, colored, index);
    }
};

// The system's long time format without the time zone Qt adds to it.
QString longTimeFormat()
{
    const QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && c == u't')
            continue;
        result += c;
    }
    return result.trimmed();
}

} // namespace

TfAlarmSettings::TfAlarmSettings(BoardHost& host, Platform& platform, QWidget* parent)
    : QDialog(parent), m_host(host), m_platform(platform),
      m_notices(new AlarmNotices(host, platform, this))
{
    setObjectName(QStringLiteral("fAlarmSettings"));
    runDialog = [](TfAddEditAlarm& dialog) { return dialog.exec(); };
    build();
    FormCreate();
}

TfAlarmSettings::~TfAlarmSettings()
{
    FormDestroy();
}

void TfAlarmSettings::build()
{
    setWindowTitle(QStringLiteral("Alarm settings"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setSizeGripEnabled(true);

    auto* list = new AlarmListView(this);
    list->rowColor = [this](int row) { return lwAlarmAdvancedCustomDrawItem(row); };
    lwAlarm = list;
    lwAlarm->setObjectName(QStringLiteral("lwAlarm"));
    lwAlarm->setModel(&m_model);
    // A tick or a cell typed in the list is an edit of the list.
    connect(&m_model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.contains(Qt::CheckStateRole) || roles.contains(Qt::EditRole))
                    m_rowsEdited = true;
            });
    const int widths[ColumnCount] = {23, 220, 153, 76, 54, 54, 54};
    // The style's least section width may exceed the check box column's.
    lwAlarm->header()->setMinimumSectionSize(
        std::min(widths[CheckColumn], lwAlarm->header()->minimumSectionSize()));
    for (int column = 0; column < ColumnCount; ++column)
        lwAlarm->setColumnWidth(column, widths[column]);
    lwAlarm->header()->setStretchLastSection(false);
    lwAlarm->header()->setSectionsMovable(false);
    lwAlarm->setRootIsDecorated(false);
    lwAlarm->setItemsExpandable(false);
    lwAlarm->setUniformRowHeights(true);
    lwAlarm->setAllColumnsShowFocus(true);
    lwAlarm->setSelectionMode(QAbstractItemView::SingleSelection);
    lwAlarm->setSelectionBehavior(QAbstractItemView::SelectRows);
    lwAlarm->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lwAlarm->setSortingEnabled(false);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    QFont clockFont(QStringLiteral("Tahoma"));
    clockFont.setPixelSize(15);
    Edit1->setFont(clockFont);
    m_clockBoxWidth = clockBoxWidth();

    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    Add = button("Add", QStringLiteral("Add"));
    bEdit = button("bEdit", QStringLiteral("Edit"));
    Delete = button("Delete", QStringLiteral("Remove"));
    connect(Add, &QPushButton::clicked, this, &TfAlarmSettings::AddClick);
    connect(bEdit, &QPushButton::clicked, this, &TfAlarmSettings::bEditClick);
    connect(Delete, &QPushButton::clicked, this, &TfAlarmSettings::DeleteClick);

    cbNotifications = new QCheckBox(QStringLiteral("Desktop notifications and tray icon"), this);
    cbNotifications->setObjectName(QStringLiteral("cbNotifications"));
    cbNotifications->setChecked(m_notices->isOn());
    connect(cbNotifications, &QCheckBox::toggled, m_notices, &AlarmNotices::setOn);

    setTabOrder(lwAlarm, Add);
    setTabOrder(Add, bEdit);
    setTabOrder(bEdit, Delete);
    setTabOrder(Delete, cbNotifications);
    setTabOrder(cbNotifications, Edit1);

    resize(1143, 348);
    placeControls();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(StartUpLoadDelay);
    connect(Timer1, &QTimer::timeout, this, &TfAlarmSettings::Timer1Timer);
    Timer1->start();

    RunningTimer = new QTimer(this);
    RunningTimer->setObjectName(QStringLiteral("RunningTimer"));
    RunningTimer->setInterval(RunningRecordInterval);
    connect(RunningTimer, &QTimer::timeout, this, &TfAlarmSettings::RecordLastRunning);
    RunningTimer->start();
}

void TfAlarmSettings::placeControls()
{
    const int w = width();
    const int h = height();
    lwAlarm->setGeometry(8, 8, std::max(0, w - 8 - ListRightGap),
                         std::max(0, h - 8 - ListBottomGap));
    Edit1->setGeometry(691, 6, m_clockBoxWidth, 26);
    Add->setGeometry(w - ButtonRightGap - 150, 44, 150, 26);
    bEdit->setGeometry(w - ButtonRightGap - 150, 76, 150, 26);
    Delete->setGeometry(w - ButtonRightGap - 153, 108, 153, 25);
    cbNotifications->setGeometry(w - ButtonRightGap - 153, 144, 260, 22);
}

void TfAlarmSettings::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    placeControls();
}

void TfAlarmSettings::showEvent(QShowEvent* event)
{
    const QSize desktop = m_platform.desktop.size();
    const QRect frame = frameGeometry();
    move((desktop.width() - frame.width()) / 2, (desktop.height() - frame.height()) / 2);
    QDialog::showEvent(event);
}

// ---- Thread timer ----

void TfAlarmSettings::FormCreate()
{
    ThreadTimer = std::make_unique<TThreadTimer>(m_platform.clock, [this] { CheckAlarms(); });
    ThreadTimer->setInterval(CheckInterval);
    ThreadTimer->start();
}

void TfAlarmSettings::FormDestroy()
{
    StopThreadTimer();
    ThreadTimer.reset();
}

void TfAlarmSettings::StopThreadTimer()
{
    if (ThreadTimer)
        ThreadTimer->stop();
}

void TfAlarmSettings::RestartThreadTimer()
{
    if (ThreadTimer && ThreadTimer->isFinished())
        FormCreate();
}

// ---- Rows ----

int TfAlarmSettings::rowCount() const
{
    return m_model.rows().count();
}

AlarmRow TfAlarmSettings::row(int index) const
{
    if (index < 0 || index >= rowCount())
        return {};
    return m_model.rows().row(index);
}

QList<AlarmRow> TfAlarmSettings::rows() const
{
    QList<AlarmRow> all;
    all.reserve(rowCount());
    for (int i = 0; i < rowCount(); ++i)
        all.append(row(i));
    return all;
}

QStringList TfAlarmSettings::names() const
{
    QStringList all;
    all.reserve(rowCount());
    for (int i = 0; i < rowCount(); ++i)
        all.append(m_model.rows().text(i, AlarmRows::Name));
    return all;
}

void TfAlarmSettings::appendRow(const AlarmRow& row)
{
    m_model.append(row);
    m_rowsEdited = true;
}

int TfAlarmSettings::selectedRow() const
{
    const QModelIndexList selected = lwAlarm->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.front().row();
}

void TfAlarmSettings::selectRow(int index)
{
    const QModelIndex at = m_model.index(index, CheckColumn);
    lwAlarm->setCurrentIndex(at);
    lwAlarm->selectionModel()->select(at, QItemSelectionModel::ClearAndSelect |
                                              QItemSelectionModel::Rows);
}

// ---- The alarm file ----

void TfAlarmSettings::DeriveAlarmFolder()
{
    AlarmFolder = m_host.project().isOpen() ? m_host.project().folder() : QString();
}

QString TfAlarmSettings::alarmFile() const
{
    return QDir::toNativeSeparators(ProjectFiles::inFolder(AlarmFolder, ProjectFiles::Alarms));
}

int TfAlarmSettings::lwAlarmCompare(const std::optional<qint64>& startA,
                                    const std::optional<qint64>& startB)
{
    return Alarm::compareStarts(startA, startB);
}

void TfAlarmSettings::ReloadUnlessEdited()
{
    DeriveAlarmFolder();
    if (m_rowsEdited || AlarmFolder.isEmpty() || !QFileInfo::exists(alarmFile()))
        return;
    LoadAlarms();
}

bool TfAlarmSettings::LoadAlarms()
{
    // Taken before the read: a change made while it reads is seen later.
    const FileStamp stamp = FileStamp::of(alarmFile());
    m_host.project().sharedFiles().remember(alarmFile(), stamp);
    m_rowsEdited = false;
    AlarmFile file;
    AlarmRows loaded;
    if (const QFileInfo info(alarmFile()); info.size() > 0)
        loaded.reserve(int(std::min<qint64>(info.size() / 40, 1 << 22))); // about 40 bytes a line
    const bool read = file.load(alarmFile(), [&loaded](AlarmRow&& row) { loaded.append(row); });
    if (!read && !file.isCorrupted()) {
        m_platform.dialogs.error(file.errorString());
        return false;
    }
    // The rows in the order lwAlarmCompare gives; equal starts keep the file's order.
    loaded.sortByStart();
    m_model.reset(std::move(loaded));
    if (file.isCorrupted()) {
        // The next save writes only the rows before the bad line: a copy keeps
        // the rest for whoever can mend the file.
        QString copyError;
        const QString copy = keepAside(alarmFile(), &copyError);
        m_platform.dialogs.message(QStringLiteral("Your Alarm data file is corrupted!\n") +
                                   file.errorString() + u'\n' + keptAsideNote(copy, copyError));
    }
    return true;
}

bool TfAlarmSettings::SaveAlarms()
{
    const std::optional<SaveAtLeave> save = alarmListSave();
    return !save || mayLeave(saveOrAsk(m_platform.dialogs, *save));
}

std::optional<SaveAtLeave> TfAlarmSettings::alarmListSave()
{
    DeriveAlarmFolder();
    if (AlarmFolder.isEmpty())
        return std::nullopt;
    // The rows are read when the file is written: no copy of a million rows,
    // and nothing can change them while a close or a switch asks.
    const auto writeTo = [this](const QString& path, QString* error) {
        const auto write = [&] {
            const AlarmRows& all = m_model.rows();
            AlarmFile file;
            const bool saved =
                file.save(path, all.count(), [&all](qsizetype i) { return all.row(int(i)); });
            *error = file.errorString();
            return saved;
        };
        if (path != alarmFile())
            return write();
        if (!m_host.project().replaceFile(path, write, error))
            return false;
        m_rowsEdited = false;
        return true;
    };
    return SaveAtLeave{writeTo,
                       alarmFile(),
                       QStringLiteral("the changes to the alarm list are lost."),
                       QStringLiteral("Alarm files (*.dat)"),
                       {},
                       {}};
}

bool TfAlarmSettings::LoadProjectAlarms()
{
    DeriveAlarmFolder();
    if (AlarmFolder.isEmpty())
        return true;
    if (!QFileInfo::exists(alarmFile())) {
        // The rows belong to the project they were loaded from. A list that
        // another copy starts meanwhile is its change, read in or kept beside.
        m_model.clear();
        m_host.project().sharedFiles().remember(alarmFile(), FileStamp::of(alarmFile()));
        return true;
    }
    return LoadAlarms();
}

void TfAlarmSettings::Timer1Timer()
{
    Timer1->stop();
    DeriveAlarmFolder();
    if (!AlarmFolder.isEmpty() && QFileInfo::exists(alarmFile()))
        LoadAlarms();
    TellMissedWhileClosed();
}

void TfAlarmSettings::TellMissedWhileClosed()
{
    m_startTold = true;
    if (AlarmFolder.isEmpty())
        return;
    const QDateTime now = m_platform.clock.now();
    const std::optional<QDateTime> closedAt = m_notices->lastRunning(AlarmFolder);
    // Kept before the notice waits for its OK: a crash meanwhile does not
    // bring it back.
    m_notices->recordRunning(AlarmFolder, now);
    if (!closedAt)
        return; // the project's first start
    const QString notice = AlarmNotices::missedWhileClosed(
        m_model.rows(), Alarm::wallClock(*closedAt), Alarm::wallClock(now), now.date());
    if (!notice.isEmpty())
        m_platform.dialogs.message(notice);
}

void TfAlarmSettings::RecordLastRunning()
{
    if (!m_startTold)
        return;
    DeriveAlarmFolder();
    if (!AlarmFolder.isEmpty())
        m_notices->recordRunning(AlarmFolder, m_platform.clock.now());
}

// ---- The window ----

void TfAlarmSettings::OpenForCurrentObject()
{
    const ObjectLabel* label = m_host.currentLabel();
    NewAlarmName = label ? label->caption() : QString();
    if (label && ObjectName::refused(NewAlarmName, m_platform.dialogs))
        return;
    exec();
}

QColor TfAlarmSettings::lwAlarmAdvancedCustomDrawItem(int row)
{
    const AlarmRows& rows = m_model.rows();
    if (!rows.isEnabled(row)) {
        m_host.clearAlarmBlink(rows.text(row, AlarmRows::Name));
        return QColor(0x80, 0x80, 0x80);
    }
    return rows.isActiveFalse(row) ? QColor(0, 0, 0) : QColor(0xFF, 0, 0);
}

void TfAlarmSettings::AddClick()
{
    TfAddEditAlarm dialog(m_host, m_platform, this);
    const ObjectLabel* label = m_host.currentLabel();
    dialog.setWindowTitle(QStringLiteral("New alarm for ") +
                          (label ? label->caption() : QString()));
    const QDateTime now = m_platform.clock.now();
    dialog.dtpStartTime->setTime(now.time());
    dialog.dtpStartDate->setDate(now.date());
    if (runDialog(dialog) != QDialog::Accepted)
        return;

    lwAlarm->setUpdatesEnabled(false);
    appendRow({false, NewAlarmName, dialog.timeText(), QString::number(dialog.duration()),
               dialog.unitText(), dialog.soundText(), False});
    const int last = rowCount() - 1;
    selectRow(last);
    if (dialog.cbEnabled->isChecked())
        m_model.setData(m_model.index(last, CheckColumn), Qt::Checked, Qt::CheckStateRole);
    lwAlarm->setUpdatesEnabled(true);
}

void TfAlarmSettings::bEditClick()
{
    const int index = selectedRow();
    if (index < 0) {
        m_platform.dialogs.message(SelectAnItem);
        return;
    }
    const AlarmRow current = row(index);

    TfAddEditAlarm dialog(m_host, m_platform, this);
    dialog.setWindowTitle(QStringLiteral("Edit alarm for ") + current.name);
    dialog.cbEnabled->setChecked(current.enabled);
    QDate date;
    QTime time;
    if (!Alarm::readTime(current.time, &date, &time)) {
        m_platform.dialogs.error(
            QStringLiteral("\"%1\" is not a valid date and time.").arg(current.time));
        return;
    }
    dialog.dtpStartTime->setTime(time);
    dialog.dtpStartDate->setDate(date);
    const std::optional<qint64> duration = readWholeNumber(current.duration);
    if (!duration) {
        m_platform.dialogs.error(
            QStringLiteral("\"%1\" is not a valid whole number.").arg(current.duration));
        return;
    }
    dialog.spDuration->setValue(int(
        std::clamp<qint64>(*duration, dialog.spDuration->minimum(), dialog.spDuration->maximum())));
    const QStringList units = {QStringLiteral("Days"), QStringLiteral("Hours"),
                               QStringLiteral("Minutes"), QStringLiteral("Seconds")};
    if (const qsizetype unit = units.indexOf(current.unit); unit >= 0)
        dialog.UnitCB->setCurrentIndex(int(unit));
    if (const qsizetype sound = QStringList{QStringLiteral("Off"), SoundOn}.indexOf(current.sound);
        sound >= 0)
        dialog.SoundCB->setCurrentIndex(int(sound));

    if (runDialog(dialog) != QDialog::Accepted)
        return;

    AlarmRow edited = current;
    edited.enabled = dialog.cbEnabled->isChecked();
    edited.time = dialog.timeText();
    edited.duration = QString::number(dialog.duration());
    edited.unit = dialog.unitText();
    edited.sound = dialog.soundText();
    m_model.replace(index, edited);
    m_rowsEdited = true;
}

void TfAlarmSettings::DeleteClick()
{
    const int index = selectedRow();
    if (index < 0) {
        m_platform.dialogs.message(SelectAnItem);
        return;
    }
    const AlarmRow current = row(index);
    if (!m_platform.dialogs.confirm(QStringLiteral("Delete alram ") + current.name +
                                        QStringLiteral(" - ") + current.time + u'?',
                                    Dialogs::Look::Information))
        return;
    m_host.clearAlarmBlink(current.name);

    lwAlarm->setUpdatesEnabled(false);
    m_model.remove(index);
    m_rowsEdited = true;
    lwAlarm->clearSelection();
    const int count = rowCount();
    if (count > 0)
        selectRow(std::min(index, count - 1));
    lwAlarm->setUpdatesEnabled(true);
}

// ---- The check ----

QString TfAlarmSettings::clockText(const QDateTime& now) const
{
    const QLocale system = QLocale::system();
    QString text = system.toString(now.date(), QLocale::ShortFormat);
    if (now.time() != QTime(0, 0))
        text += u' ' + system.toString(now.time(), longTimeFormat());
    return text;
}

int TfAlarmSettings::clockBoxWidth() const
{
    // The widest date of this year and the widest time of day at the box's
    // font: every month and weekday, one- and two-digit days, every hour
    // (before and after noon) and every minute and second digit.
    const QFontMetrics metrics(Edit1->font());
    const QLocale system = QLocale::system();
    const QDate firstDay(m_platform.clock.now().date().year(), 1, 1);
    QDate widestDate = firstDay;
    int widestDateWidth = 0;
    for (QDate day = firstDay; day.year() == firstDay.year(); day = day.addDays(1)) {
        const int width = metrics.horizontalAdvance(system.toString(day, QLocale::ShortFormat));
        if (width > widestDateWidth) {
            widestDateWidth = width;
            widestDate = day;
        }
    }
    const QString timeFormat = longTimeFormat();
    QTime widestTime(23, 59, 59);
    int widestTimeWidth = 0;
    for (int hour = 0; hour < 24; ++hour) {
        for (int minute = 0; minute < 60; ++minute) {
            const QTime time(hour, minute, minute);
            if (time == QTime(0, 0))
                continue; // the clock shows no time at midnight
            const int width = metrics.horizontalAdvance(system.toString(time, timeFormat));
            if (width > widestTimeWidth) {
                widestTimeWidth = width;
                widestTime = time;
            }
        }
    }
    const int textWidth = metrics.horizontalAdvance(clockText(QDateTime(widestDate, widestTime)));
    // The box's frame and margins: its size hint is room for 17 "x" plus them.
    const int chrome = Edit1->sizeHint().width() - 17 * metrics.horizontalAdvance(QLatin1Char('x'));
    // The designed 150 pixels stay the least; one more for rounding of the text width.
    return std::max(150, textWidth + chrome + 1);
}

void TfAlarmSettings::CheckAlarms()
{
    const QDateTime nowTime = m_platform.clock.now();
    const Alarm::Millis now = Alarm::wallClock(nowTime);
    // Whether the clock's second has turned since now is told by the monotonic
    // counter: reading the wall clock once per row would cost a time-zone
    // look-up each time.
    const qint64 secondTurnsAt = m_platform.clock.elapsedMs() + (1000 - nowTime.time().msec());
    Edit1->setText(clockText(nowTime));
    // A text longer than the box shows its beginning, not its end.
    Edit1->setCursorPosition(0);

    // Only the rows whose visit can change something: the others are idle,
    // show "False" already and would clear an object that is solid.
    const AlarmRows& rows = m_model.rows();
    // Every running row is among those visited: the tray's count of them.
    int activeCount = 0;
    QList<ActiveAlarm> firstActive;
    for (const int i : m_model.rowsToCheck(now, m_host.hatchedObjectNames())) {
        if (!rows.isEnabled(i))
            continue;
        const QString name = rows.text(i, AlarmRows::Name);
        // A start that cannot be read has no period.
        if (rows.isRunningAt(i, now)) {
            const Alarm::Period period = *rows.period(i);
            // Active turns "True" once per period: the one notification of it.
            if (m_model.setActive(i, true))
                m_notices->periodStarted(name, period);
            if (++activeCount <= AlarmNotices::TrayMenuLength)
                firstActive.append({name, period});
            m_host.blinkAlarmObject(name);
            if (rows.isSoundOn(i))
                m_platform.sound.tone(ToneFrequency, ToneDuration);
        } else {
            m_model.setActive(i, false);
            // A new second begun during the pass leaves this object as it is.
            if (m_platform.clock.elapsedMs() < secondTurnsAt)
                m_host.clearAlarmBlink(name);
        }
    }
    m_notices->setActive(activeCount, firstActive);
    lwAlarm->viewport()->update();
}
