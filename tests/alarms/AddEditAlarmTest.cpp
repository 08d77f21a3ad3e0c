#include "alarms/fAddEditAlarmUnit.h"
#include "support/FakeBoardHost.h"
#include "support/FakePlatform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <gtest/gtest.h>

namespace {

class AddEditAlarmTest : public ::testing::Test {
protected:
    AddEditAlarmTest() : dialog(host, fake.platform) {}

    // Types into the duration field from empty, as a user who selected its text.
    void typeDuration(const QString& keys)
    {
        dialog.spDuration->clear();
        QTest::keyClicks(dialog.spDuration, keys);
    }

    FakePlatform fake;
    FakeBoardHost host;
    TfAddEditAlarm dialog;
};

} // namespace

TEST_F(AddEditAlarmTest, ControlsStartAtTheirInitialValuesScaledFrom120DotsPerInch)
{
    EXPECT_EQ(dialog.windowTitle(), "AddEdit Alarm");
    EXPECT_EQ(dialog.size(), QSize(660, 153)); // 825 by 191 at 96 dots per inch
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.font().pixelSize(), 11);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);

    const struct {
        const char* name;
        QRect geometry;
    } controls[] = {{"cbEnabled", {28, 45, 102, 18}},    {"dtpStartDate", {128, 45, 90, 20}},
                    {"dtpStartTime", {235, 45, 79, 20}}, {"spDuration", {344, 44, 60, 22}},
                    {"UnitCB", {442, 46, 78, 20}},       {"SoundCB", {550, 46, 52, 20}},
                    {"Ok", {254, 106, 78, 26}},          {"Cancel", {346, 106, 78, 26}}};
    for (const auto& c : controls) {
        auto* widget = dialog.findChild<QWidget*>(c.name);
        ASSERT_TRUE(widget) << c.name;
        EXPECT_EQ(widget->geometry(), c.geometry) << c.name;
    }
    QStringList captions;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        captions.append(label->text());
    EXPECT_EQ(captions, (QStringList{"Start date:", " Time:", "Duration:", "Unit:", "Sound:"}));

    EXPECT_TRUE(dialog.cbEnabled->isChecked());
    EXPECT_EQ(dialog.cbEnabled->text(), "Enabled");
    EXPECT_EQ(dialog.spDuration->value(), 3);
    EXPECT_EQ(dialog.spDuration->minimum(), 1);
    EXPECT_EQ(dialog.spDuration->maximum(), 86400);
    EXPECT_EQ(dialog.UnitCB->currentText(), "Days");
    EXPECT_EQ(dialog.UnitCB->currentIndex(), -1);
    EXPECT_EQ(dialog.UnitCB->count(), 4);
    EXPECT_EQ(dialog.SoundCB->currentText(), "Off");
    EXPECT_EQ(dialog.SoundCB->currentIndex(), -1);
    EXPECT_EQ(dialog.SoundCB->itemText(1), "On");
    EXPECT_TRUE(dialog.dtpStartDate->calendarPopup());
    EXPECT_EQ(dialog.dtpStartTime->displayFormat(), "HH:mm:ss");
}

TEST_F(AddEditAlarmTest, TabOrderRunsEnabledTimeDurationButtonsDateUnitSound)
{
    const QList<QWidget*> order = {dialog.cbEnabled, dialog.dtpStartTime, dialog.spDuration,
                                   dialog.Ok,        dialog.Cancel,       dialog.dtpStartDate,
                                   dialog.UnitCB,    dialog.SoundCB};
    // The next of these controls met along the focus chain, past labels and the
    // line edits inside the composite fields.
    for (int i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        while (next && !order.contains(next))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << i;
    }
}

