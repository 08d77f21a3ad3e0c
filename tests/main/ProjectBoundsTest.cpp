#include "WindowsFixture.h"

#include "platform/ObjectName.h"
#include "support/Files.h"

#include <QTextEdit>

// What a project's files may reach: names read from its files stay inside it;
// links the user made are written through and stay links.
using ProjectBounds = WindowsFixture;

TEST_F(ProjectBounds, AnObjectNameFromTheBoardFileThatLeavesTheProjectShowsButReachesNoFile)
{
    QTemporaryDir root;
    const QString project = root.filePath("project");
    const QString outside = root.filePath("outside");
    QDir().mkpath(project);
    QDir().mkpath(outside + "/victim");
    writeAll(outside + "/victim/victim.rtf", "{\\rtf1 not for this program}");
    writeAll(outside + "/victim/victimtable.txt", "not a table either");
    const QMap<QString, QByteArray> outsideBefore = filesUnder(outside);
    openProject("Work", project);
    writeAll(project + "/defaulttable.txt", "7\r\n5\r\n");

    // A board file whose caption names a folder outside the project.
    newObject("Pump");
    const QString hostile = QStringLiteral("../outside/victim");
    boardModel().labelWithCaption("Pump")->setCaption(hostile);
    ASSERT_TRUE(form().SaveLabels());
    ASSERT_TRUE(form().LoadLabels());
    ASSERT_NE(shapeOf(hostile), nullptr) << "the element still loads";
    EXPECT_TRUE(boardModel().labelWithCaption(hostile)->isVisible()) << "and shows";

    rightPress(hostile);
    form().Folder1Click();
    form().able1Click();
    bool alarmWindowOpened = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            alarmWindowOpened = true;
            modal->close();
        }
    });
    form().Alarm1->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(doublePress(hostile), nullptr) << "no note window";

    EXPECT_FALSE(alarmWindowOpened);
    EXPECT_TRUE(fake.shell.opened.isEmpty());
    EXPECT_TRUE(TObjectTable::windows().isEmpty());
    EXPECT_EQ(fake.dialogs.messages, QStringList(4, ObjectName::refusal(hostile)))
        << "folder, table, alarm and note each say why";
    EXPECT_TRUE(ObjectName::refusal(hostile).contains(hostile));

    ASSERT_TRUE(form().close());
    EXPECT_EQ(filesUnder(outside), outsideBefore);
    EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();
}

TEST_F(ProjectBounds, ProjectFilesAndObjectFoldersThatAreLinksAreWrittenThroughAndStayLinks)
{
    QTemporaryDir root;
    const QString project = root.filePath("project");
    const QString elsewhere = root.filePath("elsewhere");
    QDir().mkpath(project);
    QDir().mkpath(elsewhere + "/Pump");
    const QStringList projectFiles = {"fStreamShape.txt", "fStreamLabel.txt", "iniformsettings.ini",
                                      "Alarm.dat", "youriniSB.ini"};
    // The status file's target exists and holds no buttons; the others are
    // made by the first save, through links that point at nothing yet.
    writeAll(elsewhere + "/youriniSB.ini", "");
    for (const QString& name : projectFiles)
        ASSERT_TRUE(QFile::link(elsewhere + '/' + name, project + '/' + name));
    ASSERT_TRUE(QFile::link(elsewhere + "/Pump", project + "/Pump"));
    writeAll(project + "/defaulttable.txt", "default table bytes");
    openProject("Work", project);

    newObject("Pump");
    addAlarm("Pump", [](TfAddEditAlarm&) {});
    TForm2* note = doublePress("Pump");
    ASSERT_NE(note, nullptr);
    note->RichEdit1->setPlainText("written through the folder link");
    note->RichEdit1->document()->setModified(true);
    ASSERT_TRUE(note->close());
    ASSERT_TRUE(form().close());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();

    for (const QString& name : projectFiles) {
        EXPECT_TRUE(QFileInfo(project + '/' + name).isSymLink()) << name.toStdString();
        EXPECT_TRUE(QFileInfo::exists(elsewhere + '/' + name)) << name.toStdString();
    }
    EXPECT_TRUE(readAll(elsewhere + "/fStreamLabel.txt").contains("Pump"));
    EXPECT_TRUE(readAll(elsewhere + "/Alarm.dat").contains("Pump"));
    EXPECT_TRUE(readAll(elsewhere + "/iniformsettings.ini").contains("Work"));
    EXPECT_EQ(readAll(elsewhere + "/youriniSB.ini"), "") << "no buttons: the target is emptied";
    EXPECT_TRUE(QFileInfo(project + "/Pump").isSymLink());
    EXPECT_TRUE(readAll(elsewhere + "/Pump/Pump.rtf").contains("written through the folder link"));
    EXPECT_EQ(readAll(elsewhere + "/Pump/Pumptable.txt"), "default table bytes");
}
