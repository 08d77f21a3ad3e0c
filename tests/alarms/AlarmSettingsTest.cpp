#include "AlarmFixture.h"

#include "alarms/AlarmFile.h"
#include "alarms/AlarmPeriod.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QDateEdit>
#include <QHeaderView>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

namespace {

QByteArray fixture(const char* name)
{
    QFile file(QStringLiteral(VEXORIN_FIXTURES "/alarms/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

using AlarmWindowTest = AlarmFixture;

// ---- Layout ----

TEST_F(AlarmWindowTest, WindowShowsTheListColumnsAndButtonsAsLaidOut)
{
    EXPECT_EQ(settings->windowTitle(), "Alarm settings");
    EXPECT_EQ(settings->size(), QSize(1143, 348));

    QTreeView* list = settings->findChild<QTreeView*>("lwAlarm");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->geometry(), QRect(8, 8, 655, 241));
    const QStringList captions = {"", "Name", "Time", "Duration", "Unit", "Sound", "Active"};
    const int widths[] = {23, 220, 153, 76, 54, 54, 54};
    ASSERT_EQ(list->model()->columnCount(), 7);
    for (int column = 0; column < 7; ++column) {
        EXPECT_EQ(list->model()->headerData(column, Qt::Horizontal).toString(), captions[column]);
        EXPECT_EQ(list->columnWidth(column), widths[column]);
    }
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(list->isSortingEnabled());

    const struct {
        const char* name;
        const char* caption;
        QRect geometry;
    } buttons[] = {{"Add", "Add", {693, 44, 150, 26}},
                   {"bEdit", "Edit", {693, 76, 150, 26}},
                   {"Delete", "Remove", {690, 108, 153, 25}}};
    for (const auto& b : buttons) {
        auto* button = settings->findChild<QPushButton*>(b.name);
        ASSERT_TRUE(button) << b.name;
        EXPECT_EQ(button->text(), b.caption);
        EXPECT_EQ(button->geometry(), b.geometry) << b.name;
    }
    auto* clock = settings->findChild<QLineEdit*>("Edit1");
    ASSERT_TRUE(clock);
    EXPECT_EQ(clock->geometry().topLeft(), QPoint(691, 6));
    EXPECT_EQ(clock->height(), 26);
    EXPECT_GE(clock->width(), 150);
    EXPECT_EQ(clock->font().pixelSize(), 15);

    // Tab order: the next of these controls met along the focus chain.
    const QList<QWidget*> order = {list, settings->Add, settings->bEdit, settings->Delete,
                                   settings->Edit1};
    for (int i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        while (next && !order.contains(next))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << i;
    }
}

TEST_F(AlarmWindowTest, ListGrowsWithTheWindowAndButtonsFollowTheRightEdge)
{
    settings->show();
    settings->resize(1243, 448);
    EXPECT_EQ(settings->lwAlarm->geometry(), QRect(8, 8, 755, 341));
    EXPECT_EQ(settings->Add->geometry(), QRect(793, 44, 150, 26));
    EXPECT_EQ(settings->Delete->geometry(), QRect(790, 108, 153, 25));
    EXPECT_EQ(settings->Edit1->geometry().topLeft(), QPoint(691, 6));
    settings->hide();
}

TEST_F(AlarmWindowTest, ClockBoxShowsEveryDateAndTimeWhole)
{
    // The box draws its text inside its frame and margins.
    const QFontMetrics metrics(settings->Edit1->font());
    const int chrome = settings->Edit1->sizeHint().width() - 17 * metrics.horizontalAdvance('x');
    for (int month = 1; month <= 12; ++month) {
        for (const QTime time : {QTime(23, 58, 58), QTime(11, 58, 58), QTime(0, 0, 1)}) {
            fake.clock.current = QDateTime(QDate(2026, month, 28), time);
            settings->CheckAlarms();
            const QString text = settings->Edit1->text();
            EXPECT_LE(metrics.horizontalAdvance(text) + chrome, settings->Edit1->width())
                << text.toStdString();
        }
    }
    // The window keeps its layout: the box ends left of the window's right edge.
    EXPECT_LT(settings->Edit1->geometry().right(), settings->width());
}

TEST_F(AlarmWindowTest, OpeningFromAnObjectShowsTheWindowModallyForThatObject)
{
    host.addObject(1, QStringLiteral("Tax return"));
    QWidget* shown = nullptr;
    QTimer::singleShot(0, [&] {
        shown = QApplication::activeModalWidget();
        if (shown)
            shown->close();
    });
    settings->OpenForCurrentObject();
    EXPECT_EQ(shown, settings.get());
    EXPECT_EQ(settings->NewAlarmName, "Tax return");
    EXPECT_FALSE(settings->isVisible());
}

// ---- Loading and saving ----

TEST_F(AlarmWindowTest, StartUpTickLoadsTheOpenProjectsAlarmsOnce)
{
    writeFile(alarmPath(), fixture("tax_return.dat"));
    settings->Timer1->start();
    settings->Timer1Timer(); // idle: nothing to find
    EXPECT_EQ(settings->rowCount(), 0);
    EXPECT_FALSE(settings->Timer1->isActive());

    openProject();
    settings->Timer1Timer();
    ASSERT_EQ(settings->rowCount(), 1);
    EXPECT_EQ(settings->row(0).name, "Tax return");
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
}

TEST_F(AlarmWindowTest, StartUpTimerWaitsHalfASecondAndTicksOnce)
{
    TfAlarmSettings fresh(host, fake.platform);
    fresh.StopThreadTimer();
    EXPECT_TRUE(fresh.Timer1->isActive());
    EXPECT_EQ(fresh.Timer1->interval(), 500);
    fresh.Timer1Timer();
    EXPECT_FALSE(fresh.Timer1->isActive());
}

TEST_F(AlarmWindowTest, LoadSortsByStartAndStopsAtTheFirstCorruptedLine)
{
    openProject();
    writeFile(alarmPath(), fixture("three_good_one_bad.dat"));
    settings->appendRow(alarm("Old", "01.01.2020 00:00:00"));
    settings->DeriveAlarmFolder();
    EXPECT_TRUE(settings->LoadAlarms());
    ASSERT_EQ(fake.dialogs.messages.size(), 1);
    EXPECT_TRUE(fake.dialogs.messages[0].startsWith("Your Alarm data file is corrupted!\n"));
    EXPECT_TRUE(fake.dialogs.messages[0].contains("line 4"))
        << fake.dialogs.messages[0].toStdString();
    EXPECT_EQ(names(), (QStringList{"Early", "Middle", "Late"}));
    EXPECT_FALSE(settings->row(1).enabled);
    // Nothing is written over the file by reading it.
    EXPECT_EQ(readFile(alarmPath()), fixture("three_good_one_bad.dat"));
}

TEST_F(AlarmWindowTest, CorruptedAlarmFileIsKeptAsideOnceBeforeTheSaveDropsItsLaterRows)
{
    openProject();
    const QByteArray damaged = fixture("three_good_one_bad.dat");
    writeFile(alarmPath(), damaged);
    settings->DeriveAlarmFolder();
    ASSERT_TRUE(settings->LoadAlarms());
    ASSERT_TRUE(settings->LoadAlarms()); // a second load of the same bytes keeps no second copy
    for (const QString& message : fake.dialogs.messages)
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(alarmPath() + ".damaged.")))
            << message.toStdString();
    ASSERT_TRUE(settings->SaveAlarms());

    EXPECT_EQ(readFile(alarmPath() + ".damaged"), damaged);
    EXPECT_FALSE(QFileInfo::exists(alarmPath() + ".damaged2"));
    // The rewritten file holds the rows before the bad line, and loads cleanly.
    fake.dialogs.messages.clear();
    ASSERT_TRUE(settings->LoadAlarms());
    EXPECT_EQ(names(), (QStringList{"Early", "Middle", "Late"}));
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
}

TEST_F(AlarmWindowTest, RandomAlarmFilesLoadAndWhatIsSavedLoadsAndSavesAlike)
{
    openProject();
    settings->DeriveAlarmFolder();
    const QByteArray valid = fixture("project.dat") + fixture("three_good_one_bad.dat");
    QRandomGenerator random(812);
    for (int i = 0; i < 200; ++i) {
        QByteArray bytes = valid.left(random.bounded(valid.size() + 1));
        if (i % 2)
            for (int f = 0; f < 4 && !bytes.isEmpty(); ++f)
                bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
        writeFile(alarmPath(), bytes);
        SCOPED_TRACE(i);
        ASSERT_TRUE(settings->LoadAlarms());
        const int rows = settings->rowCount();
        ASSERT_TRUE(settings->SaveAlarms());
        const QByteArray saved = readFile(alarmPath());
        ASSERT_TRUE(settings->LoadAlarms());
        EXPECT_EQ(settings->rowCount(), rows);
        ASSERT_TRUE(settings->SaveAlarms());
        EXPECT_EQ(readFile(alarmPath()), saved);
    }
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

TEST_F(AlarmWindowTest, UnreadableStartsAreOrderedAfterReadableOnesKeepingTheirOrder)
{
    openProject();
    writeFile(alarmPath(), "1-X-garbage-3-Days-Off-False-\r\n"
                           "1-B-02.01.202600:00:00-3-Days-Off-False-\r\n"
                           "1-Y-31.02.202600:00:00-3-Days-Off-False-\r\n"
                           "1-A-01.01.202600:00:00-3-Days-Off-False-\r\n");
    settings->DeriveAlarmFolder();
    ASSERT_TRUE(settings->LoadAlarms());
    EXPECT_EQ(names(), (QStringList{"A", "B", "X", "Y"}));
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());

    // A large file comes out in the order lwAlarmCompare gives.
    QByteArray many;
    QRandomGenerator random(3);
    for (int i = 0; i < 3000; ++i)
        many += "1-R" + QByteArray::number(i) + '-' +
                (i % 7 ? QDateTime(QDate(2026, 1, 1), QTime(0, 0))
                             .addSecs(random.bounded(500))
                             .toString("dd.MM.yyyyHH:mm:ss")
                             .toLatin1()
                       : QByteArray("damaged")) +
                "-3-Days-Off-False-\r\n";
    writeFile(alarmPath(), many);
    ASSERT_TRUE(settings->LoadAlarms());
    ASSERT_EQ(settings->rowCount(), 3000);
    for (int i = 1; i < settings->rowCount(); ++i) {
        const AlarmRow before = settings->row(i - 1);
        const AlarmRow here = settings->row(i);
        const int order = TfAlarmSettings::lwAlarmCompare(Alarm::readTime(before.time),
                                                          Alarm::readTime(here.time));
        ASSERT_LE(order, 0) << i;
        if (order == 0) { // equal starts keep the file's order
            ASSERT_LT(before.name.mid(1).toInt(), here.name.mid(1).toInt()) << i;
        }
    }
}

TEST_F(AlarmWindowTest, SaveWritesTheRowsInDisplayOrderOnlyWhileAProjectIsOpen)
{
    settings->appendRow(alarm("Tax return", "07.12.2026 14:30:00"));
    settings->appendRow(alarm("Early", "01.01.2020 10:00:00", "2", "Hours", false, "On", "True"));
    EXPECT_TRUE(settings->SaveAlarms()); // idle
    EXPECT_FALSE(QFile::exists(alarmPath()));
    EXPECT_TRUE(QDir(projectDir.path()).isEmpty());

    openProject();
    EXPECT_TRUE(settings->SaveAlarms());
    EXPECT_EQ(readFile(alarmPath()), "1-Tax+return-07.12.202614:30:00-3-Days-Off-False-\r\n"
                                     "0-Early-01.01.202010:00:00-2-Hours-On-True-\r\n");

    settings->listModel().clear();
    EXPECT_TRUE(settings->SaveAlarms());
    EXPECT_TRUE(QFile::exists(alarmPath()));
    EXPECT_EQ(readFile(alarmPath()).size(), 0);
    settings->DeriveAlarmFolder();
    EXPECT_TRUE(settings->LoadAlarms());
    EXPECT_EQ(settings->rowCount(), 0);
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
}

TEST_F(AlarmWindowTest, SaveIntoAFolderThatCannotTakeTheFileOffersTheChoicesOfAFailedSave)
{
    host.setProjectFolder(projectDir.filePath("gone"));
    settings->appendRow(alarm("Tax return", "07.12.2026 14:30:00"));
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::Stay, {}}};
    EXPECT_FALSE(settings->SaveAlarms());
    ASSERT_EQ(fake.dialogs.failedSaves.size(), 1);
    EXPECT_TRUE(fake.dialogs.failedSaves[0].error.contains("Alarm.dat"))
        << fake.dialogs.failedSaves[0].error.toStdString();
    EXPECT_EQ(fake.dialogs.failedSaves[0].lost, "the changes to the alarm list are lost.");

    // Saved elsewhere, the rows read back from there.
    const QString rescue = projectDir.filePath("rescue.dat");
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::SaveElsewhere, rescue}};
    EXPECT_TRUE(settings->SaveAlarms());
    AlarmFile file;
    ASSERT_TRUE(file.load(rescue));
    ASSERT_EQ(file.rows().size(), 1);
    EXPECT_EQ(file.rows()[0].name, "Tax return");

    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::LeaveUnsaved, {}}};
    EXPECT_TRUE(settings->SaveAlarms());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

