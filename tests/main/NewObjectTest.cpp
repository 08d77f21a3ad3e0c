#include "ProgramFixture.h"

#include "board/LabelOffset.h"
#include "shapes/ShapeCustom.h"
#include "shapes/SpinEdit.h"

#include <QComboBox>

using NewObject = ProgramFixture;

TEST_F(NewObject, PlacesAWhiteUnnamedObjectAtTheClickThenNamesItGreenWithItsFiles)
{
    openProject();
    QFile table(projectFile("defaulttable.txt"));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write("1\r\n1\r\nx\r\n");
    table.close();

    const auto seen = newObject(QStringLiteral("Plans"));
    EXPECT_EQ(seen.shape, QRect(445, 295, 10, 10));
    EXPECT_EQ(seen.fill, 0xFFFFFFu);
    EXPECT_EQ(seen.caption, "?");
    EXPECT_EQ(seen.shapeName, "Shape1");
    EXPECT_EQ(seen.hint, "Shape1");
    EXPECT_EQ(seen.label.left(), 445);
    // Desktop height 1080 gives a scale of 10; size 8 gives 7 rounded down.
    EXPECT_EQ(seen.label.top(), 295 - 13);
    EXPECT_EQ(roundingMode(), RoundingMode::Downward);

    ObjectLabel* label = boardModel().labelNamed("Label1");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->caption(), "Plans");
    EXPECT_EQ(label->hint(), "Label1");
    EXPECT_EQ(label->fontSize(), 8);
    EXPECT_FALSE(label->isBold());
    EXPECT_EQ(label->fontColor(), 0u);
    EXPECT_EQ(boardModel().shapeNamed("Shape1")->brushColor(), 0x008000u);
    EXPECT_EQ(form().CurrentShape, boardModel().shapeNamed("Shape1"));
    EXPECT_EQ(form().LabelGap, 13);
    EXPECT_EQ(readAll(projectFile("Plans/Plans.rtf")), QByteArray());
    EXPECT_EQ(readAll(projectFile("Plans/Planstable.txt")), "1\r\n1\r\nx\r\n");
    setRoundingMode(RoundingMode::NearestEven);
}

TEST_F(NewObject, RefusesWhileIdleAndWhileAnotherObjectIsUnnamed)
{
    form().New2Click();
    EXPECT_EQ(fake.dialogs.messages, QStringList{" Define form and archive location at first!"});

    openProject();
    newObject(QStringLiteral("Plans"));
    boardModel().labelNamed("Label1")->setCaption(QStringLiteral("?"));
    fake.dialogs.messages.clear();
    form().New2Click();
    EXPECT_EQ(fake.dialogs.messages, QStringList{"You have one indefined obiect!"});
    EXPECT_EQ(boardModel().shapes().size(), 1);
}

TEST_F(NewObject, EmptyOrDuplicateNamesLeaveTheBoardAsItWas)
{
    openProject();
    newObject(QStringLiteral("Plans"));
    newObject(QString());
    EXPECT_EQ(fake.dialogs.messages,
              QStringList{"You have not gave name to object, object will be deleted!"});
    EXPECT_EQ(boardModel().shapes().size(), 1);
    EXPECT_EQ(form().CurrentShape, nullptr);

    fake.dialogs.messages.clear();
    newObject(QStringLiteral("Plans"));
    EXPECT_EQ(fake.dialogs.messages, QStringList{" Object with same name olarady exist!"});
    EXPECT_EQ(boardModel().shapes().size(), 1);
    EXPECT_EQ(boardModel().labels().size(), 1);
    EXPECT_EQ(form().NextObjectNumber(), 2);

    // Names differ by letter case: both are objects of their own.
    newObject(QStringLiteral("plans"));
    EXPECT_EQ(boardModel().labels().size(), 2);
    EXPECT_TRUE(QFileInfo(projectFile("plans")).isDir());
}

TEST_F(NewObject, ANameTypedBeforeCancelIsUsed)
{
    openProject();
    newObject(QStringLiteral("Valve"), QPoint(500, 400), /*pressCancel=*/true);
    ASSERT_NE(boardModel().labelWithCaption("Valve"), nullptr);
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
}

TEST_F(NewObject, NamesThatCannotBeAFolderOfTheProjectAreRefusedBeforeAnythingIsMade)
{
    // The project lies in a folder of its own, so nothing can appear beside it unseen.
    QTemporaryDir outside;
    const QString project = outside.filePath("project");
    ASSERT_TRUE(QDir().mkdir(project));
    openProject(QStringLiteral("Work"), project);
    const QString refused[] = {"../Escape", "a/b", "a\\b",      "..",
                               ".",         "   ", "tab\tname", QString(250, QLatin1Char('n'))};
    for (const QString& name : refused) {
        SCOPED_TRACE(name.toStdString());
        fake.dialogs.messages.clear();
        newObject(name);
        ASSERT_EQ(fake.dialogs.messages.size(), 1);
        EXPECT_FALSE(fake.dialogs.messages[0].isEmpty());
        EXPECT_TRUE(boardModel().shapes().isEmpty());
        EXPECT_TRUE(boardModel().labels().isEmpty());
    }
    EXPECT_TRUE(QDir(project).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_EQ(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"project"});
}

TEST_F(NewObject, AFolderThatCannotBeMadeLeavesNoObject)
{
    openProject();
    QFile blocker(projectFile("Pump"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    newObject(QStringLiteral("Pump"));
    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    EXPECT_TRUE(fake.dialogs.errors[0].contains("Pump"));
    EXPECT_TRUE(boardModel().shapes().isEmpty());
    EXPECT_EQ(form().CurrentLabel, nullptr);
}

TEST_F(NewObject, TakesTheDefaultObjectSettingsAsTheyStand)
{
    openProject();
    TForm5& defaults = program->form5;
    defaults.SpinEdit1->setText("40");
    defaults.RectangleComboBox1->setCurrentText("Circle");
    newObject(QStringLiteral("Round"));
    ObjectShape* round = boardModel().shapeNamed("Shape1");
    EXPECT_EQ(round->size(), QSize(40, 40));
    EXPECT_EQ(round->shapeKind(), ShapeKind::Circle);

    defaults.SpinEdit2->setText("25");
    defaults.RectangleComboBox1->setCurrentText("Rectangle");
    defaults.ComboBox2->setCurrentIndex(1);
    defaults.ComboBox2Change();
    defaults.ComboBox3->setCurrentText("Invisible");
    defaults.ComboBox4->setCurrentIndex(5);
    defaults.ComboBox4Change();
    newObject(QStringLiteral("Box"));
    ObjectShape* box = boardModel().shapeNamed("Shape2");
    EXPECT_EQ(box->size(), QSize(40, 25));
    EXPECT_EQ(box->shapeKind(), ShapeKind::Rectangle);
    ObjectLabel* caption = boardModel().labelNamed("Label2");
    EXPECT_TRUE(caption->isBold());
    EXPECT_TRUE(caption->isHidden());
    EXPECT_EQ(caption->fontSize(), 10);
    EXPECT_EQ(caption->y(), box->y() - LabelOffset(10, 1, 1080));
    setRoundingMode(RoundingMode::NearestEven);
}

TEST_F(NewObject, DefaultObjectMenuShowsTheSettingsWithoutWaiting)
{
    openProject();
    form().Objesctmass1Click();
    EXPECT_TRUE(program->form5.isVisible());
    EXPECT_FALSE(program->form5.isModal());
}
