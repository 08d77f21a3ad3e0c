#include "TableFixture.h"

#include <QFontMetrics>
#include <QMenu>
#include <QMainWindow>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace {

struct MenuSeen {
    QString name;
    QColor mark;
    QColor pixel;
};

// Presses the right button on a cell. Reports the pop-up menu that opened, if
// any, with the mark colour and the colour the clicked cell is drawn in; then
// chooses one of its items (or none) and closes it.
std::optional<MenuSeen> rightPress(TObjectTable* table, int col, int row, int chooseItem = -1)
{
    std::optional<MenuSeen> seen;
    QObject guard;
    QTimer::singleShot(0, &guard, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        const QRect cell = table->StringGrid1->cellRect(col, row);
        const QImage image = table->StringGrid1->viewport()->grab().toImage();
        seen = MenuSeen{menu->objectName(), table->markColor(),
                        image.pixelColor(cell.bottomRight() - QPoint(1, 1))};
        if (chooseItem >= 0)
            menu->actions().at(chooseItem)->trigger();
        menu->close();
    });
    TableFixture::press(table, col, row, Qt::RightButton);
    return seen;
}

QColor drawnColor(TObjectTable* table, int col, int row)
{
    const QRect cell = table->StringGrid1->cellRect(col, row);
    return table->StringGrid1->viewport()->grab().toImage().pixelColor(cell.bottomRight() -
                                                                       QPoint(1, 1));
}

QList<int> colWidths(const StringGrid* grid)
{
    QList<int> out;
    for (int c = 0; c < grid->colCount(); ++c)
        out.append(grid->colWidth(c));
    return out;
}

// The fitted width of a column holding these texts: the widest text, as the
// sum of its characters' advances in the grid's font, at least 20, plus 5.
int fitted(const StringGrid* grid, const QStringList& texts)
{
    const QFontMetrics metrics(grid->font());
    int width = 20;
    for (const QString& text : texts) {
        int sum = 0;
        for (const QChar c : text)
            sum += metrics.horizontalAdvance(c);
        width = std::max(width, sum);
    }
    return width + 5;
}

} // namespace

using TableWindow = TableFixture;