TEST_F(AlarmWindowTest, AnAlarmFileThatCannotBeReadShowsTheErrorAndKeepsTheRows)
{
    openProject();
    QDir(projectDir.path()).mkdir("Alarm.dat");
    settings->appendRow(alarm("Kept", "07.12.2026 14:30:00"));
    EXPECT_FALSE(settings->LoadProjectAlarms());
    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    EXPECT_TRUE(fake.dialogs.errors.front().contains("Alarm.dat"));
    EXPECT_EQ(names(), QStringList{"Kept"});
}

TEST_F(AlarmWindowTest, SwitchingToAProjectWithoutAnAlarmFileEmptiesTheList)
{
    openProject();
    writeFile(alarmPath(), fixture("tax_return.dat"));
    ASSERT_TRUE(settings->LoadProjectAlarms());
    ASSERT_EQ(settings->rowCount(), 1);

    QTemporaryDir other;
    host.setProjectFolder(other.path());
    EXPECT_TRUE(settings->LoadProjectAlarms());
    EXPECT_EQ(settings->rowCount(), 0);
    // So the next save does not carry the first project's alarms over.
    EXPECT_TRUE(settings->SaveAlarms());
    EXPECT_EQ(readFile(QDir(other.path()).filePath("Alarm.dat")).size(), 0);
    EXPECT_EQ(readFile(alarmPath()), fixture("tax_return.dat"));
}

