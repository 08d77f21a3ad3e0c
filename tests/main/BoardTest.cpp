#include "BoardFixture.h"

#include "project/BoardRecords.h"
#include "board/LabelOffset.h"

#include <QApplication>
#include <QMenu>
#include <QTimer>

// The board files themselves are read and written by the project's board
// records (tests/project); these tests pin what the main window adds: the
// element read last is current, a damaged file is reported in a box and kept
// aside, and a load replaces the board.

TEST_F(BoardFixture, TheLastElementReadIsCurrent)
{
    openProject();
    addObject(1, QStringLiteral("Plans"));
    addObject(2, QStringLiteral("Valve"));
    ASSERT_TRUE(form->SaveShapes());
    ASSERT_TRUE(form->SaveLabels());
    ASSERT_TRUE(form->LoadShapes());
    ASSERT_TRUE(form->LoadLabels());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();
    const QList<ObjectShape*> shapes = form->boardModel().shapes();
    const QList<ObjectLabel*> labels = form->boardModel().labels();
    ASSERT_EQ(shapes.size(), 2);
    ASSERT_EQ(labels.size(), 2);
    EXPECT_EQ(form->CurrentShape, shapes[1]) << "the last element read is current";
    EXPECT_EQ(form->CurrentLabel, labels[1]);
}

TEST_F(BoardFixture, DamagedBoardFileIsReportedInABoxAndKeptAside)
{
    openProject();
    for (int n = 1; n <= 3; ++n)
        addObject(n, QStringLiteral("Object %1").arg(n));
    ASSERT_TRUE(form->SaveShapes());

    for (const DamagedShapeFile& c : damagedShapeFiles(readAll(projectFile("fStreamShape.txt")))) {
        SCOPED_TRACE(c.what);
        writeAll(projectFile("fStreamShape.txt"), c.bytes);
        fake.dialogs.errors.clear();
        EXPECT_FALSE(form->LoadShapes());
        ASSERT_EQ(fake.dialogs.errors.size(), 1);
        // The box says what the board records found.
        EXPECT_TRUE(fake.dialogs.errors[0].contains("fStreamShape.txt"));
        EXPECT_TRUE(fake.dialogs.errors[0].contains(c.expected))
            << fake.dialogs.errors[0].toStdString();
        EXPECT_EQ(form->boardModel().shapes().size(), c.kept) << "the board shows what was read";
        EXPECT_EQ(readAll(projectFile("fStreamShape.txt")), c.bytes) << "the file stays as it was";
        // The next save writes only what was read, so the damaged file is kept beside.
        EXPECT_EQ(readAll(projectFile("fStreamShape.txt.damaged")), c.bytes);
        EXPECT_TRUE(fake.dialogs.errors[0].contains("fStreamShape.txt.damaged"));
        QFile::remove(projectFile("fStreamShape.txt.damaged"));
    }
}

TEST_F(BoardFixture, BoardFileOfMoreElementsThanAnyBoardHasIsReportedAndKeptAside)
{
    openProject();
    addObject(1, QStringLiteral("Plans"));
    // The smallest shape record: no name, no properties.
    const QByteArray tiny = QByteArray("TPF0\x06TShape\0\0\0", 14);
    QByteArray bytes;
    bytes.reserve(tiny.size() * (BoardRecords::MaximumElements + 1));
    for (qint64 n = 0; n <= BoardRecords::MaximumElements; ++n)
        bytes += tiny;
    writeAll(projectFile("fStreamShape.txt"), bytes);
    EXPECT_FALSE(form->LoadShapes());
    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    EXPECT_TRUE(fake.dialogs.errors[0].contains("more than 1,000,000 elements"))
        << fake.dialogs.errors[0].toStdString();
    EXPECT_TRUE(form->boardModel().shapes().isEmpty()) << "the board's shapes are replaced";
    EXPECT_EQ(QFileInfo(projectFile("fStreamShape.txt.damaged")).size(), bytes.size())
        << "kept aside";
}