TEST_F(TableWindow, DefaultTableWithoutAFileOpensTheBuiltInTableFittedNearThePointer)
{
    fake.pointer.at = QPoint(500, 400);
    OpenDefaultTable(host, fake.platform);
    ASSERT_EQ(TObjectTable::windows().size(), 1);
    TObjectTable* table = TObjectTable::windows().first();
    StringGrid* grid = table->StringGrid1;

    EXPECT_TRUE(table->isVisible());
    EXPECT_EQ(table->windowTitle(), "Default");
    EXPECT_EQ(table->tableFile(), projectFile("defaulttable.txt"));
    EXPECT_EQ(table->findChild<QMenuBar*>("MainMenu1"), nullptr);
    EXPECT_TRUE(table->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(table->parent(), nullptr);
    EXPECT_EQ(table->pos(), QPoint(470, 365));

    EXPECT_EQ(grid->colCount(), 7);
    EXPECT_EQ(grid->rowCount(), 5);
    EXPECT_EQ(grid->fixedCols(), 1);
    EXPECT_EQ(grid->fixedRows(), 1);
    EXPECT_EQ(colWidths(grid), QList<int>(7, 25));
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(grid->rowHeight(r), 24);
    EXPECT_EQ(grid->size(), QSize(186, 129));
    EXPECT_EQ(clientSize(table), QSize(186, 129));
    EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(grid->verticalScrollBar()->isVisible());
    EXPECT_FALSE(QFile::exists(projectFile("defaulttable.txt")));
}

TEST_F(TableWindow, NewWindowStandsWhollyOnTheDesktopAndBelowTheMainMenu)
{
    QMainWindow main;
    main.menuBar()->addMenu(QStringLiteral("SETTINGS"));
    main.setGeometry(50, 50, 1820, 980);
    main.show();
    const int belowMenu = main.menuBar()->mapToGlobal(QPoint(0, main.menuBar()->height())).y();
    ASSERT_GT(belowMenu, 50);

    // Opened from the menu bar: pointer minus (30, 35) would cover the menu.
    fake.pointer.at = QPoint(120, 60);
    TObjectTable* table = OpenTableWindow(fake.platform, projectFile("defaulttable.txt"),
                                          QStringLiteral("Default"), &main);
    EXPECT_EQ(table->pos(), QPoint(90, belowMenu));

    // Near the desktop's far corner the whole window stays on the desktop.
    fake.pointer.at = QPoint(1915, 1075);
    const QString file = addObject(1, QStringLiteral("Pump"));
    table = OpenTableWindow(fake.platform, file, QStringLiteral("Pump"), &main);
    EXPECT_EQ(table->frameGeometry().bottomRight(), QPoint(1919, 1079));

    // Away from the edges it stands at pointer minus (30, 35).
    fake.pointer.at = QPoint(700, 500);
    table = OpenTableWindow(fake.platform, addObject(2, QStringLiteral("Valve")),
                            QStringLiteral("Valve"), &main);
    EXPECT_EQ(table->pos(), QPoint(670, 465));
}

TEST_F(TableWindow, ObjectTableHasTheMenuBarAndItsClientAreaStillTakesTheGridsSize)
{
    writeAll(projectFile("defaulttable.txt"), fixture("example-2x3.txt"));
    const QString file = addObject(1, QStringLiteral("Pump"));
    OpenObjectTable(host, fake.platform);
    ASSERT_EQ(TObjectTable::windows().size(), 1);
    TObjectTable* table = TObjectTable::windows().first();

    EXPECT_EQ(table->windowTitle(), "Pump");
    EXPECT_EQ(table->tableFile(), file);
    EXPECT_EQ(file, host.project().folder() + QDir::separator() + "Pump" + QDir::separator() +
                        "Pumptable.txt");
    ASSERT_NE(table->MainMenu1, nullptr);
    QStringList items;
    for (QAction* action : table->MainMenu1->actions())
        items.append(action->text());
    EXPECT_EQ(items, QStringList({"Reset to default", "Clerar"}));
    EXPECT_EQ(table->MainMenu1->actions().first()->objectName(), "Resettodefoult1");
    EXPECT_EQ(clientSize(table), QSize(186, 129));
}

TEST_F(TableWindow, TableAndDefaultTableAreRefusedWithTheirMessages)
{
    addObject(1, QStringLiteral("Pump"));
    OpenObjectTable(host, fake.platform);
    EXPECT_EQ(fake.dialogs.messages,
              QStringList{"It is obligatory to create an default table as template at first.\r\n"
                          "Go to main menu and select: Default object table."});

    host.setProjectFolder({});
    OpenDefaultTable(host, fake.platform);
    EXPECT_EQ(fake.dialogs.messages.last(), " Define form and archive location at first!");
    EXPECT_TRUE(TObjectTable::windows().isEmpty());
}

TEST_F(TableWindow, OneWindowPerTableFileFoundByExactPathAndReloadedOnlyWhenShownAgain)
{
    const QString file = addObject(1, QStringLiteral("Pump"));
    TObjectTable* table = OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    table->StringGrid1->setCell(1, 1, QStringLiteral("typed"));
    writeAll(file, fixture("example-2x3.txt"));

    // Already visible: brought to the front, nothing reloaded.
    EXPECT_EQ(OpenTableWindow(fake.platform, file, QStringLiteral("Pump")), table);
    EXPECT_EQ(table->StringGrid1->cell(1, 1), "typed");

    // Closing saves the grid over the file and hides the window.
    EXPECT_TRUE(table->close());
    EXPECT_FALSE(table->isVisible());
    EXPECT_EQ(readAll(file), "7\r\n5\r\n" + QByteArray("\r\n").repeated(6) + "typed\r\n" +
                                 QByteArray("\r\n").repeated(28));

    // Shown again: the file is read again.
    writeAll(file, fixture("example-2x3.txt"));
    EXPECT_EQ(OpenTableWindow(fake.platform, file, QStringLiteral("Pump")), table);
    EXPECT_TRUE(table->isVisible());
    EXPECT_EQ(texts(table->StringGrid1), QStringList({"|Bolt|Nut", "Qty|12|30"}));

    // Shown again while its file is missing: the texts it held stay.
    ASSERT_TRUE(table->close());
    ASSERT_TRUE(QFile::remove(file));
    OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    EXPECT_EQ(texts(table->StringGrid1), QStringList({"|Bolt|Nut", "Qty|12|30"}));

    // Another spelling of the path is another table window.
    const QString other =
        host.project().folder() + QDir::separator() + "Pump" + QDir::separator() + "PUMPtable.txt";
    EXPECT_NE(OpenTableWindow(fake.platform, other, QStringLiteral("Pump")), table);
    EXPECT_EQ(TObjectTable::windows().size(), 2);
}

TEST_F(TableWindow, DefaultTableOpenedAndClosedTwiceWritesTheSameThirtySevenLines)
{
    OpenDefaultTable(host, fake.platform);
    TObjectTable* table = TObjectTable::windows().first();
    ASSERT_TRUE(table->close());
    EXPECT_EQ(readAll(projectFile("defaulttable.txt")), fixture("builtin-7x5.txt"));

    OpenDefaultTable(host, fake.platform);
    EXPECT_EQ(TObjectTable::windows().size(), 1);
    ASSERT_TRUE(table->close());
    EXPECT_EQ(readAll(projectFile("defaulttable.txt")), fixture("builtin-7x5.txt"));
}

TEST_F(TableWindow, FailedSaveOffersTheChoicesAndStopsClosingAllWindowsOnlyWhenTheUserStays)
{
    const QString pump = addObject(1, QStringLiteral("Pump"));
    TObjectTable* first = OpenTableWindow(fake.platform, pump, QStringLiteral("Pump"));
    ASSERT_TRUE(first->close());
    QFile::remove(pump);

    const QString gone = ProjectFiles::table(host.project().folder(), QStringLiteral("Gone"));
    TObjectTable* failing = OpenTableWindow(fake.platform, gone, QStringLiteral("Gone"));
    const QString valve = addObject(2, QStringLiteral("Valve"));
    OpenTableWindow(fake.platform, valve, QStringLiteral("Valve"));

    // Try again fails the same way; staying keeps the window open.
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::TryAgain, {}},
                                      {FailedSaveChoice::Stay, {}}};
    EXPECT_FALSE(failing->close());
    EXPECT_TRUE(failing->isVisible());
    const QString error = "Invalid filename\nThe table file " + gone + " cannot be written.";
    ASSERT_EQ(fake.dialogs.failedSaves.size(), 2);
    EXPECT_EQ(fake.dialogs.failedSaves[1].error, error);
    EXPECT_EQ(fake.dialogs.failedSaves[1].lost, "the changes to the table \"Gone\" are lost.");
    EXPECT_EQ(fake.dialogs.failedSaves[1].suggestedFile, gone);

    // A close of the program or a switch: hidden windows are saved too,
    // every table before the one box about the failing one; staying there
    // leaves every window.
    const auto closeAll = [&] {
        if (!mayLeave(saveAllOrAsk(fake.dialogs, TObjectTable::closingSaves())))
            return false;
        TObjectTable::closeSaved();
        return true;
    };
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::Stay, {}}};
    EXPECT_FALSE(closeAll());
    EXPECT_EQ(fake.dialogs.failedSaves.size(), 3);
    EXPECT_EQ(fake.dialogs.failedSaves[2].files.size(), 1);
    EXPECT_EQ(readAll(pump), fixture("builtin-7x5.txt"));
    EXPECT_TRUE(QFile::exists(valve));
    EXPECT_EQ(TObjectTable::windows().size(), 3);
    QFile::remove(valve);

    // Saved elsewhere, the run goes on and every window is saved and closed.
    const QString rescue = projectFile("rescue.txt");
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::SaveElsewhere, rescue}};
    EXPECT_TRUE(closeAll());
    EXPECT_EQ(readAll(rescue), fixture("builtin-7x5.txt"));
    EXPECT_TRUE(QFile::exists(valve));
    EXPECT_TRUE(TObjectTable::windows().isEmpty());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