TEST_F(AlarmWindowTest, RowsWithDashesAndQuotesSurviveASaveAndLoad)
{
    openProject();
    const AlarmRow awkward =
        alarm("North-east \"gate\"", "07.12.2026 14:30:00", "3", "Da-ys", true, "\"On\"");
    settings->appendRow(awkward);
    ASSERT_TRUE(settings->SaveAlarms());
    ASSERT_TRUE(settings->LoadProjectAlarms());
    EXPECT_EQ(settings->rows(), QList<AlarmRow>{awkward});
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
}

// ---- Add, Edit, Remove ----

TEST_F(AlarmWindowTest, AddWithTheDefaultsAppendsASelectedTickedRowForTheObject)
{
    host.addObject(1, QStringLiteral("Tax return"));
    settings->NewAlarmName = QStringLiteral("Tax return");
    settings->appendRow(alarm("Later", "09.12.2026 10:00:00"));
    setNow("07.12.2026 14:30:05.000");
    QString caption;
    settings->runDialog = [&](TfAddEditAlarm& dialog) {
        caption = dialog.windowTitle();
        EXPECT_EQ(dialog.dtpStartDate->date(), QDate(2026, 12, 7));
        EXPECT_EQ(dialog.dtpStartTime->time().toString("HH:mm:ss"), "14:30:05");
        return int(QDialog::Accepted);
    };
    settings->AddClick();

    EXPECT_EQ(caption, "New alarm for Tax return");
    ASSERT_EQ(settings->rowCount(), 2);
    EXPECT_EQ(settings->row(1), alarm("Tax return", "07.12.2026 14:30:05"));
    EXPECT_EQ(settings->selectedRow(), 1);
    EXPECT_EQ(settings->lwAlarmAdvancedCustomDrawItem(1), QColor(Qt::black));

    // Its period has begun: the next check makes it active.
    setNow("07.12.2026 14:30:06.000");
    settings->CheckAlarms();
    EXPECT_EQ(settings->row(1).active, "True");
    EXPECT_EQ(settings->lwAlarmAdvancedCustomDrawItem(1), QColor(0xFF, 0, 0));
}

