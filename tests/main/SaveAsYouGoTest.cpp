// The whole program on a copy of the sample project: what is typed into a note
// and a table is in their files while the windows are still open, so that a
// crash or a power cut at that moment loses none of it.
#include "WindowsFixture.h"
#include "support/Files.h"

#include "formats/RichText.h"
#include "platform/SaveSoon.h"

#include <QTextDocument>
#include <QTextEdit>

namespace {

QString noteText(const QString& path)
{
    QTextDocument document;
    return RichText::readFile(path, &document) ? document.toPlainText()
                                               : QStringLiteral("<unreadable>");
}

using SaveAsYouGo = WindowsFixture;

TEST_F(SaveAsYouGo, TypedNoteTextAndTableCellsAreOnDiskBeforeAnyWindowCloses)
{
    copyTree(QStringLiteral(VEXORIN_EXAMPLES "/Plant"), projectDir.path());
    QFile::remove(projectFile("Alarm.dat")); // no alarm may come due while the test waits
    fake.dialogs.folderAnswers = {projectDir.path()};
    form().Open1Click();
    ASSERT_EQ(form().project().folder(), projectDir.path());
    const QMap<QString, QByteArray> before = filesUnder(projectDir.path());

    TForm2* note = doublePress(QStringLiteral("Pump 1"));
    ASSERT_NE(note, nullptr);
    QTest::keyClicks(note->RichEdit1, QStringLiteral("Bearing"));
    rightPress(QStringLiteral("Pump 1"));
    form().able1->trigger();
    TObjectTable* table = TObjectTable::find(form().project().tableFile(QStringLiteral("Pump 1")));
    ASSERT_NE(table, nullptr);
    pressCell(table, 1, 1);
    QTest::keyClicks(table->StringGrid1->cellEditor(), QStringLiteral("hot"));
    EXPECT_EQ(filesUnder(projectDir.path()), before)
        << "nothing is written while the typing goes on";

    // Typing on past the longest delay: the saves come due at once, and the
    // event loop runs them.
    fake.clock.elapsed += SaveSoon::LongestMs;
    QTest::keyClicks(note->RichEdit1, QStringLiteral(" worn"));
    QTest::keyClicks(table->StringGrid1->cellEditor(), QStringLiteral(" spot"));
    const QString notePath = projectFile("Pump 1/Pump 1.rtf");
    const QString tablePath = projectFile("Pump 1/Pump 1table.txt");
    EXPECT_TRUE(QTest::qWaitFor([&] { return noteText(notePath).contains("Bearing worn"); },
                                SaveSoon::IdleMs / 2))
        << noteText(notePath).toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return readAll(tablePath).contains("\r\nhot spot\r\n"); },
                                SaveSoon::IdleMs / 2))
        << readAll(tablePath).toStdString();

    // The windows are still open: a crash now finds the files whole, and
    // nothing else in the project was touched.
    EXPECT_EQ(NoteWindow(), note);
    EXPECT_TRUE(note->isVisible() && table->isVisible());
    const QMap<QString, QByteArray> after = filesUnder(projectDir.path());
    EXPECT_EQ(after.keys(), before.keys());
    for (const QString& name : before.keys()) {
        if (name == "Pump 1/Pump 1.rtf" || name == "Pump 1/Pump 1table.txt")
            continue;
        EXPECT_EQ(after[name], before[name]) << name.toStdString();
    }
    EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();
}

} // namespace
