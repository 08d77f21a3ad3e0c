// Typed text reaches the note file a moment after the typing, while the
// window stays open; nothing else is written unasked.
#include "NoteFixture.h"

#include "platform/SaveSoon.h"
#include "support/Files.h"

#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QTest>
#include <QTextFrame>
#include <QTextTable>
#include <QTimer>

namespace {

using NoteSavingTest = NoteFixture;

const QString kRtfFixtures = QStringLiteral(VEXORIN_FIXTURES "/rtf/");

TEST_F(NoteSavingTest, TypedTextIsWrittenAfterAPauseOrAtTheLatestTenSecondsAfterTheFirstKey)
{
    createNoteText("Pump", "old");
    TForm2* window = open(1, "Pump");
    SaveSoon* saving = window->NoteSaving;
    EXPECT_FALSE(saving->isPending()) << "reading the note is no change";

    // Each key gives the save a fresh pause, but never beyond the longest delay.
    fake.clock.elapsed = 1000;
    type(window, "a");
    ASSERT_TRUE(saving->isPending());
    EXPECT_EQ(saving->timer()->interval(), SaveSoon::IdleMs);
    fake.clock.elapsed = 1000 + SaveSoon::LongestMs - 500;
    type(window, "b");
    EXPECT_EQ(saving->timer()->interval(), 500);
    fake.clock.elapsed = 1000 + SaveSoon::LongestMs + 300;
    type(window, "c");
    EXPECT_EQ(saving->timer()->interval(), 0);
    EXPECT_EQ(noteText(notePath("Pump")), "old");

    // The timer runs out in the event loop: the note is on disk, whole, with
    // the window still open and nothing asked.
    EXPECT_TRUE(QTest::qWaitFor([&] { return noteText(notePath("Pump")) == "old\nabc"; },
                                SaveSoon::IdleMs / 2))
        << noteText(notePath("Pump")).toStdString();
    EXPECT_FALSE(saving->isPending());
    EXPECT_FALSE(window->RichEdit1->document()->isModified());
    EXPECT_EQ(NoteWindow(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
    EXPECT_TRUE(QDir(projectDir.filePath("Pump")).entryList(QDir::Files) == QStringList{"Pump.rtf"})
        << "no save file is left behind";

    // After a save the longest delay starts again from the next key; a status
    // stamp is typed text too.
    fake.clock.elapsed = 60'000;
    fake.dialogs.inputAnswers = {QString("Done")};
    fake.dialogs.colorAnswers = {QColor(Qt::red)};
    window->Status1Click();
    EXPECT_FALSE(saving->isPending()) << "a new status button is not the note";
    window->StatusStamp(window->statusButtons().at(0));
    ASSERT_TRUE(saving->isPending());
    EXPECT_EQ(saving->timer()->interval(), SaveSoon::IdleMs);
    saving->fire();
    EXPECT_TRUE(noteText(notePath("Pump"))
                    .contains(StatusStampText(fake.clock.current, QLocale::system())));
    EXPECT_FALSE(QFile::exists(statusFile())) << "the status file is still written at the close";

    // Nothing left for the close to write but the status file.
    age(notePath("Pump"));
    const QDateTime before = modified(notePath("Pump"));
    EXPECT_TRUE(CloseNoteWindow());
    EXPECT_EQ(modified(notePath("Pump")), before);
    EXPECT_TRUE(QFile::exists(statusFile()));
}

TEST_F(NoteSavingTest, AnUnchangedNoteIsNeverRewritten)
{
    for (const QString& name :
         {QStringLiteral("richedit-table-list.rtf"), QStringLiteral("plain-utf8.txt")}) {
        const QByteArray bytes = readAll(kRtfFixtures + name);
        createNote("Pump", bytes);
        age(notePath("Pump"));
        const QDateTime before = modified(notePath("Pump"));
        TForm2* window = open(1, "Pump");
        window->NoteSaving->fire();
        window->FormActivate();
        window->NoteSaving->fire();

        // Typed and taken back with Undo: the note is as it was.
        type(window, "x");
        ASSERT_TRUE(window->NoteSaving->isPending());
        window->Undo1->trigger();
        window->NoteSaving->fire();
        EXPECT_EQ(readAll(notePath("Pump")), bytes) << name.toStdString();
        EXPECT_EQ(modified(notePath("Pump")), before) << name.toStdString();
        ASSERT_TRUE(CloseNoteWindow());
        settle();
        EXPECT_EQ(modified(notePath("Pump")), before) << name.toStdString();
    }
}

// The editor holds a long table as tables of some hundred rows each, which
// the caret moves across as one: what is typed into a row of a later one is
// saved in that row of the one table.
TEST_F(NoteSavingTest, TypingInALongTableSavesThatCellAndTheTableStaysOne)
{
    QByteArray rtf = "{\\rtf1\\ansi ";
    for (int row = 0; row < 1200; ++row) {
        const QByteArray r = QByteArray::number(row);
        rtf += "\\trowd\\cellx1500\\cellx4500\\pard\\intbl r" + r + "c0\\cell r" + r +
               "c1\\cell\\row\r\n";
    }
    rtf += "\\pard end\\par}";
    QTextDocument whole;
    QBuffer in(&rtf);
    in.open(QIODevice::ReadOnly);
    ASSERT_TRUE(RichText::read(&in, &whole));
    const auto written = [](const QTextDocument& document) {
        QByteArray bytes;
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        EXPECT_TRUE(RichText::write(&document, &out));
        return bytes;
    };
    createNote("Pump", written(whole));
    writeAll(notePath("Pump") + ".before", written(whole));

    TForm2* window = open(1, "Pump");
    QTextDocument* note = window->RichEdit1->document();
    ASSERT_GT(note->rootFrame()->childFrames().size(), 1);
    const auto caretBefore = [&](const QString& text) {
        QTextCursor cursor = note->find(text);
        cursor.setPosition(cursor.selectionStart());
        window->RichEdit1->setTextCursor(cursor);
        return cursor.block().text() == text;
    };
    // The arrow keys go from the last row of a piece to the first of the next
    // and back, in the same column, never stopping between the two.
    const auto* piece = qobject_cast<QTextTable*>(note->rootFrame()->childFrames().at(0));
    ASSERT_TRUE(piece);
    const int lastRow = piece->rows() - 1;
    ASSERT_TRUE(caretBefore(QStringLiteral("r%1c1").arg(lastRow)));
    QTest::keyClick(window->RichEdit1->viewport(), Qt::Key_Down);
    EXPECT_EQ(window->RichEdit1->textCursor().block().text(),
              QStringLiteral("r%1c1").arg(lastRow + 1));
    EXPECT_NE(window->RichEdit1->textCursor().currentTable(), piece);
    QTest::keyClick(window->RichEdit1->viewport(), Qt::Key_Up);
    EXPECT_EQ(window->RichEdit1->textCursor().block().text(), QStringLiteral("r%1c1").arg(lastRow));

    ASSERT_TRUE(caretBefore(QStringLiteral("r1100c1")));
    QTest::keyClicks(window->RichEdit1->viewport(), QStringLiteral("typed "));
    ASSERT_TRUE(window->NoteSaving->isPending());
    window->NoteSaving->fire();

    // What the same typing into the note read as one table writes.
    QTextDocument expected;
    expected.setDefaultFont(note->defaultFont());
    ASSERT_TRUE(RichText::readFile(notePath("Pump") + ".before", &expected));
    QTextCursor typed = expected.find(QStringLiteral("r1100c1"));
    typed.setPosition(typed.selectionStart());
    typed.insertText(QStringLiteral("typed "));
    QTextCursor caretLine(&expected); // the line of its own the caret was given at the end
    caretLine.movePosition(QTextCursor::End);
    caretLine.insertBlock();
    EXPECT_EQ(readAll(notePath("Pump")), written(expected));
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

TEST_F(NoteSavingTest, NotesThatWereNotReadWholeAreLeftToTheCloseAndWhatCannotBeKeptGoesAsideFirst)
{
    // Could not be read: what is typed is not written over it; the close asks.
    ASSERT_TRUE(QDir(projectDir.path()).mkpath("Pump/Pump.rtf"));
    TForm2* window = open(1, "Pump");
    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    type(window, "typed");
    window->NoteSaving->fire();
    EXPECT_EQ(fake.dialogs.errors.size(), 1) << "no write was tried";
    EXPECT_TRUE(QFileInfo(notePath("Pump")).isDir());
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::LeaveUnsaved, {}}};
    ASSERT_TRUE(CloseNoteWindow());
    EXPECT_EQ(fake.dialogs.failedSaves.size(), 1);
    settle();

    // No note file: typing does not make one; the close does, as it always has.
    ASSERT_TRUE(QDir(projectDir.path()).mkpath("Valve"));
    window = open(2, "Valve");
    ASSERT_EQ(fake.dialogs.messages.size(), 1);
    type(window, "valve");
    window->NoteSaving->fire();
    EXPECT_FALSE(QFile::exists(notePath("Valve")));
    ASSERT_TRUE(CloseNoteWindow());
    EXPECT_EQ(noteText(notePath("Valve")), "valve");
    settle();

    // Deleted while open: not made again before the close.
    createNoteText("Door", "door");
    window = open(6, "Door");
    ASSERT_TRUE(QFile::remove(notePath("Door")));
    type(window, "typed");
    window->NoteSaving->fire();
    EXPECT_FALSE(QFile::exists(notePath("Door")));
    ASSERT_TRUE(CloseNoteWindow());
    EXPECT_EQ(noteText(notePath("Door")), "door\ntyped");
    settle();

    // Read once, then no longer readable: what the editor still shows is not
    // written over it.
    createNoteText("Gate", "gate");
    window = open(3, "Gate");
    ASSERT_TRUE(QFile::remove(notePath("Gate")));
    ASSERT_TRUE(QDir(projectDir.path()).mkpath("Gate/Gate.rtf"));
    window->FormActivate();
    ASSERT_EQ(fake.dialogs.errors.size(), 2);
    type(window, "typed");
    window->NoteSaving->fire();
    EXPECT_EQ(fake.dialogs.errors.size(), 2) << "no write was tried";
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::LeaveUnsaved, {}}};
    ASSERT_TRUE(CloseNoteWindow());
    settle();

