#include "main/WindowsFixture.h"

#include "find/FindIndexer.h"
#include "find/FindWindow.h"
#include "support/Files.h"
#include "tables/TableFile.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QTextEdit>
#include <QTreeWidget>

// The find window of the whole program, over a project of three objects whose
// notes and tables hold text.
class FindTest : public WindowsFixture {
protected:
    void SetUp() override
    {
        openProject();
        QString error;
        ASSERT_TRUE(TableFile::save(projectFile(QStringLiteral("defaulttable.txt")),
                                    TableFile::emptyColumns(3, 3), 3, &error));
        writeObjectFiles(QStringLiteral("Pump"), "first line\r\nthe seal leaks",
                         {{"", "Spare"}, {"Kind", "Seal"}, {"Count", "2"}});
        writeObjectFiles(QStringLiteral("Tank"), "{\\rtf1 full of \\b w\\'e4ter\\b0\\par}", {});
        newObject(QStringLiteral("Pump"), QPoint(300, 300));
        newObject(QStringLiteral("Tank"), QPoint(600, 300));
        newObject(QStringLiteral("Valve"), QPoint(900, 500));
        waitForIndex();
    }

    // What New Object keeps when it finds them: the note, and a table the
    // default table then replaces, so the table is written again after.
    void writeObjectFiles(const QString& name, const QByteArray& note,
                          const QList<QStringList>& columns)
    {
        ASSERT_TRUE(QDir(projectDir.path()).mkpath(name));
        writeAll(projectFile(name + QLatin1Char('/') + name + QStringLiteral(".rtf")), note);
        if (!columns.isEmpty())
            tables.insert(name, columns);
    }

    void newObject(const QString& name, QPoint at)
    {
        WindowsFixture::newObject(name, at);
        if (tables.contains(name)) {
            QString error;
            ASSERT_TRUE(TableFile::save(
                projectFile(name + QLatin1Char('/') + name + QStringLiteral("table.txt")),
                tables.value(name), 2, &error));
            // As a table window's save would tell it.
            form().project().announceSaved(form().project().tableFile(name));
        }
    }

    FindWindow& find() { return *form().findWindow(); }