TEST_F(TableWindow, ATableClosedWithoutSavingIsReadAgainFromItsFile)
{
    const QString pump = addObject(1, QStringLiteral("Pump"));
    writeAll(pump, fixture("builtin-7x5.txt"));
    TObjectTable* table = OpenTableWindow(fake.platform, pump, QStringLiteral("Pump"));
    table->StringGrid1->setCell(1, 1, QStringLiteral("typed"));
    ASSERT_TRUE(QFile::remove(pump));
    ASSERT_TRUE(
        QDir(projectDir.path()).mkpath("Pump/Pumptable.txt")); // a folder: no file can be written

    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::LeaveUnsaved, {}}};
    EXPECT_TRUE(table->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(TObjectTable::windows().isEmpty());

    ASSERT_TRUE(QDir(pump).removeRecursively());
    writeAll(pump, fixture("builtin-7x5.txt"));
    table = OpenTableWindow(fake.platform, pump, QStringLiteral("Pump"));
    EXPECT_EQ(table->StringGrid1->cell(1, 1), "");
}

TEST_F(TableWindow, LoadedTableTakesTheFilesCountsAndIsFittedToItsTexts)
{
    const QString file = addObject(1, QStringLiteral("Pump"));
    writeAll(file, fixture("example-2x3.txt"));
    TObjectTable* table = OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    StringGrid* grid = table->StringGrid1;

    EXPECT_EQ(texts(grid), QStringList({"|Bolt|Nut", "Qty|12|30"}));
    EXPECT_EQ(grid->fixedCols(), 1);
    EXPECT_EQ(grid->fixedRows(), 1);
    const int first = fitted(grid, {"Bolt", "Nut"});
    const int second = fitted(grid, {"Qty", "12", "30"});
    EXPECT_EQ(colWidths(grid), QList<int>({first, second}));
    EXPECT_EQ(grid->size(), QSize(first + second + 2 + 4, 3 * 24 + 3 + 4));
    EXPECT_EQ(clientSize(table), grid->size());
}