TEST_F(AddEditAlarmTest, DurationTakesOnlyNumberKeysAndIsHeldWithinItsLimits)
{
    typeDuration("1a2b");
    EXPECT_EQ(fake.sound.beeps, 2);
    EXPECT_EQ(dialog.duration(), 12);

    typeDuration("100000");
    EXPECT_EQ(dialog.duration(), 86400);
    EXPECT_EQ(dialog.spDuration->text(), "86400");

    typeDuration("1-2");
    EXPECT_EQ(dialog.duration(), 1);
    typeDuration("-7");
    EXPECT_EQ(dialog.duration(), 1);
    typeDuration("+25");
    EXPECT_EQ(dialog.duration(), 25);
    typeDuration("");
    EXPECT_EQ(dialog.duration(), 1);
    EXPECT_EQ(fake.sound.beeps, 2);

    dialog.spDuration->setValue(86399);
    QTest::keyClick(dialog.spDuration, Qt::Key_Up);
    QTest::keyClick(dialog.spDuration, Qt::Key_Up);
    EXPECT_EQ(dialog.duration(), 86400);
    dialog.spDuration->setValue(2);
    QTest::keyClick(dialog.spDuration, Qt::Key_Down);
    QTest::keyClick(dialog.spDuration, Qt::Key_Down);
    EXPECT_EQ(dialog.duration(), 1);
}

TEST_F(AddEditAlarmTest, UnitAndSoundKeepFreelyTypedTextAsTyped)
{
    dialog.UnitCB->setEditText(QString());
    QTest::keyClicks(dialog.UnitCB, "days");
    dialog.SoundCB->setEditText(QString());
    QTest::keyClicks(dialog.SoundCB, "o");
    QTest::keyClicks(dialog.SoundCB, "n");
    EXPECT_EQ(dialog.unitText(), "days");
    EXPECT_EQ(dialog.soundText(), "on");
    EXPECT_EQ(dialog.UnitCB->count(), 4);
}