TEST_F(AlarmWindowTest, AddTakesTheDialogsValuesAndLeavesTheBoxClearWhenNotEnabled)
{
    settings->NewAlarmName = QStringLiteral("Pump");
    settings->runDialog = [](TfAddEditAlarm& dialog) {
        dialog.cbEnabled->setChecked(false);
        dialog.dtpStartDate->setDate(QDate(2027, 1, 2));
        dialog.dtpStartTime->setTime(QTime(3, 4, 5));
        dialog.spDuration->setValue(90);
        dialog.UnitCB->setEditText("weeks");
        dialog.SoundCB->setCurrentIndex(1);
        return int(QDialog::Accepted);
    };
    settings->AddClick();
    ASSERT_EQ(settings->rowCount(), 1);
    EXPECT_EQ(settings->row(0), alarm("Pump", "02.01.2027 03:04:05", "90", "weeks", false, "On"));
    EXPECT_EQ(settings->lwAlarmAdvancedCustomDrawItem(0), QColor(0x80, 0x80, 0x80));
}

TEST_F(AlarmWindowTest, AddOrEditClosedWithoutOkLeavesTheRowsAlone)
{
    settings->appendRow(alarm("A", "07.12.2026 14:30:00"));
    select(0);
    settings->runDialog = [](TfAddEditAlarm& dialog) {
        dialog.spDuration->setValue(50);
        return int(QDialog::Rejected);
    };
    settings->AddClick();
    settings->bEditClick();
    EXPECT_EQ(settings->rows(), QList<AlarmRow>{alarm("A", "07.12.2026 14:30:00")});
}

TEST_F(AlarmWindowTest, AddThroughTheRealDialogAndItsOkButton)
{
    settings->NewAlarmName = QStringLiteral("Gate");
    settings->runDialog = [](TfAddEditAlarm& dialog) { return dialog.exec(); };
    bool handled = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TfAddEditAlarm*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->findChild<QComboBox*>("SoundCB")->setCurrentIndex(1);
        QTest::mouseClick(dialog->findChild<QPushButton*>("Ok"), Qt::LeftButton);
        handled = true;
    });
    settings->AddClick();
    ASSERT_TRUE(handled);
    ASSERT_EQ(settings->rowCount(), 1);
    EXPECT_EQ(settings->row(0).sound, "On");
    EXPECT_EQ(settings->row(0).duration, "3");
}