TEST_F(TableWindow, OneCellFileGivesATableWithoutFixedRowOrColumnForGood)
{
    const QString file = addObject(1, QStringLiteral("Pump"));
    writeAll(file, fixture("one-cell.txt"));
    TObjectTable* table = OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    StringGrid* grid = table->StringGrid1;
    EXPECT_EQ(grid->colCount(), 1);
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->fixedCols(), 0);
    EXPECT_EQ(grid->fixedRows(), 0);
    EXPECT_EQ(grid->cell(0, 0), "Valve");
    EXPECT_FALSE(rightPress(table, 0, 0).has_value());

    // Nothing makes a header row or column again.
    ASSERT_TRUE(table->close());
    writeAll(file, fixture("example-2x3.txt"));
    OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    EXPECT_EQ(grid->colCount(), 2);
    EXPECT_EQ(grid->fixedCols(), 0);
    EXPECT_EQ(grid->fixedRows(), 0);

    // Counts below 1 give one cell.
    ASSERT_TRUE(table->close());
    writeAll(file, "0\r\n-3\r\nX\r\n");
    OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    EXPECT_EQ(texts(grid), QStringList{"X"});
}

TEST_F(TableWindow, UnreadableCountLeavesTheGridUnfittedAndKeepsACopyOfTheFile)
{
    const QString file = addObject(1, QStringLiteral("Pump"));
    writeAll(file, fixture("bad-count.txt"));
    TObjectTable* table = OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));

    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    const QString error = fake.dialogs.errors.first();
    EXPECT_TRUE(error.startsWith("Invalid numeric input\nLine 2 of the table file"))
        << error.toStdString();
    EXPECT_TRUE(error.contains("The table file is " + file + "."));
    EXPECT_TRUE(error.endsWith("A copy of the file is kept as " + file + ".damaged."));
    EXPECT_EQ(readAll(file + ".damaged"), fixture("bad-count.txt"));

    EXPECT_TRUE(table->isVisible());
    EXPECT_EQ(table->StringGrid1->colCount(), 7);
    EXPECT_EQ(table->StringGrid1->rowCount(), 5);
    EXPECT_EQ(table->size(), QSize(809, 463));

    writeAll(file, "5000\r\n5000\r\n");
    ASSERT_TRUE(table->close());
    fake.dialogs.errors.clear();
    writeAll(file, "5000\r\n5000\r\n");
    OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    EXPECT_TRUE(fake.dialogs.errors.first().contains("at most 1000000 cells"));
    EXPECT_TRUE(fake.dialogs.errors.first().contains(file + ".damaged2"));
    // The grid took line 1's column count before line 2 was read.
    EXPECT_EQ(table->StringGrid1->colCount(), 5000);
    EXPECT_EQ(table->StringGrid1->rowCount(), 5);

    ASSERT_TRUE(table->close());
    fake.dialogs.errors.clear();
    writeAll(file, "3\r\nfive\r\n");
    OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    EXPECT_EQ(table->StringGrid1->colCount(), 3);
    EXPECT_EQ(table->StringGrid1->rowCount(), 5);

    // The first damage once more: its copy is named again, no other one is made.
    ASSERT_TRUE(table->close());
    fake.dialogs.errors.clear();
    writeAll(file, fixture("bad-count.txt"));
    OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    EXPECT_TRUE(fake.dialogs.errors.first().endsWith(file + ".damaged."));
    EXPECT_FALSE(QFileInfo::exists(file + ".damaged4"));
}

TEST_F(TableWindow, InputTextAsksForTheClickedCellAndRefusesAnEmptyText)
{
    OpenDefaultTable(host, fake.platform);
    TObjectTable* table = TObjectTable::windows().first();
    StringGrid* grid = table->StringGrid1;

    press(table, 0, 0);
    EXPECT_EQ(table->clickedCell(), QPoint(0, 0));
    fake.dialogs.inputAnswers = {QStringLiteral("Spares of the pump")};
    table->Inputtext1Click();
    EXPECT_EQ(fake.dialogs.prompts, QStringList{"Input for Col 0,Row 0:"});
    EXPECT_EQ(fake.dialogs.initialTexts, QStringList{""});
    EXPECT_EQ(grid->cell(0, 0), "Spares of the pump");
    EXPECT_EQ(grid->colWidth(0), fitted(grid, {"Spares of the pump"}));
    EXPECT_EQ(grid->width(), grid->colWidth(0) + 6 * 25 + 7 + 4);

    press(table, 3, 0);
    fake.dialogs.inputAnswers = {QString(), std::nullopt};
    table->Inputtext1Click();
    table->Inputtext1Click();
    EXPECT_EQ(fake.dialogs.prompts.last(), "Input for Col 3,Row 0:");
    EXPECT_EQ(grid->cell(3, 0), "");
}

TEST_F(TableWindow, InsertRowAddsAnEmptyRowBelowTheClickedOne)
{
    OpenDefaultTable(host, fake.platform);
    TObjectTable* table = TObjectTable::windows().first();
    StringGrid* grid = table->StringGrid1;
    grid->setCell(0, 1, QStringLiteral("a"));
    grid->setCell(0, 2, QStringLiteral("b"));
    grid->setCell(1, 4, QStringLiteral("last"));

    press(table, 0, 4);
    table->Insertrow1Click();
    EXPECT_EQ(grid->rowCount(), 6);
    EXPECT_EQ(texts(grid).mid(0, 2), QStringList({"|a|b|||", "||||last|"}));
    EXPECT_EQ(grid->height(), 6 * 24 + 6 + 4);

    press(table, 0, 0);
    table->Insertrow1Click();
    EXPECT_EQ(texts(grid).mid(0, 2), QStringList({"||a|b|||", "|||||last|"}));
    EXPECT_EQ(grid->height(), 7 * 24 + 7 + 4);
}

