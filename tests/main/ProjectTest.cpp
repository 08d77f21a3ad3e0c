#include "BoardFixture.h"

#include "formats/Ini.h"
#include "tables/ObjectTableU.h"
#include "tables/StringGrid.h"

#include <QCoreApplication>
#include <QImage>
#include <QTimer>

namespace {

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

class ProjectFixture : public BoardFixture {
protected:
    ~ProjectFixture() override { TObjectTable::destroyAll(); }
};

TEST_F(ProjectFixture, SaveRemembersTheProjectInOneSectionWithOneKey)
{
    openProject();
    writeAll(form->lastProjectFile(), "[form1]\r\nPathforini=/old\r\nother=1\r\n");
    ASSERT_TRUE(form->SaveProject());
    EXPECT_EQ(readAll(form->lastProjectFile()),
              "[Form1]\r\nPathforini=" + form->project().folder().toUtf8() + "\r\n");

    const QString settings = QString::fromUtf8(readAll(projectFile("iniformsettings.ini")));
    const QSize board = form->board().boardSize();
    EXPECT_EQ(settings,
              "[Form1]\r\nformname and archive location=" + form->windowTitle().toUtf8() +
                  QStringLiteral("\r\nboardsize=%1x%2").arg(board.width()).arg(board.height()) +
                  "\r\n[_global_]\r\nbitmapfile=\r\n[formname]\r\nformname=Work\r\n");
    EXPECT_TRUE(QFile::exists(projectFile("fStreamShape.txt")));
    EXPECT_TRUE(QFile::exists(projectFile("fStreamLabel.txt")));
}

TEST_F(ProjectFixture, NewWhileIdleShowsAnEmptyBoardAndOnlyRemembersTheProject)
{
    QTemporaryDir folder;
    fake.dialogs.inputAnswers = {QStringLiteral("Depot")};
    fake.dialogs.folderAnswers = {folder.path()};
    form->New1Click();

    EXPECT_EQ(fake.dialogs.prompts, QStringList{"New project form name."});
    EXPECT_EQ(fake.dialogs.folderTitles, QStringList{"New project form archive location"});
    EXPECT_EQ(fake.dialogs.initialFolders, QStringList{QDir::homePath()});
    EXPECT_EQ(fake.dialogs.messages,
              QStringList{"New project archive is located in:" + folder.path()});
    EXPECT_EQ(form->windowTitle(),
              "Vexorin \" Depot \"                Arhive is located in: " + folder.path());
    EXPECT_EQ(form->project().formName(), "Depot");
    EXPECT_TRUE(form->boardModel().shapes().isEmpty());
    EXPECT_TRUE(filesIn(folder.path()).isEmpty());
    // Remembered at once, so that the next start opens it even after a crash.
    // The user's own settings list it among the recent projects.
    EXPECT_EQ(filesIn(fake.programDir.path()),
              (QStringList{"pathforini.ini", "user-settings.ini"}));
    EXPECT_EQ(readAll(form->lastProjectFile()),
              "[Form1]\r\nPathforini=" + QDir::toNativeSeparators(folder.path()).toUtf8() + "\r\n");
}

TEST_F(ProjectFixture, NewLeavesTheOpenProjectItsOwnFormNameAndACancelledNewChangesNoFile)
{
    openProject(QStringLiteral("Plant"));
    ASSERT_TRUE(form->SaveProject());
    const QByteArray settings = readAll(projectFile("iniformsettings.ini"));

    fake.dialogs.inputAnswers = {std::nullopt, QStringLiteral("Other")};
    fake.dialogs.folderAnswers = {QString()};
    form->New1Click();
    form->New1Click();
    EXPECT_EQ(form->project().formName(), "Plant");
    ASSERT_TRUE(form->SaveProject());
    EXPECT_EQ(readAll(projectFile("iniformsettings.ini")), settings);

    QTemporaryDir next;
    fake.dialogs.inputAnswers = {QStringLiteral("Other")};
    fake.dialogs.folderAnswers = {next.path()};
    form->New1Click();
    EXPECT_EQ(readAll(projectFile("iniformsettings.ini")), settings);
    EXPECT_EQ(form->project().formName(), "Other");
    EXPECT_EQ(form->windowTitle(), Caption::project("Other", next.path()));
}

TEST_F(ProjectFixture, NewWhileAProjectIsOpenSavesItFirstAndClearsTheBackground)
{
    openProject();
    addObject(1, QStringLiteral("Plans"));
    saveBitmap(projectFile("plan.bmp"));
    form->project().setBackground(projectFile("plan.bmp"));
    form->LoadBackground();
    ASSERT_TRUE(form->board().hasBackground());

    QTemporaryDir next;
    fake.dialogs.inputAnswers = {QStringLiteral("Next")};
    fake.dialogs.folderAnswers = {next.path()};
    form->New1Click();

    ASSERT_EQ(fake.dialogs.messages.size(), 2);
    EXPECT_EQ(fake.dialogs.messages[0], "IF form1.caption <> Vexorin \"  then" + next.path());
    EXPECT_TRUE(QFile::exists(projectFile("fStreamShape.txt")));
    EXPECT_TRUE(readAll(projectFile("iniformsettings.ini")).contains("plan.bmp"));
    EXPECT_EQ(form->project().folder(), next.path());
    EXPECT_TRUE(form->boardModel().shapes().isEmpty());
    EXPECT_FALSE(form->board().hasBackground());
    EXPECT_TRUE(form->project().background().isEmpty());
}

TEST_F(ProjectFixture, FormNameHoldingTheFolderMarkerIsRefused)
{
    fake.dialogs.inputAnswers = {QStringLiteral("A Arhive is located in: B")};
    form->New1Click();
    ASSERT_EQ(fake.dialogs.messages.size(), 1);
    EXPECT_TRUE(fake.dialogs.messages[0].contains("can not contain"));
    EXPECT_TRUE(fake.dialogs.folderTitles.isEmpty());
    EXPECT_EQ(form->windowTitle(), Caption::Idle);
}

TEST_F(ProjectFixture, StartUpReopensTheRememberedProject)
{
    openProject(QStringLiteral("Plant"));
    addObject(1, QStringLiteral("Pump"));
    addObject(2, QStringLiteral("Valve"));
    saveBitmap(projectFile("plan.bmp"));
    form->project().setBackground(projectFile("plan.bmp"));
    ASSERT_TRUE(form->SaveProject());
    const QString caption = form->windowTitle();
    form.reset();

    TForm1 again(fake.platform);
    again.Timer1Timer();
    EXPECT_EQ(again.windowTitle(), caption);
    EXPECT_EQ(again.project().formName(), "Plant");
    EXPECT_TRUE(again.board().hasBackground());
    ASSERT_EQ(again.boardModel().labels().size(), 2);
    EXPECT_EQ(again.boardModel().labels()[1]->caption(), "Valve");
    EXPECT_EQ(fake.processes.asked, "Vexorin");
}

TEST_F(ProjectFixture, ACopiedProjectIsSavedIntoItsOwnFolder)
{
    openProject(QStringLiteral("Plant"));
    addObject(1, QStringLiteral("Pump"));
    ASSERT_TRUE(form->SaveProject());
    const QByteArray originalShapes = readAll(projectFile("fStreamShape.txt"));
    const QByteArray originalSettings = readAll(projectFile("iniformsettings.ini"));

    QTemporaryDir copy;
    for (const char* name : {"iniformsettings.ini", "fStreamShape.txt", "fStreamLabel.txt"})
        ASSERT_TRUE(QFile::copy(projectFile(name), copy.filePath(name)));

    fake.dialogs.folderAnswers = {copy.path()};
    form->Open1Click();
    EXPECT_EQ(form->project().folder(), copy.path());
    EXPECT_TRUE(form->windowTitle().startsWith("Vexorin \" Plant \""));
    addObject(2, QStringLiteral("Valve"));
    ASSERT_TRUE(form->close());

    EXPECT_EQ(readAll(projectFile("fStreamShape.txt")), originalShapes);
    EXPECT_EQ(readAll(projectFile("iniformsettings.ini")), originalSettings);
    EXPECT_TRUE(readAll(copy.filePath("fStreamLabel.txt")).contains("Valve"));
    EXPECT_TRUE(readAll(copy.filePath("iniformsettings.ini")).contains(copy.path().toUtf8()));
}

TEST_F(ProjectFixture, OpeningAFolderWithoutAProjectAsksBeforeMakingANewEmptyOneThere)
{
    openProject(QStringLiteral("Plant"));
    addObject(1, QStringLiteral("Pump"));
    saveBitmap(projectFile("plan.bmp"));
    form->project().setBackground(projectFile("plan.bmp"));
    form->LoadBackground();
    QTemporaryDir plain;
    const QString question = "The folder " + plain.path() +
                             " holds no project.\nDo you want to make a new, empty project there?";

    fake.dialogs.folderAnswers = {plain.path()};
    fake.dialogs.confirmAnswers = {false};
    form->Open1Click();
    EXPECT_EQ(fake.dialogs.questions, QStringList{question});
    EXPECT_EQ(form->windowTitle(), Caption::project("Plant", projectDir.path()));
    EXPECT_EQ(form->boardModel().shapes().size(), 1);
    EXPECT_TRUE(form->board().hasBackground());
    EXPECT_TRUE(filesIn(plain.path()).isEmpty());
    EXPECT_EQ(filesIn(projectDir.path()), QStringList{"plan.bmp"});

    fake.dialogs.folderAnswers = {plain.path()};
    fake.dialogs.confirmAnswers = {true};
    fake.dialogs.inputAnswers = {QStringLiteral("Yard")};
    form->Open1Click();
    EXPECT_EQ(fake.dialogs.prompts, QStringList{"New project form name."});
    EXPECT_EQ(form->windowTitle(), Caption::project("Yard", plain.path()));
    EXPECT_TRUE(form->boardModel().shapes().isEmpty());
    EXPECT_FALSE(form->board().hasBackground());
    EXPECT_TRUE(form->project().background().isEmpty());
    EXPECT_EQ(fake.dialogs.messages.last(), "New project archive is located in:" + plain.path());
    // The old project was saved under its own name, into its own folder.
    EXPECT_TRUE(readAll(projectFile("iniformsettings.ini")).contains("formname=Plant"));
    EXPECT_TRUE(readAll(projectFile("fStreamLabel.txt")).contains("Pump"));
    EXPECT_TRUE(filesIn(plain.path()).isEmpty());
}

TEST_F(ProjectFixture, TheFirstBackgroundChosenAfterNewShows)
{
    openProject(); // with no background of its own
    QTemporaryDir next;
    fake.dialogs.inputAnswers = {QStringLiteral("Next")};
    fake.dialogs.folderAnswers = {next.path()};
    form->New1Click();

    saveBitmap(next.filePath("plan.bmp"), 40, 30);
    fake.dialogs.pictureAnswers = {next.filePath("plan.bmp")};
    form->Backgroundlayout1Click();
    ASSERT_TRUE(form->board().hasBackground());
    EXPECT_EQ(form->board().background().size(), QSize(40, 30));
}

TEST_F(ProjectFixture, NewIntoAFolderHoldingAProjectShowsThatProjectsBackground)
{
    QTemporaryDir other;
    saveBitmap(other.filePath("yard.bmp"), 24, 12);
    writeAll(other.filePath("iniformsettings.ini"),
             "[_global_]\r\nbitmapfile=" + other.filePath("yard.bmp").toUtf8() + "\r\n");
    openProject(); // with no background of its own
    fake.dialogs.inputAnswers = {QStringLiteral("Yard")};
    fake.dialogs.folderAnswers = {other.path()};
    form->New1Click();
    ASSERT_TRUE(form->board().hasBackground());
    EXPECT_EQ(form->board().background().size(), QSize(24, 12));
}

TEST_F(ProjectFixture, AStoredBackgroundThatIsGoneIsTakenFromTheProjectFolderByName)
{
    openProject();
    saveBitmap(projectFile("plan.bmp"), 40, 30);
    for (const QString& stored :
         {QStringLiteral("/no/such/folder/plan.bmp"), QStringLiteral("C:\\Boards\\Old\\plan.bmp"),
          QStringLiteral("plan.bmp")}) {
        SCOPED_TRACE(stored.toStdString());
        writeAll(projectFile("iniformsettings.ini"),
                 "[_global_]\r\nbitmapfile=" + stored.toUtf8() + "\r\n");
        form->board().setBackground(QImage());
        form->ReadFormSettings();
        EXPECT_EQ(form->board().background().size(), QSize(40, 30));
        EXPECT_EQ(form->project().background(), stored);
    }

    // A stored path that exists is the picture, wherever it lies.
    QTemporaryDir elsewhere;
    saveBitmap(elsewhere.filePath("plan.bmp"), 12, 10);
    writeAll(projectFile("iniformsettings.ini"),
             "[_global_]\r\nbitmapfile=" + elsewhere.filePath("plan.bmp").toUtf8() + "\r\n");
    form->ReadFormSettings();
    EXPECT_EQ(form->board().background().size(), QSize(12, 10));
}

TEST_F(ProjectFixture, StartUpWithAVanishedRememberedFolderStillRefusesASecondRunningCopy)
{
    writeAll(form->lastProjectFile(), "[Form1]\r\nPathforini=/no/such/project\r\n");
    fake.processes.running = 2;
    form->Timer1Timer();
    EXPECT_EQ(fake.dialogs.messages, QStringList{"You Can Not run two instances of Application !"});
    EXPECT_TRUE(form->isTerminating());
    EXPECT_FALSE(form->project().isOpen());

    // As above: take back the program's request to end.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

TEST_F(ProjectFixture, ASwitchSavesAndClosesTheOldProjectsTableWindows)
{
    openProject();
    TObjectTable* table = OpenTableWindow(
        fake.platform, form->project().file(ProjectFiles::DefaultTable), QStringLiteral("Default"));
    table->StringGrid1->setCell(1, 1, QStringLiteral("kept"));
    QTemporaryDir next;
    fake.dialogs.inputAnswers = {QStringLiteral("Next")};
    fake.dialogs.folderAnswers = {next.path()};
    form->New1Click();
    EXPECT_EQ(form->project().folder(), next.path());
    EXPECT_TRUE(TObjectTable::windows().isEmpty());
    EXPECT_TRUE(readAll(projectFile("defaulttable.txt")).contains("kept"));
}

TEST_F(ProjectFixture, ATableThatCannotBeSavedStopsTheSwitchUntilTheUserChoosesToLeaveIt)
{
    openProject(QStringLiteral("Plant"));
    QTemporaryDir other;
    writeAll(other.filePath("iniformsettings.ini"), "[formname]\r\nformname=Other\r\n");
    const QString gone = form->project().tableFile(QStringLiteral("Gone"));
    TObjectTable* table = OpenTableWindow(fake.platform, gone, QStringLiteral("Gone"));

    fake.dialogs.folderAnswers = {other.path()};
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::Stay, {}}};
    form->Open1Click();
    EXPECT_EQ(fake.dialogs.failedSaves.size(), 1);
    EXPECT_EQ(form->project().folder(), projectDir.path());
    EXPECT_EQ(TObjectTable::windows(), QList<TObjectTable*>{table});
    // Every file is tried before the box: the project's own files are
    // written, the table waits for the user's choice.
    EXPECT_TRUE(QFile::exists(projectFile("iniformsettings.ini")));

