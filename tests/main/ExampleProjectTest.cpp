#include "ProgramFixture.h"
#include "support/Files.h"

#include "alarms/fAlarmSettingsUnit.h"

#include <QDirIterator>

using ExampleProject = ProgramFixture;

TEST_F(ExampleProject, TheSampleOpensWithItsObjectsInTheirStatuses)
{
    copyTree(QStringLiteral(VEXORIN_EXAMPLES "/Plant"), projectDir.path());
    form().project().setFormName(QStringLiteral("Other"));
    fake.dialogs.folderAnswers = {projectDir.path()};
    form().Open1Click();

    EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();
    EXPECT_EQ(form().project().folder(), projectDir.path());
    QStringList names;
    for (const ObjectLabel* label : boardModel().labels())
        names << label->caption();
    EXPECT_EQ(names, (QStringList{"Boiler", "Pump 1", "Pump 2", "Tank A", "Gate"}));
    QSet<quint32> colours;
    for (const ObjectShape* shape : boardModel().shapes())
        colours.insert(shape->brushColor());
    EXPECT_GE(colours.size(), 4) << "objects stand in several statuses";
    EXPECT_EQ(boardModel().shapeNamed("Shape2")->shapeKind(), ShapeKind::Circle);
    // The sample names its floor plan without a folder, so any copy shows its own.
    EXPECT_TRUE(
        readAll(projectFile("iniformsettings.ini")).contains("\r\nbitmapfile=plan.bmp\r\n"));
    EXPECT_TRUE(board().hasBackground());

    // Its alarms came with it, and closing saves it back into its own folder.
    EXPECT_TRUE(program->alarmSettings.SaveAlarms());
    ASSERT_TRUE(form().close());
    EXPECT_TRUE(readAll(projectFile("iniformsettings.ini")).contains(projectDir.path().toUtf8()));
    EXPECT_FALSE(readAll(projectFile("Alarm.dat")).isEmpty());
}