TEST_F(AddEditAlarmTest, EnterAndEscDoNotCloseOnlyTheButtonsAndCloseBoxDo)
{
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Return);
    QTest::keyClick(dialog.Ok, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());

    QTest::mouseClick(dialog.Ok, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    dialog.show();
    QTest::mouseClick(dialog.Cancel, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    dialog.show();
    dialog.close();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(AddEditAlarmTest, TimeTextJoinsTheDateAndTimeFields)
{
    dialog.dtpStartDate->setDate(QDate(2026, 12, 7));
    dialog.dtpStartTime->setTime(QTime(9, 5, 3));
    EXPECT_EQ(dialog.timeText(), "07.12.2026 09:05:03");
    EXPECT_TRUE(dialog.dtpStartDate->displayFormat().contains("yyyy"));
}

// ---- Typing the start time ----

namespace {

// The start time field as a user left it: 00:14:41, the caret at the start of
// the hour and nothing selected (a click into the field), or the hour selected
// (the Tab key into it).
class StartTimeTypingTest : public AddEditAlarmTest {
protected:
    StartTimeTypingTest()
    {
        dialog.show();
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    void typeAfterClick(const QString& keys)
    {
        dialog.dtpStartTime->setTime(QTime(0, 14, 41));
        auto* text = dialog.dtpStartTime->findChild<QLineEdit*>();
        QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(1, text->height() / 2));
        QTest::keyClicks(dialog.dtpStartTime, keys);
    }
    void typeAfterTab(const QString& keys)
    {
        dialog.dtpStartTime->setTime(QTime(0, 14, 41));
        dialog.dtpStartTime->clearFocus();
        dialog.dtpStartTime->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(dialog.dtpStartTime, keys);
    }
    QString shown() const { return dialog.dtpStartTime->text(); }
};

} // namespace

TEST_F(StartTimeTypingTest, AWholeTimeTypedWithOrWithoutColonsFillsEverySection)
{
    dialog.dtpStartDate->setDate(QDate(2026, 12, 7));
    for (const QString keys : {"001513", "00:15:13", "0:15:13", "0:15:13:"}) {
        typeAfterClick(keys);
        EXPECT_EQ(shown(), "00:15:13") << "after a click: " << keys.toStdString();
        EXPECT_EQ(dialog.timeText(), "07.12.2026 00:15:13") << keys.toStdString();
        typeAfterTab(keys);
        EXPECT_EQ(shown(), "00:15:13") << "after Tab: " << keys.toStdString();
        EXPECT_EQ(dialog.timeText(), "07.12.2026 00:15:13") << keys.toStdString();
    }
    typeAfterTab("1:5:9");
    EXPECT_EQ(dialog.timeText(), "07.12.2026 01:05:09");
    typeAfterTab("235959");
    EXPECT_EQ(dialog.timeText(), "07.12.2026 23:59:59");
    EXPECT_EQ(fake.sound.beeps, 0);
}

TEST_F(StartTimeTypingTest, DigitsOverASelectedSectionReplaceItAndMoveOnWhenItIsFull)
{
    TStartTimeEdit& field = *dialog.dtpStartTime;
    field.setTime(QTime(0, 14, 41));
    field.setFocus(Qt::TabFocusReason);
    field.setSelectedSection(QDateTimeEdit::MinuteSection);
    QTest::keyClicks(&field, "5");
    // 5 may begin 50 to 59: the minute waits for its second digit.
    EXPECT_EQ(field.currentSection(), QDateTimeEdit::MinuteSection);
    QTest::keyClicks(&field, "2");
    EXPECT_EQ(shown(), "00:52:41");
    EXPECT_EQ(field.currentSection(), QDateTimeEdit::SecondSection);
    QTest::keyClicks(&field, "07");
    EXPECT_EQ(field.time(), QTime(0, 52, 7));

    // A section already full takes a typed digit wherever the caret stands in it.
    field.setSelectedSection(QDateTimeEdit::HourSection);
    QTest::keyClick(&field, Qt::Key_Right);
    ASSERT_TRUE(field.sectionText(QDateTimeEdit::HourSection) == "00");
    QTest::keyClicks(&field, "12");
    EXPECT_EQ(field.time(), QTime(12, 52, 7));
    EXPECT_EQ(field.currentSection(), QDateTimeEdit::MinuteSection);
}

TEST_F(StartTimeTypingTest, ADigitNoTwoDigitHourBeginsIsTheHourAndOneThatCannotFollowIsRefused)
{
    TStartTimeEdit& field = *dialog.dtpStartTime;
    // No hour of 70 to 79: "7" is 07, and the minute is next.
    typeAfterTab("7");
    EXPECT_EQ(shown(), "07:14:41");
    EXPECT_EQ(field.currentSection(), QDateTimeEdit::MinuteSection);
    typeAfterTab("71513");
    EXPECT_EQ(field.time(), QTime(7, 15, 13));
    EXPECT_EQ(fake.sound.beeps, 0);

    // After "2" no "5": the digit is refused with a beep, the hour waits for
    // a digit that fits.
    typeAfterTab("25");
    EXPECT_EQ(fake.sound.beeps, 1);
    EXPECT_EQ(field.currentSection(), QDateTimeEdit::HourSection);
    QTest::keyClicks(&field, "31513");
    EXPECT_EQ(field.time(), QTime(23, 15, 13));

    // Letters and other signs are refused the same way.
    typeAfterTab("x-");
    EXPECT_EQ(fake.sound.beeps, 3);
    EXPECT_EQ(shown(), "00:14:41");
    // The arrow keys still step the section.
    typeAfterTab("");
    QTest::keyClick(&field, Qt::Key_Up);
    EXPECT_EQ(field.time(), QTime(1, 14, 41));
}

TEST_F(StartTimeTypingTest, AnHourTypedInPartCountsWhenTheTimeIsTaken)
{
    dialog.dtpStartDate->setDate(QDate(2026, 12, 7));
    typeAfterTab("2");
    EXPECT_EQ(shown(), "2:14:41");
    EXPECT_EQ(dialog.timeText(), "07.12.2026 02:14:41");
}