TEST_F(TableWindow, InsertColumnAddsAnEmptyColumnRightOfTheClickedOne)
{
    OpenDefaultTable(host, fake.platform);
    TObjectTable* table = TObjectTable::windows().first();
    StringGrid* grid = table->StringGrid1;
    grid->setCell(1, 0, QStringLiteral("A"));
    grid->setCell(6, 0, QStringLiteral("G"));

    press(table, 6, 0);
    table->Insertcolumn1Click();
    EXPECT_EQ(grid->colCount(), 8);
    EXPECT_EQ(grid->cell(6, 0), "G");
    EXPECT_EQ(grid->cell(7, 0), "");

    press(table, 0, 0);
    table->Insertcolumn1Click();
    EXPECT_EQ(grid->colCount(), 9);
    EXPECT_EQ(grid->cell(1, 0), "");
    EXPECT_EQ(grid->cell(2, 0), "A");
    EXPECT_EQ(grid->cell(7, 0), "G");
    EXPECT_EQ(grid->width(), 9 * 25 + 9 + 4);
}

TEST_F(TableWindow, DeleteRowRefusesTheHeaderRowAsksAndKeepsTheWindowSize)
{
    const QString file = addObject(1, QStringLiteral("Pump"));
    writeAll(file, fixture("example-2x3.txt"));
    TObjectTable* table = OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    StringGrid* grid = table->StringGrid1;

    press(table, 0, 0);
    table->Deleterow1Click();
    EXPECT_EQ(fake.dialogs.messages,
              QStringList{"Fixed rows can not be deleted!\r\nYou must selct cell from fixed row\r\n"
                          "and edit/delete it individualy."});
    EXPECT_TRUE(fake.dialogs.questions.isEmpty());

    grid->setCell(1, 1, QStringLiteral("a very long quantity text"));
    table->FitToContent();
    const QSize before = grid->size();
    press(table, 0, 1);
    fake.dialogs.confirmAnswers = {false, true};
    table->Deleterow1Click();
    EXPECT_EQ(grid->rowCount(), 3);
    table->Deleterow1Click();
    EXPECT_EQ(fake.dialogs.questions,
              QStringList({"Do You realy want do delate this row: Bolt ?",
                           "Do You realy want do delate this row: Bolt ?"}));
    EXPECT_EQ(texts(grid), QStringList({"|Nut", "Qty|30"}));
    EXPECT_EQ(grid->size(), before);
}

TEST_F(TableWindow, DeleteColumnRefusesTheHeaderColumnAndFitsInEveryCase)
{
    OpenDefaultTable(host, fake.platform);
    TObjectTable* table = TObjectTable::windows().first();
    StringGrid* grid = table->StringGrid1;
    grid->setCell(2, 0, QStringLiteral("Second"));
    grid->setCell(3, 2, QStringLiteral("a text wider than the column"));
    const int wide = fitted(grid, {"a text wider than the column"});

    press(table, 0, 0);
    table->Deletecolumn1Click();
    EXPECT_EQ(
        fake.dialogs.messages,
        QStringList{"Fixed columns can not be deleted!\r\nYou must selct cell from fixed column\r\n"
                    "and edit/delete it individualy."});
    EXPECT_EQ(grid->colWidth(3), wide);

    press(table, 2, 0);
    fake.dialogs.confirmAnswers = {true};
    table->Deletecolumn1Click();
    EXPECT_EQ(fake.dialogs.questions,
              QStringList{"Do You realy want do delate this column: Second ?"});
    EXPECT_EQ(grid->colCount(), 6);
    EXPECT_EQ(grid->cell(2, 2), "a text wider than the column");
    EXPECT_EQ(grid->colWidth(2), wide);
    EXPECT_EQ(grid->colWidth(3), 25);
}

TEST_F(TableWindow, DeletingTheOnlyDataColumnLeavesOneColumnThatIsNoLongerAHeader)
{
    const QString file = addObject(1, QStringLiteral("Pump"));
    writeAll(file, fixture("example-2x3.txt"));
    TObjectTable* table = OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    StringGrid* grid = table->StringGrid1;

    press(table, 1, 0);
    fake.dialogs.confirmAnswers = {true};
    table->Deletecolumn1Click();
    EXPECT_EQ(grid->colCount(), 1);
    EXPECT_EQ(grid->fixedCols(), 0);
    EXPECT_EQ(grid->fixedRows(), 1);
    EXPECT_EQ(texts(grid), QStringList{"|Bolt|Nut"});

    const std::optional<MenuSeen> menu = rightPress(table, 0, 0);
    ASSERT_TRUE(menu.has_value());
    EXPECT_EQ(menu->name, "PopupMenu1");
    EXPECT_FALSE(rightPress(table, 0, 1).has_value());
}

