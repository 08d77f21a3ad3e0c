#include "NoteFixture.h"

#include <QMenu>
#include <QTest>
#include <QTextBlock>

namespace {

QByteArray readFixture(const char* name)
{
    QFile file(QStringLiteral(VEXORIN_FIXTURES "/notes/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList names(const QList<TStatusButton*>& buttons)
{
    QStringList result;
    for (const TStatusButton* button : buttons)
        result.append(button->objectName());
    return result;
}

QStringList captions(const QList<TStatusButton*>& buttons)
{
    QStringList result;
    for (const TStatusButton* button : buttons)
        result.append(button->text());
    return result;
}

} // namespace

class StatusButtonsTest : public NoteFixture {
protected:
    TForm2* openPump()
    {
        createNote("Pump");
        return open(1, "Pump");
    }
    void newStatus(TForm2* window, const QString& name, std::optional<QColor> color)
    {
        fake.dialogs.inputAnswers = {name};
        fake.dialogs.colorAnswers = {color};
        window->Status1Click();
    }
    TStatusButton* button(TForm2* window, const QString& name)
    {
        return window->findChild<TStatusButton*>(name);
    }
};

TEST_F(StatusButtonsTest, ThreeStatusesTakeNumbersOneToThreeInRowsOf28)
{
    TForm2* window = openPump();
    newStatus(window, "Open", QColor(255, 0, 0));
    newStatus(window, "In repair", QColor(0, 255, 0));
    newStatus(window, QString::fromUtf8("Café closed"), QColor(0, 0, 255));

    EXPECT_EQ(fake.dialogs.prompts, QStringList(3, "Define status"));
    EXPECT_EQ(fake.dialogs.initialTexts, QStringList(3, ""));
    EXPECT_EQ(fake.dialogs.messages, QStringList(3, "Define color               "));
    const QList<TStatusButton*> buttons = window->statusButtons();
    EXPECT_EQ(names(buttons), (QStringList{"SpeedButton1", "SpeedButton2", "SpeedButton3"}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(buttons[i]->tag(), i + 1);
        EXPECT_EQ(buttons[i]->geometry(), QRect(5, 28 * (i + 1), 168, 23));
    }
    EXPECT_EQ(buttons[1]->color(), 0x00FF00u);
    EXPECT_EQ(buttons[1]->palette().color(QPalette::ButtonText), QColor(0, 255, 0));

    ASSERT_TRUE(CloseNoteWindow());
    EXPECT_EQ(readAll(statusFile()), readFixture("three-statuses.ini"));
}

TEST_F(StatusButtonsTest, RemovingTheSecondMovesLaterButtonsUpAndFreesItsNumber)
{
    TForm2* window = openPump();
    newStatus(window, "A", QColor(255, 0, 0));
    newStatus(window, "B", QColor(0, 255, 0));
    newStatus(window, "C", QColor(0, 0, 255));

    // A right press makes the button current and opens its pop-up menu.
    QTest::mouseClick(button(window, "SpeedButton2"), Qt::RightButton);
    EXPECT_EQ(window->currentStatusButton(), button(window, "SpeedButton2"));
    EXPECT_TRUE(window->PopupMenu1->isVisible());
    window->PopupMenu1->hide();

    fake.dialogs.confirmAnswers = {false};
    window->Delete1Click();
    EXPECT_EQ(fake.dialogs.questions, QStringList{"   "});
    EXPECT_EQ(window->statusButtons().size(), 3);

    fake.dialogs.confirmAnswers = {true};
    window->Delete1->trigger();
    EXPECT_EQ(names(window->statusButtons()), (QStringList{"SpeedButton1", "SpeedButton3"}));
    EXPECT_EQ(button(window, "SpeedButton1")->y(), 28);
    EXPECT_EQ(button(window, "SpeedButton3")->y(), 56);
    EXPECT_EQ(window->currentStatusButton(), nullptr);
    window->Delete1Click(); // nothing current: no question
    EXPECT_EQ(fake.dialogs.questions.size(), 2);

    // The smallest free number, below the others.
    newStatus(window, "D", QColor(255, 255, 0));
    ASSERT_NE(button(window, "SpeedButton2"), nullptr);
    EXPECT_EQ(button(window, "SpeedButton2")->tag(), 2);
    EXPECT_EQ(button(window, "SpeedButton2")->y(), 84);

    ASSERT_TRUE(CloseNoteWindow());
    settle();
    const Ini::Document file = Ini::Document::load(statusFile());
    EXPECT_EQ(file.readString("SpeedButton Count", "SpeedButton Count", ""), "3");
    EXPECT_EQ(file.readString("SpeedButton1", "Tag", ""), "1");
    EXPECT_EQ(file.readString("SpeedButton2", "Tag", ""), "3");
    EXPECT_EQ(file.readString("SpeedButton3", "Tag", ""), "2");
    EXPECT_EQ(file.readString("SpeedButton3", "Caption", ""), "D");

    window = open(1, "Pump");
    EXPECT_EQ(captions(window->statusButtons()), (QStringList{"A", "C", "D"}));
    EXPECT_EQ(button(window, "SpeedButton3")->color(), 0xFF0000u);
    EXPECT_EQ(button(window, "SpeedButton3")->y(), 56);
}

TEST_F(StatusButtonsTest, NewStatusRefusesExactDuplicatesAndEmptyNames)
{
    TForm2* window = openPump();
    newStatus(window, "Done", QColor(255, 0, 0));
    fake.dialogs.messages.clear();

    fake.dialogs.inputAnswers = {QString("Done")};
    window->Status1Click();
    EXPECT_EQ(fake.dialogs.messages, QStringList{"\"Status\" with same name aredy exists!"});
    EXPECT_EQ(window->statusButtons().size(), 1);

    fake.dialogs.inputAnswers = {std::nullopt, QString()};
    window->New1->trigger();
    window->Status1Click();
    EXPECT_EQ(window->statusButtons().size(), 1);
    EXPECT_EQ(fake.dialogs.messages.size(), 1);

    newStatus(window, "done", QColor(0, 0, 255));
    EXPECT_EQ(captions(window->statusButtons()), (QStringList{"Done", "done"}));
}

TEST_F(StatusButtonsTest, CancelledColourDialogGivesTheColourItHeld)
{
    TForm2* window = openPump();
    newStatus(window, "First", std::nullopt);
    newStatus(window, "Second", QColor(0x12, 0x34, 0x56));
    newStatus(window, "Third", std::nullopt);
    const QList<TStatusButton*> buttons = window->statusButtons();
    EXPECT_EQ(buttons[0]->color(), 0x000000u);
    EXPECT_EQ(buttons[1]->color(), 0x563412u);
    EXPECT_EQ(buttons[2]->color(), 0x563412u);
    EXPECT_EQ(window->dialogColor(), QColor(0x12, 0x34, 0x56));
}

TEST_F(StatusButtonsTest, ClosingWithoutStatusesDeletesTheStatusFile)
{
    writeAll(statusFile(), "[SpeedButton Count]\r\nSpeedButton Count=0\r\n");
    openPump();
    ASSERT_TRUE(CloseNoteWindow());
    EXPECT_FALSE(QFile::exists(statusFile()));

    settle();
    TForm2* window = open(1, "Pump");
    newStatus(window, "Gone soon", QColor(255, 0, 0));
    fake.dialogs.confirmAnswers = {true};
    QTest::mouseClick(window->statusButtons()[0], Qt::RightButton);
    window->PopupMenu1->hide();
    window->Delete1Click();
    ASSERT_TRUE(CloseNoteWindow());
    EXPECT_FALSE(QFile::exists(statusFile()));
}

TEST_F(StatusButtonsTest, StatusFileIsReadAtEveryActivation)
{
    writeAll(statusFile(),
             "[SpeedButton Count]\r\nSpeedButton Count=2\r\n"
             "[SpeedButton1]\r\nTag=4\r\nCaption=Full\r\nWidth=100\r\nHeight=20\r\nTop=30\r\n"
             "Left=6\r\nColor=255\r\n"
             "[SpeedButton2]\r\nTag=2\r\nCaption=Bare\r\n");
    TForm2* window = openPump();
    EXPECT_EQ(names(window->statusButtons()), (QStringList{"SpeedButton4", "SpeedButton2"}));
    TStatusButton* full = button(window, "SpeedButton4");
    EXPECT_EQ(full->tag(), 4);
    EXPECT_EQ(full->geometry(), QRect(6, 30, 100, 20));
    EXPECT_EQ(full->color(), 0x0000FFu);
    TStatusButton* bare = button(window, "SpeedButton2");
    EXPECT_EQ(bare->geometry(), QRect(0, 0, 23, 22));
    EXPECT_EQ(bare->color(), ColorRef::WindowText);

    // Updated in place; a removed one comes back; others are left as they are.
    full->setText("Changed");
    bare->move(5, 200);
    newStatus(window, "Mine", QColor(1, 2, 3));
    fake.dialogs.confirmAnswers = {true};
    QTest::mouseClick(full, Qt::RightButton);
    window->PopupMenu1->hide();
    window->Delete1Click();
    window->FormActivate();
    EXPECT_EQ(captions(window->statusButtons()), (QStringList{"Bare", "Mine", "Full"}));
    EXPECT_EQ(button(window, "SpeedButton2")->geometry(), QRect(5, 172, 23, 22));
    EXPECT_EQ(button(window, "SpeedButton4")->geometry(), QRect(6, 30, 100, 20));
}

TEST_F(StatusButtonsTest, DamagedStatusFileGivesDefaults)
{
    writeAll(statusFile(),
             "[SpeedButton Count]\r\nSpeedButton Count=2000000000\r\n"
             "[SpeedButton1]\r\nTag=x\r\nCaption=Junk\r\nWidth=-5\r\nHeight=1e9\r\nTop=\r\n"
             "Left=99999999999\r\nColor=red\r\n"
             "[SpeedButton1999999999]\r\nTag=3\r\nCaption=Far\r\nTop=40\r\n");
    TForm2* window = openPump();
    EXPECT_EQ(names(window->statusButtons()), (QStringList{"SpeedButton0", "SpeedButton3"}));
    EXPECT_EQ(button(window, "SpeedButton0")->geometry(), QRect(0, 0, 23, 22));
    EXPECT_EQ(button(window, "SpeedButton0")->color(), ColorRef::WindowText);
    EXPECT_EQ(button(window, "SpeedButton3")->geometry(), QRect(0, 40, 23, 22));

    writeAll(statusFile(), QByteArray("\0\xff[[]]=\r\n[SpeedButton Count\r\n", 24));
    window->FormActivate();
    EXPECT_EQ(window->statusButtons().size(), 2);
}

TEST_F(StatusButtonsTest, DoubleClickStampsTheDateInTheStatusColourAndRecoloursTheObject)
{
    createNoteText("Pump", "hello");
    TForm2* window = open(1, "Pump");
    newStatus(window, "Alarm", QColor(255, 0, 0));
    TStatusButton* alarm = window->statusButtons()[0];
    QPalette grey = window->RichEdit1->palette();
    grey.setColor(QPalette::Base, Qt::gray);
    window->RichEdit1->setPalette(grey);

    // A single press only selects.
    QTest::mouseClick(alarm, Qt::LeftButton);
    EXPECT_EQ(window->currentStatusButton(), alarm);
    EXPECT_EQ(editorText(window), "hello\n");

    QTest::mouseDClick(alarm, Qt::LeftButton);
    const QString stamp = StatusStampText(fake.clock.current, QLocale::system());
    EXPECT_EQ(editorText(window), "hello\n   \n" + stamp + "\n");
    const QTextBlock dateLine = window->RichEdit1->document()->findBlockByNumber(2);
    ASSERT_EQ(dateLine.text(), stamp);
    for (auto it = dateLine.begin(); !it.atEnd(); ++it)
        EXPECT_EQ(it.fragment().charFormat().foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(window->RichEdit1->textCursor().position(),
              window->RichEdit1->document()->characterCount() - 1);
    EXPECT_EQ(window->RichEdit1->textColor(), QColor(Qt::black));
    EXPECT_EQ(window->RichEdit1->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(host.shape->brushColor(), 0x0000FFu);
    EXPECT_EQ(window->color(), 0x0000FFu);

    // What is typed next is black.
    QTest::keyClicks(window->RichEdit1, "ok");
    const QTextBlock typed = window->RichEdit1->document()->lastBlock();
    EXPECT_EQ(typed.text(), "ok");
    EXPECT_EQ(typed.begin().fragment().charFormat().foreground().color(), QColor(Qt::black));
}

TEST_F(StatusButtonsTest, StampWithoutACurrentObjectLeavesShapeAndWindowColour)
{
    TForm2* window = openPump();
    newStatus(window, "Alarm", QColor(255, 0, 0));
    ObjectShape* shape = host.shape;
    host.shape = nullptr;
    window->StatusStamp(window->statusButtons()[0]);
    EXPECT_EQ(editorText(window),
              "   \n" + StatusStampText(fake.clock.current, QLocale::system()) + "\n");
    EXPECT_EQ(shape->brushColor(), 0x008000u);
    EXPECT_EQ(window->color(), 0x008000u);
}

TEST(StatusStampTextTest, ShortDateAndLongTimeWithoutZoneAndNoTimeAtMidnight)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const QDate day(2026, 12, 8);
    EXPECT_EQ(StatusStampText(QDateTime(day, QTime(9, 30, 5)), german), "08.12.26 09:30:05");
    EXPECT_EQ(StatusStampText(QDateTime(day, QTime(0, 0)), german), "08.12.26");
    EXPECT_EQ(StatusStampText(QDateTime(day, QTime(0, 0, 1)), german), "08.12.26 00:00:01");
    const QLocale american(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(StatusStampText(QDateTime(day, QTime(21, 30, 5)), american), "12/8/26 9:30:05 PM");
}

TEST(StatusStampTimeTest, ReadsBackWhatAStampWroteAndNothingElse)
{
    const QList<QLocale> locales{QLocale(QLocale::German, QLocale::Germany),
                                 QLocale(QLocale::English, QLocale::UnitedStates),
                                 QLocale(QLocale::Japanese, QLocale::Japan), QLocale::c()};
    for (const QLocale& locale : locales)
        for (const QDateTime& when : {QDateTime(QDate(2026, 12, 8), QTime(21, 30, 5)),
                                      QDateTime(QDate(2069, 1, 31), QTime(0, 0)),
                                      QDateTime(QDate(1970, 7, 4), QTime(0, 0, 1))}) {
            const QString stamp = StatusStampText(when, locale);
            EXPECT_EQ(StatusStampTime(stamp, locale), when) << stamp.toStdString();
            EXPECT_EQ(StatusStampTime("  " + stamp + " ", locale), when) << stamp.toStdString();
        }
    const QLocale german(QLocale::German, QLocale::Germany);
    for (const char* line : {"", "   ", "all fine", "08.12.26 later", "32.12.26"})
        EXPECT_EQ(StatusStampTime(line, german), std::nullopt) << line;
}

TEST_F(StatusButtonsTest, StatusFileThatCannotBeWrittenOffersTheChoicesOfAFailedSave)
{
    TForm2* window = openPump();
    newStatus(window, "Done", QColor(255, 0, 0));
    ASSERT_TRUE(QDir(projectDir.path()).mkpath("youriniSB.ini"));
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::Stay, {}}};
    EXPECT_FALSE(CloseNoteWindow());
    ASSERT_EQ(fake.dialogs.failedSaves.size(), 1);
    EXPECT_EQ(fake.dialogs.failedSaves[0].error, "Unable to write to " + statusFile());
    EXPECT_EQ(NoteWindow(), window);

    const QString rescue = QDir::toNativeSeparators(projectDir.filePath("rescue.ini"));
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::SaveElsewhere, rescue}};
    EXPECT_TRUE(CloseNoteWindow());
    EXPECT_TRUE(readAll(rescue).contains("Caption=Done"));
}

// A new user's first round: two statuses, a stamp, a typed line, a click on
// the board and back, close, and everything is there at the next start.
TEST_F(StatusButtonsTest, StatusesStampAndTypedLineSurviveTheRound)
{
    createNote("Pump");
    host.window.show();
    TForm2* window = open(1, "Pump");
    newStatus(window, "Running", QColor(0, 160, 0));
    newStatus(window, "Broken", QColor(200, 0, 0));
    QTest::mouseDClick(button(window, "SpeedButton2"), Qt::LeftButton);
    QTest::keyClicks(window->RichEdit1, "bearing replaced");

    host.window.activateWindow();
    QApplication::processEvents();
    window->activateWindow();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    const QString stamp = StatusStampText(fake.clock.current, QLocale::system());
    EXPECT_EQ(editorText(window), "   \n" + stamp + "\nbearing replaced\n");

    ASSERT_TRUE(window->close());
    settle();
    EXPECT_EQ(host.shape->brushColor(), 0x0000C8u);

    OpenNoteWindow(host, fake.platform); // the same object, pressed again
    window = NoteWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(editorText(window), "   \n" + stamp + "\nbearing replaced\n");
    EXPECT_EQ(captions(window->statusButtons()), (QStringList{"Running", "Broken"}));
    EXPECT_EQ(button(window, "SpeedButton2")->color(), 0x0000C8u);
    EXPECT_EQ(window->color(), 0x0000C8u);
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

TEST(StatusStampTimeInAnyFormTest, AStampOfEveryLocaleIsReadOnAMachineOfAnotherLocale)
{
    // 30 cannot be a month, and 2026 has four digits: each stamp below can
    // stand for one moment only, whatever form it is read in.
    const QDateTime when(QDate(2026, 12, 30), QTime(16, 20, 41));
    const QLocale german(QStringLiteral("de_DE"));
    QStringList misread;
    for (const QLocale& writer : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript,
                                                          QLocale::AnyTerritory)) {
        const QString stamp = StatusStampText(when, writer);
        if (!writer.dateFormat(QLocale::ShortFormat).contains(QStringLiteral("yyyy")))
            continue; // a two-digit year may stand for a day
        if (StatusStampTime(stamp, writer) != when)
            continue; // Qt cannot read it back even there
        const std::optional<QDateTime> read = StatusStampTimeInAnyForm(stamp, german);
        if (!read || *read != when)
            misread.append(writer.name() + QStringLiteral(": ") + stamp);
    }
    EXPECT_TRUE(misread.isEmpty()) << misread.join(u'\n').toStdString();
}