TEST_F(BoardFixture, LoadingMissingBoardFilesEmptiesTheBoardWithoutABox)
{
    openProject();
    addObject(1, QStringLiteral("Plans"));
    EXPECT_TRUE(form->LoadShapes());
    EXPECT_TRUE(form->LoadLabels());
    EXPECT_TRUE(form->boardModel().shapes().isEmpty());
    EXPECT_TRUE(form->boardModel().labels().isEmpty());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

TEST_F(BoardFixture, ObjectNumbersFreedByRemovalAreReusedSmallestFirst)
{
    openProject();
    EXPECT_EQ(form->NextObjectNumber(), 1);
    for (int n = 1; n <= 3; ++n)
        addObject(n, QStringLiteral("Object %1").arg(n));
    EXPECT_EQ(form->NextObjectNumber(), 4);

    form->CurrentShape = form->boardModel().shapeNamed("Shape2");
    form->CurrentLabel = form->boardModel().labelNamed("Label2");
    fake.dialogs.confirmAnswers = {true};
    form->Delete1Click();
    EXPECT_EQ(fake.dialogs.questions, QStringList{"Do You realy want do delate object?"});
    EXPECT_EQ(form->NextObjectNumber(), 2);
    EXPECT_EQ(form->CurrentShape, nullptr);

    // Only "label" + N spelled exactly takes a number.
    form->boardModel().labelNamed("Label3")->setObjectName("Label03");
    EXPECT_EQ(form->NextObjectNumber(), 2);
    form->boardModel().labelNamed("Label1")->setObjectName("LABEL2");
    EXPECT_EQ(form->NextObjectNumber(), 1);
}

TEST(LabelOffset, FollowsTheProgramsRoundingMode)
{
    setRoundingMode(RoundingMode::NearestEven);
    EXPECT_EQ(DesktopScale(768), 8);
    EXPECT_EQ(LabelOffset(8, 1, 768), 15);
    EXPECT_EQ(LabelOffset(8, 4, 768), 18);
    EXPECT_EQ(roundFraction(2.5), 2);
    EXPECT_EQ(roundFraction(3.5), 4);
    EXPECT_EQ(roundFraction(-2.5), -2);

    setRoundingMode(RoundingMode::Downward);
    EXPECT_EQ(DesktopScale(768), 7);
    EXPECT_EQ(LabelOffset(8, 1, 768), 16);
    EXPECT_EQ(LabelOffset(8, 4, 768), 19);
    EXPECT_EQ(LabelOffset(8, 1, 1080), 13);
    EXPECT_EQ(roundFraction(-0.5), -1);
    setRoundingMode(RoundingMode::NearestEven);
}

TEST_F(BoardFixture, AlarmBlinkFlashesWithTheSecondsAndClears)
{
    openProject();
    ObjectShape* pump = addObject(1, QStringLiteral("Pump"));
    ObjectShape* valve = addObject(2, QStringLiteral("Valve"));
    form->AlarmObjectName = QStringLiteral("Pump");
    fake.clock.current.setTime(QTime(10, 0, 7));
    form->BlinkAlarmObject();
    EXPECT_TRUE(form->isHatched(*pump));
    EXPECT_FALSE(form->isHatched(*valve));
    fake.clock.current.setTime(QTime(10, 0, 8));
    form->BlinkAlarmObject();
    EXPECT_FALSE(form->isHatched(*pump));

    fake.clock.current.setTime(QTime(10, 0, 9));
    form->BlinkAlarmObject();
    form->ClearAlarmBlink();
    EXPECT_FALSE(form->isHatched(*pump));

    // A hatch a file holds is a blink left over: the clearing ends it too.
    pump->setBrushStyle(BrushStyle::BDiagonal);
    EXPECT_TRUE(form->isHatched(*pump));
    form->ClearAlarmBlink();
    EXPECT_EQ(pump->brushStyle(), BrushStyle::Solid);

    // A caption whose shape is gone has nothing to flash.
    delete form->boardModel().shapeNamed("Shape1");
    form->BlinkAlarmObject();
    form->ClearAlarmBlink();
}

TEST_F(BoardFixture, AShapeSavedWhileItsBlinkHatchesItIsSavedWithItsOwnBrush)
{
    openProject();
    ObjectShape* pump = addObject(1, QStringLiteral("Pump"));
    pump->setBrushStyle(BrushStyle::Cross);
    pump->setBrushColor(0x00FF00);
    form->AlarmObjectName = QStringLiteral("Pump");
    fake.clock.current.setTime(QTime(10, 0, 7));
    form->BlinkAlarmObject();
    ASSERT_TRUE(form->isHatched(*pump));
    const QImage hatched = form->board().grab().toImage();

    ASSERT_TRUE(form->SaveShapes());
    const QByteArray saved = readAll(projectFile("fStreamShape.txt"));
    EXPECT_TRUE(saved.contains("bsCross")) << saved.constData();
    EXPECT_FALSE(saved.contains("bsBDiagonal")) << saved.constData();

    form->ClearAlarmBlink();
    EXPECT_EQ(pump->brushStyle(), BrushStyle::Cross);
    EXPECT_NE(form->board().grab().toImage(), hatched) << "the blink shows on the board";
}

TEST_F(BoardFixture, MainWindowHasItsMenusSizeAndIdleCaption)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Vexorin \""));
    EXPECT_EQ(form->windowTitle().size(), 9);
    EXPECT_FALSE(form->project().isOpen());

    const auto caption = [&](const char* name) {
        auto* action = form->findChild<QAction*>(QLatin1String(name));
        return action ? action->text() : QStringLiteral("<missing>");
    };
    EXPECT_EQ(caption("New1"), "New");
    EXPECT_EQ(caption("Open1"), "Open");
    EXPECT_EQ(caption("Objesctmass1"), "Default object");
    EXPECT_EQ(caption("Defaultobjecttable1"), "Default object table");
    EXPECT_EQ(caption("Backgroundlayout1"), "Load background layot");
    EXPECT_EQ(caption("Vexorinhelp1"), "Vexorin help");
    EXPECT_EQ(caption("About2"), "About");
    EXPECT_EQ(caption("New2"), "New Object");
    EXPECT_EQ(caption("Delete1"), "Remove ");
    QStringList popup;
    for (QAction* a : form->findChild<QMenu*>("PopupMenu1")->actions())
        popup << a->objectName() + '=' + a->text();
    EXPECT_EQ(popup.join(','),
              "Edit1=Edit,Alarm1=Alarm,able1=Table,Folder1=Folder,Delete1=Remove ");
    EXPECT_EQ(form->findChild<QMenu*>("FILE1")->title(), "FILE");
    EXPECT_EQ(form->findChild<QMenu*>("SETTINGS1")->title(), "SETTINGS");
    EXPECT_EQ(form->findChild<QMenu*>("ABOUT1")->title(), "HELP");

    EXPECT_EQ(form->Timer1->interval(), 400);
    EXPECT_EQ(form->Timer2->interval(), 300);
}