TEST_F(TableWindow, HeaderMenusMarkTheClickedCellWhileTheyAreOpen)
{
    OpenDefaultTable(host, fake.platform);
    TObjectTable* table = TObjectTable::windows().first();
    const QColor buttonFace = table->palette().color(QPalette::Button);

    struct Case {
        int col;
        int row;
        const char* menu;
        QColor mark;
    };
    for (const Case& c : {Case{0, 0, "PopupMenu3", QColor(255, 255, 0)},
                          Case{0, 2, "PopupMenu2", QColor(0, 255, 255)},
                          Case{3, 0, "PopupMenu1", QColor(0, 255, 0)}}) {
        const std::optional<MenuSeen> seen = rightPress(table, c.col, c.row);
        ASSERT_TRUE(seen.has_value()) << c.menu;
        EXPECT_EQ(seen->name, c.menu);
        EXPECT_EQ(seen->mark, c.mark);
        EXPECT_EQ(seen->pixel, c.mark) << c.menu;
        EXPECT_EQ(table->clickedCell(), QPoint(c.col, c.row));
        EXPECT_EQ(table->markColor(), buttonFace);
        EXPECT_EQ(drawnColor(table, c.col, c.row), buttonFace);
    }

    QStringList items;
    for (QMenu* menu : {table->PopupMenu3, table->PopupMenu2, table->PopupMenu1})
        for (QAction* action : menu->actions())
            items.append(action->text());
    EXPECT_EQ(items, QStringList({"Input text", "Insert row", "Delete row", "Insert column",
                                  "Delete column", "Input text", "Insert row", "Delete row",
                                  "Input text", "Insert column", "Delete column"}));

    // A right press on a data cell opens nothing but is the clicked cell.
    EXPECT_FALSE(rightPress(table, 2, 2).has_value());
    EXPECT_EQ(table->clickedCell(), QPoint(2, 2));
}

TEST_F(TableWindow, ChosenMenuItemRunsItsCommandOnTheClickedCell)
{
    OpenDefaultTable(host, fake.platform);
    TObjectTable* table = TObjectTable::windows().first();
    fake.dialogs.inputAnswers = {QStringLiteral("Bolt")};
    ASSERT_TRUE(rightPress(table, 0, 2, 0).has_value());
    QApplication::processEvents();
    EXPECT_EQ(fake.dialogs.prompts, QStringList{"Input for Col 0,Row 2:"});
    EXPECT_EQ(table->StringGrid1->cell(0, 2), "Bolt");

    ASSERT_TRUE(rightPress(table, 4, 0, 1).has_value()); // Insert column
    QApplication::processEvents();
    EXPECT_EQ(table->StringGrid1->colCount(), 8);
}

TEST_F(TableWindow, ClearEmptiesEveryCellAfterAYesAndSavesNothing)
{
    writeAll(projectFile("defaulttable.txt"), fixture("example-2x3.txt"));
    const QString file = addObject(1, QStringLiteral("Pump"));
    writeAll(file, fixture("example-2x3.txt"));
    OpenObjectTable(host, fake.platform);
    TObjectTable* table = TObjectTable::windows().first();
    const QSize before = table->StringGrid1->size();

    fake.dialogs.confirmAnswers = {false, true};
    table->Clerar1->trigger();
    EXPECT_EQ(texts(table->StringGrid1), QStringList({"|Bolt|Nut", "Qty|12|30"}));
    table->Clerar1->trigger();
    EXPECT_EQ(fake.dialogs.questions,
              QStringList(2, QStringLiteral("Do You realy want to clear all content of table?")));
    EXPECT_EQ(texts(table->StringGrid1), QStringList({"||", "||"}));
    EXPECT_EQ(table->StringGrid1->size(), before);
    EXPECT_EQ(readAll(file), fixture("example-2x3.txt"));
}

TEST_F(TableWindow, ResetToDefaultCopiesTheDefaultTableAndShowsIt)
{
    writeAll(projectFile("defaulttable.txt"), fixture("example-2x3.txt"));
    const QString file = addObject(1, QStringLiteral("Pump"));
    writeAll(file, fixture("short-3x2.txt"));
    OpenObjectTable(host, fake.platform);
    TObjectTable* table = TObjectTable::windows().first();
    EXPECT_EQ(table->StringGrid1->colCount(), 3);

    fake.dialogs.confirmAnswers = {false, true};
    table->Resettodefoult1->trigger();
    EXPECT_EQ(readAll(file), fixture("short-3x2.txt"));
    table->Resettodefoult1->trigger();
    EXPECT_EQ(fake.dialogs.questions,
              QStringList(2, QStringLiteral("Do You realy want to reset to default table?")));
    EXPECT_EQ(readAll(file), fixture("example-2x3.txt"));
    EXPECT_EQ(texts(table->StringGrid1), QStringList({"|Bolt|Nut", "Qty|12|30"}));
    EXPECT_EQ(clientSize(table), table->StringGrid1->size());
    EXPECT_EQ(table->StringGrid1->colWidth(0), fitted(table->StringGrid1, {"Bolt", "Nut"}));
}