TEST_F(AlarmWindowTest, ATimeTypedIntoTheRealDialogIsTheStartOfTheRowAndOfTheFile)
{
    openProject();
    host.addObject(1, QStringLiteral("Gate"));
    settings->NewAlarmName = QStringLiteral("Gate");
    setNow("07.12.2026 00:14:41.000");
    settings->runDialog = [](TfAddEditAlarm& dialog) { return dialog.exec(); };
    // A click into the time field, the time typed, Ok.
    const auto typeTimeAndOk = [](const QString& keys) {
        QTimer::singleShot(0, [keys] {
            auto* dialog = qobject_cast<TfAddEditAlarm*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            auto* field = dialog->findChild<QTimeEdit*>("dtpStartTime");
            auto* text = field->findChild<QLineEdit*>();
            QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(1, text->height() / 2));
            QTest::keyClicks(field, keys);
            QTest::mouseClick(dialog->findChild<QPushButton*>("Ok"), Qt::LeftButton);
        });
    };
    typeTimeAndOk("001513");
    settings->AddClick();
    ASSERT_EQ(settings->rowCount(), 1);
    EXPECT_EQ(settings->row(0).time, "07.12.2026 00:15:13");

    select(0);
    typeTimeAndOk("21:05:00");
    settings->bEditClick();
    EXPECT_EQ(settings->row(0).time, "07.12.2026 21:05:00");
    ASSERT_TRUE(settings->SaveAlarms());
    EXPECT_EQ(readFile(alarmPath()), "1-Gate-07.12.202621:05:00-3-Days-Off-False-\r\n");
    EXPECT_EQ(fake.sound.beeps, 0);
}

TEST_F(AlarmWindowTest, EditOrRemoveWithoutASelectedRowAsksForOne)
{
    settings->appendRow(alarm("A", "07.12.2026 14:30:00"));
    settings->runDialog = [](TfAddEditAlarm&) {
        ADD_FAILURE() << "no dialog expected";
        return int(QDialog::Rejected);
    };
    settings->bEditClick();
    settings->DeleteClick();
    EXPECT_EQ(fake.dialogs.messages,
              (QStringList{"Please select an item!", "Please select an item!"}));
    EXPECT_TRUE(fake.dialogs.questions.isEmpty());
    EXPECT_EQ(settings->rowCount(), 1);
}

TEST_F(AlarmWindowTest, EditFillsTheDialogFromTheRowAndChangesItInPlace)
{
    settings->appendRow(alarm("First", "01.01.2026 10:00:00"));
    settings->appendRow(
        alarm("Tax return", "07.12.2026 14:30:00", "99999999999", "Years", false, "Beep", "True"));
    select(1);
    settings->runDialog = [](TfAddEditAlarm& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Edit alarm for Tax return");
        EXPECT_FALSE(dialog.cbEnabled->isChecked());
        EXPECT_EQ(dialog.dtpStartDate->date(), QDate(2026, 12, 7));
        EXPECT_EQ(dialog.dtpStartTime->time(), QTime(14, 30, 0));
        EXPECT_EQ(dialog.spDuration->value(), 86400);
        EXPECT_EQ(dialog.UnitCB->currentText(), "Days");
        EXPECT_EQ(dialog.SoundCB->currentText(), "Off");
        dialog.cbEnabled->setChecked(true);
        dialog.dtpStartDate->setDate(QDate(2025, 1, 1)); // earlier than the first row
        return int(QDialog::Accepted);
    };
    settings->bEditClick();
    EXPECT_EQ(names(), (QStringList{"First", "Tax return"}));
    EXPECT_EQ(settings->row(1),
              alarm("Tax return", "01.01.2025 14:30:00", "86400", "Days", true, "Off", "True"));
}

TEST_F(AlarmWindowTest, EditSelectsTheKnownUnitAndSoundItems)
{
    settings->appendRow(alarm("A", "07.12.2026 14:30:00", "0", "Minutes", true, "On"));
    select(0);
    settings->runDialog = [](TfAddEditAlarm& dialog) {
        EXPECT_EQ(dialog.UnitCB->currentIndex(), 2);
        EXPECT_EQ(dialog.SoundCB->currentIndex(), 1);
        EXPECT_EQ(dialog.spDuration->value(), 1);
        return int(QDialog::Accepted);
    };
    settings->bEditClick();
    EXPECT_EQ(settings->row(0), alarm("A", "07.12.2026 14:30:00", "1", "Minutes", true, "On"));
}

TEST_F(AlarmWindowTest, EditOfAnUnreadableRowQuotesTheTextAndChangesNothing)
{
    settings->appendRow(alarm("A", "31.02.2026 10:00:00"));
    settings->appendRow(alarm("B", "07.12.2026 14:30:00", "abc"));
    settings->runDialog = [](TfAddEditAlarm&) {
        ADD_FAILURE() << "no dialog expected";
        return int(QDialog::Accepted);
    };
    const QList<AlarmRow> before = settings->rows();
    for (int row = 0; row < 2; ++row) {
        select(row);
        settings->bEditClick();
    }
    ASSERT_EQ(fake.dialogs.errors.size(), 2);
    EXPECT_TRUE(fake.dialogs.errors[0].contains("\"31.02.2026 10:00:00\""));
    EXPECT_TRUE(fake.dialogs.errors[1].contains("\"abc\""));
    EXPECT_EQ(settings->rows(), before);
}