    // What the editor cannot hold is kept aside before the first write; when
    // it cannot be kept, only the close writes over the note.
    const QByteArray bytes = readAll(kRtfFixtures + "word-table-list.rtf");
    createNote("Tank", bytes);
    window = open(4, "Tank");
    type(window, "checked");
    window->NoteSaving->fire();
    EXPECT_EQ(readAll(notePath("Tank") + ".original"), bytes);
    EXPECT_TRUE(noteText(notePath("Tank")).contains("checked"));
    ASSERT_TRUE(CloseNoteWindow());
    settle();

    createNote("Well", bytes);
    ASSERT_TRUE(QFile::link(projectDir.filePath("no/such/folder"), notePath("Well") + ".original"));
    window = open(5, "Well");
    type(window, "checked");
    ASSERT_TRUE(window->NoteNotice->text().contains("could not be kept"))
        << window->NoteNotice->text().toStdString();
    window->NoteSaving->fire();
    EXPECT_EQ(readAll(notePath("Well")), bytes);
    ASSERT_TRUE(CloseNoteWindow());
    EXPECT_TRUE(noteText(notePath("Well")).contains("checked"));
    EXPECT_EQ(fake.dialogs.errors.size(), 2);
    EXPECT_EQ(fake.dialogs.failedSaves.size(), 2);
}