TEST_F(TableWindow, ResetWithoutADefaultTableReloadsTheOwnFileAndWritesNothing)
{
    const QString file = addObject(1, QStringLiteral("Pump"));
    writeAll(file, fixture("short-3x2.txt"));
    TObjectTable* table = OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    press(table, 1, 1);
    QTest::keyClicks(table->StringGrid1->cellEditor(), QStringLiteral(" unsaved"));
    ASSERT_EQ(table->StringGrid1->cell(1, 1), " unsaved");

    fake.dialogs.confirmAnswers = {true};
    table->Resettodefoult1Click();
    EXPECT_EQ(texts(table->StringGrid1), QStringList({"A|B", "C|", "|"}));
    // The open cell editor shows the reloaded text and does not write the old one back.
    ASSERT_NE(table->StringGrid1->cellEditor(), nullptr);
    EXPECT_EQ(table->StringGrid1->cellEditor()->text(), "");
    QTest::keyClick(table->StringGrid1->cellEditor(), Qt::Key_Tab);
    EXPECT_EQ(table->StringGrid1->cell(1, 1), "");
    EXPECT_EQ(readAll(file), fixture("short-3x2.txt"));
    EXPECT_FALSE(QFile::exists(projectFile("defaulttable.txt")));
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

TEST_F(TableWindow, TypedTextReachesTheCellAtOnceButWidensItsColumnOnlyAtTheNextFit)
{
    OpenDefaultTable(host, fake.platform);
    TObjectTable* table = TObjectTable::windows().first();
    StringGrid* grid = table->StringGrid1;
    press(table, 2, 1);
    QLineEdit* editor = grid->cellEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("twelve pieces"));
    EXPECT_EQ(grid->cell(2, 1), "twelve pieces");
    EXPECT_EQ(grid->colWidth(2), 25);

    // Typing inside the text keeps the cursor where it is.
    press(table, 3, 1);
    QTest::keyClicks(grid->cellEditor(), QStringLiteral("ac"));
    QTest::keyClick(grid->cellEditor(), Qt::Key_Left);
    QTest::keyClicks(grid->cellEditor(), QStringLiteral("bd"));
    EXPECT_EQ(grid->cell(3, 1), "abdc");

    // Tab goes on to the next data cell, past the header column.
    press(table, 6, 1);
    QTest::keyClick(grid->cellEditor(), Qt::Key_Tab);
    EXPECT_EQ(grid->currentIndex().column(), 1);
    EXPECT_EQ(grid->currentIndex().row(), 2);
    EXPECT_EQ(grid->cell(2, 1), "twelve pieces");

    ASSERT_TRUE(table->close());
    OpenDefaultTable(host, fake.platform);
    EXPECT_EQ(grid->colWidth(2), fitted(grid, {"twelve pieces"}));
}

TEST_F(TableWindow, DraggingAGridLineInTheHeadersSizesColumnsAndRows)
{
    OpenDefaultTable(host, fake.platform);
    TObjectTable* table = TObjectTable::windows().first();
    StringGrid* grid = table->StringGrid1;
    QWidget* viewport = grid->viewport();

    const int columnLine = grid->cellRect(1, 0).right() + 1;
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(columnLine, 10));
    QTest::mouseMove(viewport, QPoint(columnLine + 30, 10));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(columnLine + 30, 10));
    EXPECT_EQ(grid->colWidth(1), 55);

    const int rowLine = grid->cellRect(0, 1).bottom() + 1;
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(10, rowLine));
    QTest::mouseMove(viewport, QPoint(10, rowLine + 10));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(10, rowLine + 10));
    EXPECT_EQ(grid->rowHeight(1), 34);

    // Lines between data cells do not move.
    const int dataLine = grid->cellRect(3, 2).right() + 1;
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier,
                      QPoint(dataLine, grid->cellRect(3, 2).center().y()));
    QTest::mouseMove(viewport, QPoint(dataLine + 30, grid->cellRect(3, 2).center().y()));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier,
                        QPoint(dataLine + 30, grid->cellRect(3, 2).center().y()));
    EXPECT_EQ(grid->colWidth(3), 25);

    // Fitting sets widths again but keeps dragged heights.
    table->FitToContent();
    EXPECT_EQ(grid->colWidth(1), 25);
    EXPECT_EQ(grid->size(), QSize(186, 4 * 24 + 34 + 5 + 4));
}