    void waitForIndex()
    {
        QElapsedTimer waited;
        waited.start();
        while (form().findIndexer().isReading() && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_FALSE(form().findIndexer().isReading());
        QCoreApplication::processEvents(); // the search that new results start
    }

    void type(const QString& query)
    {
        find().FindEdit->clear();
        QTest::keyClicks(find().FindEdit, query);
    }

    // The hits shown, as "object/where/excerpt".
    QStringList shown()
    {
        QStringList rows;
        for (int i = 0; i < find().FindResults->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = find().FindResults->topLevelItem(i);
            rows.append(item->text(0) + QLatin1Char('/') + item->text(1) + QLatin1Char('/') +
                        item->text(2));
        }
        return rows;
    }

    void choose(int row)
    {
        find().FindResults->setCurrentItem(find().FindResults->topLevelItem(row));
    }

    void OpenFoundTable(const QString& name)
    {
        FindHit hit;
        hit.object = name;
        hit.where = FoundIn::Name;
        ASSERT_TRUE(form().OpenFoundTable(hit));
    }

    static constexpr int FindHighlightWait = TForm1::FoundHighlightMilliseconds + 200;
    QHash<QString, QList<QStringList>> tables;
};

TEST_F(FindTest, CtrlFOpensTheWindowAndHitsShowAsTyped)
{
    EXPECT_EQ(form().Find1->shortcut(), QKeySequence(QKeySequence::Find));
    EXPECT_EQ(form().Find1->text(), QStringLiteral("Find..."));
    // After the menu's own items.
    EXPECT_GT(form().FILE1->actions().indexOf(form().Find1),
              form().FILE1->actions().indexOf(form().Open1));
    form().activateWindow();
    QApplication::setActiveWindow(&form());
    QTest::keyClick(&form(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(find().isVisible());

    type(QStringLiteral("SEAL"));
    EXPECT_EQ(shown(), QStringList({QStringLiteral("Pump/note/first line the seal leaks"),
                                    QStringLiteral("Pump/table/Seal")}));
    EXPECT_EQ(find().FindCount->text(), QStringLiteral("2 hit(s)"));
    type(QStringLiteral("wate"));
    EXPECT_EQ(shown(), QStringList({QStringLiteral("Tank/note/full of wäter")}));
    const FindHit hit = find().hits().at(0);
    EXPECT_EQ(hit.excerpt.mid(hit.markStart, hit.markLength), QStringLiteral("wäte"));

    program->alarmSettings.appendRow(AlarmRow{true, QStringLiteral("Valve"), {}, {}, {}, {}, {}});
    type(QStringLiteral("valv"));
    EXPECT_EQ(shown(), QStringList({QStringLiteral("Valve/name/Valve"),
                                    QStringLiteral("Valve/alarm/Valve")}));
    type(QStringLiteral("nothing like it"));
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_EQ(find().FindCount->text(), QStringLiteral("No hits"));
    QTest::keyClick(find().FindEdit, Qt::Key_Down); // nothing to move to
    QTest::keyClick(find().FindEdit, Qt::Key_Return);
    EXPECT_EQ(NoteWindow(), nullptr);
    QTest::keyClick(find().FindEdit, Qt::Key_Escape);
    EXPECT_FALSE(find().isVisible());
}

TEST_F(FindTest, NamesAreFoundAtOnceWhileNotesAreStillBeingRead)
{
    ASSERT_TRUE(form().SaveProject());
    ASSERT_TRUE(form().LoadProject());
    find().open();
    // The worker's results arrive through the event loop, not yet run.
    type(QStringLiteral("p")); // twice in "Pump", one hit
    EXPECT_EQ(shown(), QStringList({QStringLiteral("Pump/name/Pump")}));
    EXPECT_EQ(find().FindProgress->text(),
              QStringLiteral("Reading notes and tables: 0 of 3 objects"));

    waitForIndex();
    EXPECT_TRUE(find().FindProgress->text().isEmpty());
    EXPECT_EQ(shown(),
              QStringList({QStringLiteral("Pump/name/Pump"), QStringLiteral("Pump/table/Spare")}));
}

TEST_F(FindTest, ChoosingAHitMakesItsObjectCurrentBringsItIntoViewAndFramesItForTwoSeconds)
{
    board().setZoom(4.0, QPoint(0, 0));
    ObjectShape* valve = shapeOf(QStringLiteral("Valve"));
    ObjectLabel* label = boardModel().labelWithCaption(QStringLiteral("Valve"));
    const quint32 fill = valve->brushColor();
    ASSERT_FALSE(
        board().viewport()->rect().contains(board().viewPoint(valve->geometry().center())));

    find().open();
    type(QStringLiteral("valve"));
    choose(0);
    EXPECT_EQ(form().CurrentLabel, label);
    EXPECT_EQ(form().CurrentShape, valve);
    const QRect area = valve->geometry().united(label->geometry());
    EXPECT_TRUE(board().viewport()->rect().contains(
        QRect(board().viewPoint(area.topLeft()), board().viewPoint(area.bottomRight()))));
    EXPECT_EQ(board().highlighted(), area);
    EXPECT_EQ(valve->brushColor(), fill);

    // A frame on the screen only: what is drawn for an export has none.
    QImage withFrame(board().viewport()->size(), QImage::Format_RGB32);
    board().viewport()->render(&withFrame);
    QImage exported(board().boardSize(), QImage::Format_RGB32);
    QPainter painter(&exported);
    board().paintBoard(painter, QRect(QPoint(0, 0), board().boardSize()));
    painter.end();
    const QPoint corner = board().viewPoint(area.topLeft() - QPoint(4, 4));
    EXPECT_EQ(withFrame.pixelColor(corner), QColor(255, 200, 0));
    EXPECT_NE(exported.pixelColor(area.topLeft() - QPoint(4, 4)), QColor(255, 200, 0));

    QTest::qWait(FindHighlightWait);
    EXPECT_TRUE(board().highlighted().isNull());
}

TEST_F(FindTest, EnterOpensTheNoteAtTheMatchAndCtrlEnterTheTableAtTheCell)
{
    find().open();
    type(QStringLiteral("seal"));
    QTest::keyClick(find().FindEdit, Qt::Key_Return);
    TForm2* note = NoteWindow();
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->windowTitle(), QStringLiteral("Pump"));
    EXPECT_EQ(note->RichEdit1->textCursor().selectedText(), QStringLiteral("seal"));
    EXPECT_EQ(form().CurrentLabel->caption(), QStringLiteral("Pump"));

    QTest::keyClick(find().FindEdit, Qt::Key_Down);
    QTest::keyClick(find().FindEdit, Qt::Key_Return, Qt::ControlModifier);
    TObjectTable* table = TObjectTable::find(form().project().tableFile(QStringLiteral("Pump")));
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->isVisible());
    EXPECT_EQ(table->StringGrid1->currentIndex().column(), 1);
    EXPECT_EQ(table->StringGrid1->currentIndex().row(), 1);
}

TEST_F(FindTest, ANoteOrTableSavedAfterIndexingIsFoundByItsNewText)
{
    TForm2* note = doublePress(QStringLiteral("Tank"));
    ASSERT_NE(note, nullptr);
    QTest::keyClicks(note->RichEdit1, QStringLiteral("gasket")); // on a line of its own
    ASSERT_TRUE(note->close());

    OpenFoundTable(QStringLiteral("Valve"));
    TObjectTable* table = TObjectTable::find(form().project().tableFile(QStringLiteral("Valve")));
    ASSERT_NE(table, nullptr);
    table->StringGrid1->setCell(2, 2, QStringLiteral("Gasket kit"));
    ASSERT_TRUE(table->close());
    waitForIndex();

    find().open();
    type(QStringLiteral("GASKET"));
    EXPECT_EQ(shown(), QStringList({QStringLiteral("Tank/note/full of wäter gasket"),
                                    QStringLiteral("Valve/table/Gasket kit")}));
}

TEST_F(FindTest, AnObjectRemovedWhileItsHitIsShownLeavesTheListAndCannotBeChosen)
{
    find().open();
    type(QStringLiteral("pump"));
    ASSERT_EQ(shown(), QStringList({QStringLiteral("Pump/name/Pump")}));
    const FindHit hit = find().hits().at(0);

    rightPress(QStringLiteral("Pump"));
    fake.dialogs.confirmAnswers = {true};
    form().Delete1Click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(shown().isEmpty());
    type(QStringLiteral("seal"));
    EXPECT_TRUE(shown().isEmpty()); // its note and table went with it

    EXPECT_FALSE(form().ShowFoundObject(hit));
    EXPECT_FALSE(form().OpenFoundNote(hit));
    EXPECT_EQ(form().CurrentLabel, nullptr);
    EXPECT_EQ(NoteWindow(), nullptr);

    newObject(QStringLiteral("Pump 2"), QPoint(400, 600));
    waitForIndex();
    type(QStringLiteral("pump"));
    EXPECT_EQ(shown(), QStringList({QStringLiteral("Pump 2/name/Pump 2")}));
}