TEST_F(BoardFixture, MainWindowsOuterFrameIsTheDesktopLessHundredEachWayCentred)
{
    form->show();
    QApplication::processEvents();
    EXPECT_EQ(form->frameGeometry(), QRect(50, 50, 1820, 980));

    fake.desktop.screen = QSize(1280, 800);
    TForm1 small(fake.platform);
    small.Timer1->stop();
    small.show();
    QApplication::processEvents();
    EXPECT_EQ(small.frameGeometry(), QRect(50, 50, 1180, 700));
    EXPECT_EQ(small.minimumSize(), small.maximumSize()) << "not resizable";
}

TEST_F(BoardFixture, OperationsThatNeedAProjectRefuseWhileIdle)
{
    form->Backgroundlayout1Click();
    form->Objesctmass1Click();
    form->Defaultobjecttable1Click();
    EXPECT_EQ(fake.dialogs.messages, QStringList(3, " Define form and archive location at first!"));
}

TEST_F(BoardFixture, RightPressOnTheEmptyBoardOpensNewObjectMenuAtThePointer)
{
    form->show();
    fake.pointer.at = QPoint(500, 400);
    form->FormMouseDown(Qt::LeftButton);
    EXPECT_FALSE(form->PopupMenu2->isVisible());
    form->FormMouseDown(Qt::MiddleButton);
    EXPECT_FALSE(form->PopupMenu2->isVisible());
    form->FormMouseDown(Qt::RightButton);
    EXPECT_TRUE(form->PopupMenu2->isVisible());
    EXPECT_EQ(form->DragOffsetX, 500);
    EXPECT_EQ(form->DragOffsetY, 400);
    form->PopupMenu2->hide();
}

TEST_F(BoardFixture, HelpOpensTheHelpBesideTheProgramAndAboutNamesTheVersion)
{
    form->Vexorinhelp1Click();
    EXPECT_EQ(fake.shell.opened, QStringList{fake.platform.programFolder + "zatHelp.chm"});
    // The HTML help beside the program is opened where there is one.
    QDir(fake.programDir.path()).mkdir("help");
    writeAll(fake.programDir.filePath("help/index.html"), "<html></html>");
    form->Vexorinhelp1Click();
    EXPECT_EQ(fake.shell.opened.last(), fake.programDir.filePath("help/index.html"));
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    form->About2Click();
    ASSERT_EQ(fake.dialogs.messages.size(), 1);
    EXPECT_TRUE(fake.dialogs.messages[0].contains(VEXORIN_VERSION));
    EXPECT_EQ(fake.dialogs.messages[0].count('\n'), 2) << "a version line and two rights lines";
}

TEST_F(BoardFixture, StartUpWithoutSettingsBesideTheProgramStaysIdle)
{
    form->Timer1Timer();
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->windowTitle(), Caption::Idle);
    EXPECT_FALSE(form->board().hasBackground());

    writeAll(form->lastProjectFile(), "[Form1]\r\nPathforini=\r\n");
    form->Timer1Timer();
    EXPECT_EQ(form->windowTitle(), Caption::Idle);
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

TEST_F(BoardFixture, ClosingWhileIdleWritesNoFiles)
{
    form->show();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(QDir(fake.programDir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(projectDir.path()).entryList(QDir::Files).isEmpty());
}