TEST_F(NoteSavingTest, AFailedSaveSaysSoOnceTriesAgainAtTheNextChangeAndTheCloseStillAsks)
{
    createNoteText("Pump", "pump");
    TForm2* window = open(1, "Pump");
    ASSERT_TRUE(QFile::remove(notePath("Pump")));
    ASSERT_TRUE(QDir(projectDir.path()).mkpath("Pump/Pump.rtf")); // no file can be written there

    type(window, " one");
    window->NoteSaving->fire();
    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    EXPECT_TRUE(
        fake.dialogs.errors[0].startsWith("Cannot create file \"" + notePath("Pump") + "\". "))
        << fake.dialogs.errors[0].toStdString();
    EXPECT_FALSE(window->NoteSaving->isPending()) << "no retry until the next change";
    type(window, " two");
    ASSERT_TRUE(window->NoteSaving->isPending());
    window->NoteSaving->fire();
    EXPECT_EQ(fake.dialogs.errors.size(), 1);

    // The disk is back: the next change writes everything typed.
    ASSERT_TRUE(QDir(projectDir.path()).rmdir("Pump/Pump.rtf"));
    writeAll(notePath("Pump"), "");
    type(window, " three");
    window->NoteSaving->fire();
    EXPECT_EQ(noteText(notePath("Pump")), "pump\n one two three");

    // Failing again is said again, once; the close offers the choices of a
    // failed save, and staying keeps the text.
    ASSERT_TRUE(QFile::remove(notePath("Pump")));
    ASSERT_TRUE(QDir(projectDir.path()).mkpath("Pump/Pump.rtf"));
    type(window, " four");
    window->NoteSaving->fire();
    EXPECT_EQ(fake.dialogs.errors.size(), 2);
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::Stay, {}}};
    EXPECT_FALSE(CloseNoteWindow());
    EXPECT_EQ(fake.dialogs.failedSaves.size(), 1);
    EXPECT_EQ(editorText(window), "pump\n one two three four");
    EXPECT_FALSE(window->NoteSaving->isPending())
        << "what the close asked about is not tried behind it";
    EXPECT_EQ(fake.dialogs.errors.size(), 2);
}

} // namespace