TEST_F(AlarmWindowTest, RemoveAsksAndSelectsTheRowThatTakesThePlace)
{
    settings->appendRow(alarm("Tax return", "07.12.2026 14:30:00"));
    settings->appendRow(alarm("B", "08.12.2026 14:30:00"));
    settings->appendRow(alarm("C", "09.12.2026 14:30:00"));

    select(0);
    fake.dialogs.confirmAnswers = {false};
    settings->DeleteClick();
    EXPECT_EQ(fake.dialogs.questions,
              QStringList{"Delete alram Tax return - 07.12.2026 14:30:00?"});
    EXPECT_TRUE(fake.dialogs.questionLooks == QList{Dialogs::Look::Information})
        << "an information box";
    EXPECT_EQ(settings->rowCount(), 3);
    EXPECT_TRUE(host.cleared.isEmpty());

    fake.dialogs.confirmAnswers = {true};
    settings->DeleteClick();
    EXPECT_EQ(host.cleared, QStringList{"Tax return"});
    EXPECT_EQ(names(), (QStringList{"B", "C"}));
    EXPECT_EQ(settings->selectedRow(), 0);

    select(1);
    fake.dialogs.confirmAnswers = {true};
    settings->DeleteClick(); // the last row: the new last row is selected
    EXPECT_EQ(names(), QStringList{"B"});
    EXPECT_EQ(settings->selectedRow(), 0);

    fake.dialogs.confirmAnswers = {true};
    settings->DeleteClick(); // the only row
    EXPECT_EQ(settings->rowCount(), 0);
    EXPECT_EQ(settings->selectedRow(), -1);
}

// ---- Row drawing ----

