#include "ProgramFixture.h"
#include "support/Files.h"

#include "project/BoardModel.h"
#include "project/BoardRecords.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"

#include <QFileInfo>

namespace {

// Writes the board files of a project with one object per name, the shape
// file damaged after its records when damageShapes is set.
void writeProject(const QString& folder, const QStringList& names, bool damageShapes)
{
    BoardModel scratch;
    for (int n = 1; n <= names.size(); ++n) {
        auto* shape = new ObjectShape(scratch);
        shape->setObjectName(QStringLiteral("Shape%1").arg(n));
        shape->setTag(n);
        shape->setGeometry(40 * n, 100, 30, 20);
        auto* label = new ObjectLabel(scratch);
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        label->setTag(n);
        label->move(40 * n, 87);
        label->setCaption(names[n - 1]);
    }
    QByteArray shapes, labels;
    QString error;
    ASSERT_TRUE(BoardRecords::shapeFileBytes(scratch, &shapes, &error));
    ASSERT_TRUE(BoardRecords::labelFileBytes(scratch, 96, &labels, &error));
    if (damageShapes)
        shapes += QByteArray("TPF0\x06TShape\x06Shape9\x03Tag\x02", 22); // ends inside a record
    QFile shapeFile(folder + QStringLiteral("/fStreamShape.txt"));
    QFile labelFile(folder + QStringLiteral("/fStreamLabel.txt"));
    ASSERT_TRUE(shapeFile.open(QIODevice::WriteOnly) && labelFile.open(QIODevice::WriteOnly));
    shapeFile.write(shapes);
    labelFile.write(labels);
}

void writeAlarm(const QString& folder, const QString& objectName)
{
    QFile file(folder + QStringLiteral("/Alarm.dat"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("1-" + objectName.toLatin1() + "-01.01.209900:00:00-1-Days-Off-False-\r\n");
}

} // namespace

class DamagedBoardFile : public ProgramFixture {
protected:
    QStringList captions()
    {
        QStringList found;
        for (const ObjectLabel* label : boardModel().labels())
            found << label->caption();
        return found;
    }
    int alarmRows() { return program->alarmSettings.rowCount(); }
    QStringList alarmRowNames()
    {
        const AlarmListModel& model = program->alarmSettings.listModel();
        QStringList texts;
        for (int row = 0; row < alarmRows(); ++row)
            for (int column = 0; column < model.columnCount(); ++column)
                texts << model.data(model.index(row, column)).toString();
        return texts;
    }
};

TEST_F(DamagedBoardFile, ASwitchLeavesNothingOfTheOldProjectEvenWhenTheNewOneIsDamaged)
{
    writeProject(projectDir.path(), {"Pump", "Valve"}, false);
    writeAlarm(projectDir.path(), "Pump");
    fake.dialogs.folderAnswers = {projectDir.path()};
    form().Open1Click();
    ASSERT_EQ(captions(), (QStringList{"Pump", "Valve"}));
    ASSERT_EQ(alarmRows(), 1);
    const QByteArray oldLabels = readAll(projectFile("fStreamLabel.txt"));

    QTemporaryDir other;
    writeProject(other.path(), {"Boiler"}, true);
    writeAlarm(other.path(), "Boiler");
    const QByteArray otherShapes = readAll(other.filePath("fStreamShape.txt"));
    fake.dialogs.folderAnswers = {other.path()};
    form().Open1Click();

    // The damage is reported; the old project's captions and alarms are gone,
    // the new project's caption file and alarm file are loaded all the same.
    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    EXPECT_TRUE(fake.dialogs.errors[0].contains("fStreamShape.txt"));
    EXPECT_EQ(captions(), QStringList{"Boiler"});
    EXPECT_EQ(boardModel().shapes().size(), 1);
    EXPECT_EQ(alarmRows(), 1);
    EXPECT_TRUE(alarmRowNames().contains("Boiler"));

    // Closing writes nothing of the first project into the second, and the
    // damaged file, unchanged on the board, is not cut down to what was read.
    ASSERT_TRUE(form().close());
    EXPECT_EQ(readAll(other.filePath("fStreamShape.txt")), otherShapes);
    EXPECT_TRUE(readAll(other.filePath("fStreamShape.txt.damaged")) == otherShapes);
    EXPECT_FALSE(readAll(other.filePath("fStreamLabel.txt")).contains("Pump"));
    EXPECT_FALSE(readAll(other.filePath("Alarm.dat")).contains("Pump"));
    EXPECT_EQ(readAll(projectFile("fStreamLabel.txt")), oldLabels);
}

TEST_F(DamagedBoardFile, ADamagedShapeFileIsRewrittenOnlyOnceTheBoardChanged)
{
    writeProject(projectDir.path(), {"Pump", "Valve"}, true);
    const QByteArray labels = readAll(projectFile("fStreamLabel.txt"));
    openProject();
    ASSERT_TRUE(form().LoadProject());
    EXPECT_EQ(captions(), (QStringList{"Pump", "Valve"})) << "the caption file loads on its own";
    ASSERT_EQ(boardModel().shapes().size(), 2);

    // Saved unchanged: both files stay as they were.
    const QByteArray shapes = readAll(projectFile("fStreamShape.txt"));
    ASSERT_TRUE(form().SaveProject());
    EXPECT_EQ(readAll(projectFile("fStreamShape.txt")), shapes);
    EXPECT_EQ(readAll(projectFile("fStreamLabel.txt")), labels);

    // Once an object moved, the board is what the user keeps: it is written,
    // while the copy kept aside holds the damaged file as it was.
    boardModel().shapeNamed("Shape1")->move(300, 300);
    ASSERT_TRUE(form().SaveProject());
    EXPECT_NE(readAll(projectFile("fStreamShape.txt")), shapes);
    EXPECT_EQ(readAll(projectFile("fStreamShape.txt.damaged")), shapes);
    ASSERT_TRUE(form().LoadProject());
    EXPECT_EQ(boardModel().shapeNamed("Shape1")->pos(), QPoint(300, 300));
    EXPECT_EQ(boardModel().shapes().size(), 2);
}

TEST_F(DamagedBoardFile, AFileLargerThanAnyBoardIsRefusedUnreadAndKeptAside)
{
    writeProject(projectDir.path(), {"Pump"}, false);
    QFile huge(projectFile("fStreamShape.txt"));
    ASSERT_TRUE(huge.open(QIODevice::ReadWrite));
    // Sparse: no disk is spent on it (nor on its copy), but it is one byte
    // longer than any board file.
    ASSERT_TRUE(huge.resize(BoardRecords::MaximumFileSize + 1));
    huge.close();
    openProject();
    ASSERT_TRUE(form().LoadProject());
    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    EXPECT_TRUE(fake.dialogs.errors[0].contains(
        "holds 512,000,001 bytes, more than any board needs (512,000,000 bytes at most, enough "
        "for 1,000,000 objects)"))
        << fake.dialogs.errors[0].toStdString();
    EXPECT_TRUE(fake.dialogs.errors[0].contains("fStreamShape.txt.damaged"));
    EXPECT_EQ(boardModel().shapes().size(), 0);
    EXPECT_EQ(captions(), QStringList{"Pump"}) << "the caption file loads all the same";
    EXPECT_EQ(QFileInfo(projectFile("fStreamShape.txt.damaged")).size(),
              BoardRecords::MaximumFileSize + 1);

    // Saved unchanged, the file stays; once the board changes, the copy holds it.
    ASSERT_TRUE(form().SaveProject());
    EXPECT_EQ(QFileInfo(projectFile("fStreamShape.txt")).size(), BoardRecords::MaximumFileSize + 1);
}

// A shape file emptied (by a crash, a full disk or another program) beside a
// caption file that still names the objects is damage, not an empty board.
TEST_F(DamagedBoardFile, AnEmptyBoardFileBesideAFullOneIsReportedAndKeptAside)
{
    writeProject(projectDir.path(), {"Pump", "Valve"}, false);
    writeAll(projectFile("fStreamShape.txt"), QByteArray());
    writeAlarm(projectDir.path(), "Pump");
    fake.dialogs.folderAnswers = {projectDir.path()};
    form().Open1Click();
    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    EXPECT_TRUE(fake.dialogs.errors[0].contains("fStreamShape.txt is damaged: the file is empty, "
                                                "while fStreamLabel.txt beside it is not."))
        << fake.dialogs.errors[0].toStdString();
    EXPECT_TRUE(fake.dialogs.errors[0].contains("A copy of the file is kept as"));
    EXPECT_TRUE(QFileInfo(projectFile("fStreamShape.txt.damaged")).isFile());
    EXPECT_EQ(captions(), (QStringList{"Pump", "Valve"}));
    EXPECT_EQ(alarmRows(), 1) << "the rest of the project loads";

    // Both empty is an empty board, as a project of no objects leaves it; so
    // is an empty caption file beside no shape file.
    for (const bool shapeFile : {true, false}) {
        fake.dialogs.errors.clear();
        writeAll(projectFile("fStreamLabel.txt"), QByteArray());
        if (shapeFile)
            writeAll(projectFile("fStreamShape.txt"), QByteArray());
        else
            QFile::remove(projectFile("fStreamShape.txt"));
        ASSERT_TRUE(form().LoadProject());
        EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();
    }
}

TEST_F(DamagedBoardFile, RepeatedLoadsOfOneDamagedFileKeepOneCopy)
{
    writeProject(projectDir.path(), {"Pump"}, true);
    openProject();
    for (int load = 0; load < 3; ++load)
        ASSERT_TRUE(form().LoadProject());
    EXPECT_EQ(fake.dialogs.errors.size(), 3);
    EXPECT_EQ(QDir(projectDir.path()).entryList({"fStreamShape.txt.damaged*"}),
              QStringList{"fStreamShape.txt.damaged"});
}