    fake.dialogs.folderAnswers = {other.path()};
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::LeaveUnsaved, {}}};
    form->Open1Click();
    EXPECT_EQ(form->project().folder(), other.path());
    EXPECT_EQ(form->project().formName(), "Other");
    EXPECT_TRUE(TObjectTable::windows().isEmpty());
    EXPECT_TRUE(QFile::exists(projectFile("iniformsettings.ini")));
}

TEST_F(ProjectFixture, ASecondRunningCopyEndsAfterLoadingAProject)
{
    openProject(QStringLiteral("Plant"));
    addObject(1, QStringLiteral("Boiler"));
    ASSERT_TRUE(form->SaveProject());
    const QByteArray shapes = readAll(projectFile("fStreamShape.txt"));
    const QByteArray labels = readAll(projectFile("fStreamLabel.txt"));
    fake.processes.running = 2;
    EXPECT_FALSE(form->LoadProject());
    EXPECT_EQ(fake.dialogs.messages,
              QStringList{"You Can Not run two instances of Application Plant!"});
    EXPECT_TRUE(form->isTerminating());
    // Closed before it ends (a signal to end, or the window's close while the
    // message shows), it leaves the project's board as it was.
    EXPECT_TRUE(form->close());
    EXPECT_EQ(readAll(projectFile("fStreamShape.txt")), shapes);
    EXPECT_EQ(readAll(projectFile("fStreamLabel.txt")), labels);

    // The program asked the application to end; outside its event loop Qt
    // keeps that request and ends every later loop (a modal dialog's) at once.
    // One short run of the application's loop takes it back.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

TEST_F(ProjectFixture, DamagedSettingsFilesGiveTheDefaults)
{
    openProject(QStringLiteral("Plant"));
    const QString caption = form->windowTitle();
    const QByteArray junk[] = {
        QByteArray(),
        QByteArray("\x00\xff\x13[Form1\r\n=\r\n[[]]\x00", 16),
        "[ FORMNAME ]\n  FormName  =  Spaced  ",
        "[formname]\r\nformname=Last\r\n[_GLOBAL_]\r\nBITMAPFILE=/no/such.bmp",
    };
    const char* formNames[] = {"Plant", "Plant", "Spaced", "Last"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        writeAll(projectFile("iniformsettings.ini"), junk[i]);
        form->project().setFormName(QStringLiteral("Plant"));
        EXPECT_TRUE(form->ReadFormSettings());
        EXPECT_EQ(form->project().formName(), formNames[i]);
        EXPECT_EQ(form->windowTitle(), Caption::project(formNames[i], projectDir.path()));
        EXPECT_FALSE(form->board().hasBackground());
    }
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
    EXPECT_TRUE(caption.startsWith("Vexorin"));
}

TEST_F(ProjectFixture, BackgroundTakesBitmapsOnlyAndKeepsTheOldOneOtherwise)
{
    openProject();
    saveBitmap(projectFile("plan.bmp"), 40, 30);
    QImage("://nothing").save(projectFile("x.png"));
    QImage png(4, 4, QImage::Format_RGB32);
    png.fill(Qt::red);
    ASSERT_TRUE(png.save(projectFile("photo.jpg"), "JPG"));
    writeAll(projectFile("fake.bmp"), "not a picture at all");

    fake.dialogs.pictureAnswers = {projectFile("plan.bmp")};
    form->Backgroundlayout1Click();
    ASSERT_EQ(fake.dialogs.messages.size(), 1);
    EXPECT_EQ(fake.dialogs.messages[0],
              "Backgroun picture has to have \"bmp\" file extension.\n"
              "You can change file extension from \"jpg\" to \"bmp\" with Windows Paint "
              "software.\nJust by saving it as \"bmp\" file. ");
    ASSERT_TRUE(form->board().hasBackground());
    EXPECT_EQ(form->board().background().size(), QSize(40, 30));

    for (const char* other : {"photo.jpg", "fake.bmp", "missing.bmp"}) {
        SCOPED_TRACE(other);
        fake.dialogs.pictureAnswers = {projectFile(other)};
        form->Backgroundlayout1Click();
        EXPECT_EQ(form->board().background().size(), QSize(40, 30));
    }
    // A cancelled chooser still reloads the current picture.
    fake.dialogs.pictureAnswers = {QString()};
    form->Backgroundlayout1Click();
    EXPECT_EQ(form->project().background(), projectFile("missing.bmp"));
}

TEST_F(ProjectFixture, AVanishedProjectFolderAtSaveShowsAnErrorAndKeepsTheBoard)
{
    QTemporaryDir doomed;
    form->project().open(doomed.path(), "Gone");
    addObject(1, QStringLiteral("Pump"));
    ASSERT_TRUE(doomed.remove());

    form->show();
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::Stay, {}}};
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(fake.dialogs.failedSaves.size(), 1);
    EXPECT_TRUE(fake.dialogs.failedSaves[0].error.contains(doomed.path()))
        << fake.dialogs.failedSaves[0].error.toStdString();
    EXPECT_EQ(fake.dialogs.failedSaves[0].suggestedFile, doomed.path() + "/iniformsettings.ini");
    EXPECT_EQ(form->boardModel().shapes().size(), 1);

    // The user brings the folder back and tries again: the close saves everything.
    fake.dialogs.failedSaveAnswerer = [&](const TestDialogs::FailedSave&) {
        QDir().mkpath(doomed.path());
        return FailedSaveAnswer{FailedSaveChoice::TryAgain, {}};
    };
    EXPECT_TRUE(form->close());
    EXPECT_EQ(fake.dialogs.failedSaves.size(), 2);
    EXPECT_TRUE(QFile::exists(doomed.path() + "/fStreamShape.txt"));
    QDir(doomed.path()).removeRecursively();
}