TEST_F(AlarmWindowTest, RowColoursFollowTheBoxAndTheActiveCell)
{
    settings->appendRow(alarm("Idle", "07.12.2026 14:30:00", "3", "Days", true, "Off", "False"));
    settings->appendRow(alarm("Running", "07.12.2026 14:30:00", "3", "Days", true, "Off", "True"));
    settings->appendRow(alarm("Odd", "07.12.2026 14:30:00", "3", "Days", true, "Off", "false"));
    settings->appendRow(alarm("Off", "07.12.2026 14:30:00", "3", "Days", false, "Off", "True"));
    EXPECT_EQ(settings->lwAlarmAdvancedCustomDrawItem(0), QColor(0, 0, 0));
    EXPECT_EQ(settings->lwAlarmAdvancedCustomDrawItem(1), QColor(255, 0, 0));
    EXPECT_EQ(settings->lwAlarmAdvancedCustomDrawItem(2), QColor(255, 0, 0));
    EXPECT_TRUE(host.cleared.isEmpty());
    EXPECT_EQ(settings->lwAlarmAdvancedCustomDrawItem(3), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(host.cleared, QStringList{"Off"});
}

TEST_F(AlarmWindowTest, ClearingTheBoxOfAFlashingAlarmReturnsItsObjectToSolidAtTheRepaint)
{
    settings->appendRow(alarm("Pump", "07.12.2026 14:30:00", "3", "Days", true, "Off", "True"));
    settings->show();
    settings->lwAlarm->viewport()->grab();
    EXPECT_FALSE(host.cleared.contains("Pump"));

    setCheck(0, Qt::Unchecked);
    settings->lwAlarm->viewport()->grab();
    EXPECT_TRUE(host.cleared.contains("Pump"));
    EXPECT_EQ(settings->row(0).active, "True");
    settings->hide();
}

// ---- The check ----

TEST_F(AlarmWindowTest, ThreeMinutesFromTenAreActiveOnlyStrictlyInside)
{
    settings->appendRow(alarm("Pump", "10.12.2026 10:00:00", "3", "Minutes"));
    const struct {
        const char* now;
        const char* active;
    } steps[] = {{"10.12.2026 09:59:59.000", "False"}, {"10.12.2026 10:00:00.000", "False"},
                 {"10.12.2026 10:00:00.001", "True"},  {"10.12.2026 10:01:30.000", "True"},
                 {"10.12.2026 10:02:59.999", "True"},  {"10.12.2026 10:03:00.000", "False"},
                 {"10.12.2026 10:03:01.000", "False"}};
    for (const auto& step : steps) {
        setNow(step.now);
        settings->CheckAlarms();
        EXPECT_EQ(settings->row(0).active, step.active) << step.now;
    }
}

TEST_F(AlarmWindowTest, ActiveAlarmsFlashTheirObjectAndSoundOnlyForExactlyOn)
{
    settings->appendRow(alarm("Loud", "10.12.2026 10:00:00", "1", "Hours", true, "On"));
    settings->appendRow(alarm("Quiet", "10.12.2026 10:00:00", "1", "Hours", true, "on"));
    settings->appendRow(alarm("Later", "11.12.2026 10:00:00", "1", "Hours", true, "On"));
    setNow("10.12.2026 10:00:01.000");
    settings->CheckAlarms();
    EXPECT_EQ(fake.sound.tones, (QList<QPair<int, int>>{{700, 500}}));
    EXPECT_EQ(host.calls, (QStringList{"blink Loud", "blink Quiet", "clear Later"}));
    EXPECT_EQ(host.hatched, (QSet<QString>{"Loud", "Quiet"}));
    EXPECT_EQ(actives(), (QStringList{"True", "True", "False"}));

    setNow("10.12.2026 10:00:02.000"); // even second: solid
    settings->CheckAlarms();
    EXPECT_TRUE(host.hatched.isEmpty());
    EXPECT_EQ(fake.sound.tones.size(), 2);
}

TEST_F(AlarmWindowTest, DisabledAlarmsAreNotExaminedAndKeepTheirActiveCell)
{
    settings->appendRow(alarm("Off", "10.12.2026 10:00:00", "1", "Hours", false, "On", "True"));
    settings->appendRow(alarm("Off2", "10.12.2026 10:00:00", "1", "Hours", false, "On", "False"));
    setNow("10.12.2026 10:00:01.000");
    settings->CheckAlarms();
    EXPECT_EQ(actives(), (QStringList{"True", "False"}));
    EXPECT_TRUE(host.calls.isEmpty());
    EXPECT_TRUE(fake.sound.tones.isEmpty());
}

TEST_F(AlarmWindowTest, TwoAlarmsOfOneObjectFlashOnlyWhenTheActiveOneComesLast)
{
    setNow("10.12.2026 10:00:01.000");
    settings->appendRow(alarm("Gate", "10.12.2026 10:00:00", "1", "Hours"));
    settings->appendRow(alarm("Gate", "11.12.2026 10:00:00", "1", "Hours"));
    settings->CheckAlarms();
    EXPECT_EQ(host.calls, (QStringList{"blink Gate", "clear Gate"}));
    EXPECT_FALSE(host.hatched.contains("Gate"));

    host.calls.clear();
    settings->listModel().clear();
    settings->appendRow(alarm("Gate", "11.12.2026 10:00:00", "1", "Hours"));
    settings->appendRow(alarm("Gate", "10.12.2026 10:00:00", "1", "Hours"));
    settings->CheckAlarms();
    EXPECT_EQ(host.calls, (QStringList{"clear Gate", "blink Gate"}));
    EXPECT_TRUE(host.hatched.contains("Gate"));
}

TEST_F(AlarmWindowTest, DamagedRowsAreNeverActive)
{
    settings->appendRow(
        alarm("NoNumber", "10.12.2026 10:00:00", "abc", "Hours", true, "On", "True"));
    settings->appendRow(alarm("NoTime", "garbage", "3", "Hours", true, "On", "True"));
    settings->appendRow(
        alarm("Negative", "10.12.2026 10:00:00", "-3", "Hours", true, "On", "True"));
    setNow("10.12.2026 10:00:01.000");
    settings->CheckAlarms();
    EXPECT_EQ(actives(), (QStringList{"False", "False", "False"}));
    EXPECT_TRUE(fake.sound.tones.isEmpty());
    EXPECT_EQ(host.cleared, (QStringList{"NoNumber", "NoTime", "Negative"}));
}

TEST_F(AlarmWindowTest, AnEndlessAlarmStaysActive)
{
    settings->appendRow(alarm("Forever", "10.12.2026 10:00:00", "99999999999", "Years"));
    setNow("31.12.9999 23:59:59.000");
    settings->CheckAlarms();
    EXPECT_EQ(settings->row(0).active, "True");
}

TEST_F(AlarmWindowTest, ARowMetAfterTheSecondChangedLeavesItsObjectAlone)
{
    // The pass takes long enough (here: flashing the active object) for the
    // clock to turn to the next second.
    host.advanceOnBlink = [this] {
        fake.clock.current = fake.clock.current.addMSecs(500);
        fake.clock.elapsed += 500;
    };
    settings->appendRow(alarm("Before", "11.12.2026 10:00:00", "1", "Hours"));
    settings->appendRow(alarm("Loud", "10.12.2026 10:00:00", "1", "Hours"));
    settings->appendRow(alarm("After", "11.12.2026 10:00:00", "1", "Hours"));
    setNow("10.12.2026 10:00:01.700");
    settings->CheckAlarms();
    EXPECT_EQ(host.calls, (QStringList{"clear Before", "blink Loud"}));
    EXPECT_EQ(settings->row(2).active, "False");

    // Still within the same second: every inactive row clears its object.
    host.calls.clear();
    host.advanceOnBlink = [this] {
        fake.clock.current = fake.clock.current.addMSecs(200);
        fake.clock.elapsed += 200;
    };
    setNow("10.12.2026 10:00:03.700");
    settings->CheckAlarms();
    EXPECT_EQ(host.calls, (QStringList{"clear Before", "blink Loud", "clear After"}));
}

TEST_F(AlarmWindowTest, EachCheckShowsTheClockAndLeavesOutMidnight)
{
    setNow("10.12.2026 14:30:05.000");
    settings->Edit1->setText("typed");
    settings->CheckAlarms();
    const QString date = QLocale::system().toString(QDate(2026, 12, 10), QLocale::ShortFormat);
    EXPECT_TRUE(settings->Edit1->text().startsWith(date + " "))
        << settings->Edit1->text().toStdString();
    EXPECT_TRUE(settings->Edit1->text().contains("14:30:05") ||
                settings->Edit1->text().contains("2:30:05"));

    setNow("11.12.2026 00:00:00.000");
    settings->CheckAlarms();
    EXPECT_EQ(settings->Edit1->text(),
              QLocale::system().toString(QDate(2026, 12, 11), QLocale::ShortFormat));
    EXPECT_TRUE(host.calls.isEmpty());
}

// ---- As a new user meets it ----

TEST_F(AlarmWindowTest, AMinuteOfAlarmWithSoundFlashesBeepsEndsAndComesBackAfterARestart)
{
    openProject();
    host.addObject(1, QStringLiteral("Pump"));
    settings->appendRow(alarm("Later", "24.12.2026 08:00:00"));
    QTimer::singleShot(0, [] {
        QApplication::activeModalWidget()->close(); // the user closes the alarm window
    });
    settings->OpenForCurrentObject();

    setNow("10.12.2026 10:00:00.000");
    settings->runDialog = [](TfAddEditAlarm& dialog) {
        dialog.spDuration->setValue(1);
        dialog.UnitCB->setCurrentIndex(2);  // Minutes
        dialog.SoundCB->setCurrentIndex(1); // On
        return int(QDialog::Accepted);
    };
    settings->AddClick();
    ASSERT_EQ(settings->row(1), alarm("Pump", "10.12.2026 10:00:00", "1", "Minutes", true, "On"));

    // Each second of the minute: the object alternates and the tone sounds.
    for (int second = 1; second <= 4; ++second) {
        setNow(QStringLiteral("10.12.2026 10:00:%1.000").arg(second, 2, 10, QLatin1Char('0')));
        settings->CheckAlarms();
        EXPECT_EQ(host.hatched.contains("Pump"), second % 2 == 1) << second;
        EXPECT_EQ(settings->row(1).active, "True");
    }
    EXPECT_EQ(fake.sound.tones.size(), 4);
    EXPECT_EQ(settings->lwAlarmAdvancedCustomDrawItem(1), QColor(0xFF, 0, 0));

    setNow("10.12.2026 10:01:00.000");
    settings->CheckAlarms();
    EXPECT_EQ(settings->row(1).active, "False");
    EXPECT_FALSE(host.hatched.contains("Pump"));
    EXPECT_EQ(fake.sound.tones.size(), 4);
    EXPECT_EQ(settings->lwAlarmAdvancedCustomDrawItem(1), QColor(0, 0, 0));

    // A flashing alarm disabled: its object turns solid at the repaint.
    setNow("10.12.2026 10:00:31.000");
    settings->CheckAlarms();
    ASSERT_TRUE(host.hatched.contains("Pump"));
    setCheck(1, Qt::Unchecked);
    settings->lwAlarmAdvancedCustomDrawItem(1);
    EXPECT_FALSE(host.hatched.contains("Pump"));

    // Closing saves; the next start loads them back, sorted by start.
    ASSERT_TRUE(settings->SaveAlarms());
    TfAlarmSettings restarted(host, fake.platform);
    restarted.StopThreadTimer();
    restarted.Timer1Timer();
    ASSERT_EQ(restarted.rowCount(), 2);
    EXPECT_EQ(restarted.row(0).name, "Pump");
    EXPECT_FALSE(restarted.row(0).enabled);
    EXPECT_EQ(restarted.row(1).name, "Later");
}

// ---- The thread timer of the window ----

TEST_F(AlarmWindowTest, ChecksRunInsideTheModalWindowAndNeverAfterTheStop)
{
    TfAlarmSettings window(host, fake.platform); // its worker hands the first check over at once
    window.Timer1->stop();
    window.appendRow(alarm("Pump", "10.12.2026 10:00:00", "1", "Hours"));
    setNow("10.12.2026 10:00:01.000");

    QElapsedTimer patience;
    patience.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (window.row(0).active == "True" || patience.elapsed() > 5000)
            window.close();
    });
    poll.start(5);
    window.OpenForCurrentObject();
    poll.stop();
    EXPECT_EQ(window.row(0).active, "True");
    EXPECT_FALSE(window.Edit1->text().isEmpty());

    window.StopThreadTimer();
    window.listModel().setData(window.listModel().index(0, TfAlarmSettings::ActiveColumn), "False");
    fake.clock.elapsed += 5000; // a check would be due
    QApplication::processEvents();
    EXPECT_TRUE(window.ThreadTimer->isFinished());
    EXPECT_EQ(window.row(0).active, "False");
}