TEST_F(TableWindow, TableTallerThanTheDesktopScrollsInsteadOfLosingRows)
{
    const QString file = addObject(1, QStringLiteral("Pump"));
    QByteArray bytes = "3\r\n60\r\n";
    for (int i = 0; i < 180; ++i)
        bytes += QByteArray::number(i) + "\r\n";
    writeAll(file, bytes);
    TObjectTable* table = OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    EXPECT_EQ(table->StringGrid1->height(), 60 * 25 + 4);
    EXPECT_EQ(clientSize(table).height(),
              1080 - table->MainMenu1->heightForWidth(clientSize(table).width()));
    EXPECT_TRUE(table->ClientArea->verticalScrollBar()->isVisible());

    press(table, 1, 5);
    table->StringGrid1->setCurrentIndex(table->StringGrid1->model()->index(59, 1));
    EXPECT_GT(table->ClientArea->verticalScrollBar()->value(), 0);
}

TEST_F(TableWindow, NewObjectCopiesTheDefaultTableOnlyWhenThereIsOne)
{
    const QString file = addObject(1, QStringLiteral("Pump"));
    EXPECT_FALSE(CopyDefaultTable(host.project().folder(), QStringLiteral("Pump")));
    EXPECT_FALSE(QFile::exists(file));

    writeAll(projectFile("defaulttable.txt"), fixture("example-2x3.txt"));
    writeAll(file, "old");
    EXPECT_TRUE(CopyDefaultTable(host.project().folder(), QStringLiteral("Pump")));
    EXPECT_EQ(readAll(file), fixture("example-2x3.txt"));
}

TEST_F(TableWindow, TablesMadeAsANewUserDoesAreBackAfterARestart)
{
    OpenDefaultTable(host, fake.platform);
    TObjectTable* defaults = TObjectTable::windows().first();
    fake.dialogs.inputAnswers = {QStringLiteral("Qty"), QStringLiteral("Bolt")};
    press(defaults, 1, 0);
    defaults->Inputtext1Click();
    press(defaults, 0, 1);
    defaults->Inputtext1Click();
    ASSERT_TRUE(defaults->close());

    const QString file = addObject(1, QStringLiteral("Pump"));
    CopyDefaultTable(host.project().folder(), QStringLiteral("Pump"));
    OpenObjectTable(host, fake.platform);
    TObjectTable* table = TObjectTable::find(file);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->StringGrid1->cell(1, 0), "Qty");
    EXPECT_EQ(table->StringGrid1->cell(0, 1), "Bolt");

    press(table, 1, 1);
    QTest::keyClicks(table->StringGrid1->cellEditor(), QStringLiteral("12"));
    press(table, 0, 1);
    table->Insertrow1Click();
    fake.dialogs.inputAnswers = {QStringLiteral("Nut")};
    press(table, 0, 2);
    table->Inputtext1Click();
    press(table, 0, 0);
    table->Insertcolumn1Click();
    press(table, 1, 0);
    fake.dialogs.confirmAnswers = {true};
    table->Deletecolumn1Click();
    const QStringList before = texts(table->StringGrid1);
    EXPECT_EQ(before.mid(0, 2), QStringList({"|Bolt|Nut|||", "Qty|12||||"}));
    ASSERT_TRUE(table->close());

    TObjectTable::destroyAll();
    OpenObjectTable(host, fake.platform);
    ASSERT_EQ(TObjectTable::windows().size(), 1);
    EXPECT_EQ(texts(TObjectTable::windows().first()->StringGrid1), before);
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

TEST(StringGridTextWidth, TextsAreMeasuredCharacterByCharacterAndShapedScriptsWhole)
{
    StringGrid grid;
    const QFontMetrics metrics(grid.font());
    const QString latin = QStringLiteral("AVAWAY To 12,5 € – “x”");
    int sum = 0;
    for (const QChar c : latin)
        sum += metrics.horizontalAdvance(c);
    EXPECT_EQ(grid.textWidth(latin), sum);
    EXPECT_EQ(grid.textWidth(latin), sum) << "measured again from the cache";
    EXPECT_EQ(grid.textWidth(QString()), 0);

    const QString shaped = QStringLiteral("e\u0301 \u0645\u0631\u062D\u0628\u0627");
    EXPECT_EQ(grid.textWidth(shaped), metrics.horizontalAdvance(shaped));

    QFont larger = grid.font();
    larger.setPointSize(larger.pointSize() * 3);
    grid.setFont(larger);
    EXPECT_GT(grid.textWidth(latin), sum * 2);
}

TEST(StringGridCounts, CountsStayAtLeastOneAndFixedLinesOnlyEverShrink)
{
    StringGrid grid;
    EXPECT_EQ(grid.fixedCols(), 1);
    grid.setColCount(0);
    EXPECT_EQ(grid.colCount(), 1);
    EXPECT_EQ(grid.fixedCols(), 0);
    grid.setColCount(4);
    EXPECT_EQ(grid.fixedCols(), 0);
    grid.setRowCount(-2);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.fixedRows(), 0);
    grid.setCell(0, 0, QStringLiteral("kept"));
    grid.setRowCount(3);
    EXPECT_EQ(grid.cell(0, 0), "kept");
    EXPECT_EQ(grid.cell(3, 2), "");
    EXPECT_EQ(grid.cell(4, 0), "");
}
