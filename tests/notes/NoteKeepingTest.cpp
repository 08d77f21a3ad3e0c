// A note is rewritten only when it was changed; what the editor cannot hold
// is kept aside before the first change; links open; big notes load in slices.
#include "NoteFixture.h"

#include <QDirIterator>
#include <QLabel>
#include <QTest>
#include <QTextBlock>

namespace {

using NoteKeepingTest = NoteFixture;

const QString kRtfFixtures = QStringLiteral(VEXORIN_FIXTURES "/rtf/");

QStringList rtfFixtures()
{
    QStringList names;
    for (QDirIterator it(kRtfFixtures, {QStringLiteral("*.rtf"), QStringLiteral("*.txt")});
         it.hasNext();)
        names << QFileInfo(it.next()).fileName();
    names.sort();
    return names;
}

TEST_F(NoteKeepingTest, UntouchedNotesStayByteIdenticalThroughOpenSwitchReloadAndClose)
{
    const QStringList names = rtfFixtures();
    ASSERT_GE(names.size(), 8);
    for (const QString& name : names) {
        const QByteArray bytes = readAll(kRtfFixtures + name);
        createNote("Pump", bytes);
        createNote("Valve", bytes);
        TForm2* window = open(1, "Pump");
        window->FormActivate(); // read again
        open(2, "Valve");       // switch
        open(1, "Pump");
        EXPECT_FALSE(window->NoteNotice->isVisible()) << name.toStdString();
        ASSERT_TRUE(CloseNoteWindow());
        settle();
        EXPECT_EQ(readAll(notePath("Pump")), bytes) << name.toStdString();
        EXPECT_EQ(readAll(notePath("Valve")), bytes) << name.toStdString();
        EXPECT_FALSE(QFile::exists(notePath("Pump") + ".original")) << name.toStdString();
    }
}

TEST_F(NoteKeepingTest, TypingTakenBackWithUndoLeavesTheNoteUnwritten)
{
    const QByteArray bytes = readAll(kRtfFixtures + "richedit.rtf");
    createNote("Pump", bytes);
    TForm2* window = open(1, "Pump");
    type(window, "x");
    type(window, "y");
    ASSERT_TRUE(window->RichEdit1->document()->isModified());
    window->Undo1->trigger();
    EXPECT_FALSE(window->RichEdit1->document()->isModified());
    ASSERT_TRUE(CloseNoteWindow());
    EXPECT_EQ(readAll(notePath("Pump")), bytes);
}

TEST_F(NoteKeepingTest, StampedNoteIsWrittenWithItsTableKept)
{
    const QByteArray bytes = readAll(kRtfFixtures + "richedit-table-list.rtf");
    createNote("Pump", bytes);
    TForm2* window = open(1, "Pump");
    fake.dialogs.inputAnswers = {QString("Done")};
    fake.dialogs.colorAnswers = {QColor(Qt::red)};
    window->Status1Click();
    window->StatusStamp(window->statusButtons().at(0));
    ASSERT_TRUE(CloseNoteWindow());

    const QByteArray written = readAll(notePath("Pump"));
    EXPECT_NE(written, bytes);
    EXPECT_TRUE(written.contains("\\trowd") && written.contains("\\row")) << written.toStdString();
    QTextDocument note;
    ASSERT_TRUE(RichText::readFile(notePath("Pump"), &note));
    EXPECT_TRUE(note.toPlainText().contains("leaking"));
    EXPECT_EQ(note.rootFrame()->childFrames().size(), 1);
}

TEST_F(NoteKeepingTest, WhatCannotBeKeptIsSavedAsideOnceAtTheFirstChangeAndNamed)
{
    const QByteArray bytes = readAll(kRtfFixtures + "word-table-list.rtf");
    createNote("Pump", bytes);
    const QString original = notePath("Pump") + ".original";
    TForm2* window = open(1, "Pump");
    EXPECT_FALSE(window->NoteNotice->isVisible());
    EXPECT_FALSE(QFile::exists(original));

    type(window, "checked");
    EXPECT_EQ(readAll(original), bytes);
    ASSERT_TRUE(window->NoteNotice->isVisible());
    const QString notice = window->NoteNotice->text();
    EXPECT_TRUE(notice.contains("footnotes") && notice.contains("fields other than links"))
        << notice.toStdString();
    EXPECT_TRUE(notice.contains(original)) << notice.toStdString();
    EXPECT_FALSE(notice.contains('\n'));
    EXPECT_LT(window->RichEdit1->geometry().bottom(), window->NoteNotice->geometry().top());
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    ASSERT_TRUE(CloseNoteWindow());
    settle();
    EXPECT_NE(readAll(notePath("Pump")), bytes);

    // The kept original is never replaced by a later version.
    writeAll(notePath("Pump"), bytes);
    type(open(1, "Pump"), "again");
    EXPECT_EQ(readAll(original), bytes);
    ASSERT_TRUE(CloseNoteWindow());
    EXPECT_EQ(readAll(original), bytes);
}

TEST_F(NoteKeepingTest, CtrlPressOnALinkOpensIt)
{
    createNote("Pump", readAll(kRtfFixtures + "libreoffice-table-list.rtf"));
    TForm2* window = open(1, "Pump");
    QTextEdit* editor = window->RichEdit1;
    const QTextCursor link = editor->document()->find("plant page");
    ASSERT_FALSE(link.isNull());
    QTextCursor inside(editor->document());
    inside.setPosition(link.selectionStart() + 3);
    editor->moveCursor(QTextCursor::Start);
    const QPoint at = editor->cursorRect(inside).center();

    QTest::mouseClick(editor->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_TRUE(fake.shell.links.isEmpty());
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
    EXPECT_EQ(fake.shell.links, QList<QUrl>{QUrl("https://example.org/pumps?id=7")});
    EXPECT_FALSE(editor->document()->isModified());
}

// A note of about size bytes as the rich-edit control writes a long log.
QByteArray longLog(qsizetype size)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Tahoma;}}{\\colortbl "
                     ";\\red200\\green0\\blue0;}\\pard ";
    for (int i = 0; rtf.size() < size; ++i)
        rtf += "line " + QByteArray::number(i) + " of the log, \\cf1 stamped\\cf0\\par\r\n";
    return rtf + "last\\par}";
}

TEST_F(NoteKeepingTest, BigNoteIsReadInSlicesWhileTheWindowServesItsEvents)
{
    const QByteArray bytes = longLog(3 * 1024 * 1024);
    createNote("Pump", bytes);
    createNote("Valve", QByteArray("{\\rtf1 small\\par}"));
    TForm2* window = open(1, "Pump");
    ASSERT_TRUE(window->isLoadingNote());
    EXPECT_TRUE(window->RichEdit1->isReadOnly());
    EXPECT_TRUE(window->NoteNotice->text().startsWith("Reading the note: "))
        << window->NoteNotice->text().toStdString();

    // Turning to another object stops the reading.
    open(2, "Valve");
    EXPECT_FALSE(window->isLoadingNote());
    EXPECT_EQ(editorText(window), "small\n");

    open(1, "Pump");
    int turns = 0;
    while (window->isLoadingNote() && turns < 1000) {
        QCoreApplication::processEvents();
        ++turns;
    }
    EXPECT_GT(turns, 3);
    EXPECT_FALSE(window->isLoadingNote());
    EXPECT_FALSE(window->RichEdit1->isReadOnly());
    EXPECT_FALSE(window->NoteNotice->isVisible());
    EXPECT_TRUE(editorText(window).startsWith("line 0 of the log, stamped\nline 1 "));
    EXPECT_TRUE(editorText(window).endsWith("last\n"));
    EXPECT_FALSE(window->RichEdit1->document()->isModified());
    ASSERT_TRUE(CloseNoteWindow());
    EXPECT_EQ(readAll(notePath("Pump")), bytes);
    settle();

    // Closed while it is read: nothing is written, and the reading ends.
    window = open(1, "Pump");
    ASSERT_TRUE(window->isLoadingNote());
    ASSERT_TRUE(CloseNoteWindow());
    EXPECT_FALSE(window->isLoadingNote());
    QCoreApplication::processEvents();
    EXPECT_EQ(readAll(notePath("Pump")), bytes);
}

} // namespace

namespace {

TEST_F(NoteKeepingTest, ListNumbersTheEditorShowsOtherwiseAreNamedAtTheFirstChangeAndWrittenBack)
{
    const QByteArray bytes = readAll(kRtfFixtures + "richedit-list-forms.rtf");
    createNote("Pump", bytes);
    TForm2* window = open(1, "Pump");
    EXPECT_FALSE(window->NoteNotice->isVisible());
    type(window, "checked");
    const QString notice = window->NoteNotice->text();
#if QT_VERSION < QT_VERSION_CHECK(6, 6, 0)
    ASSERT_TRUE(window->NoteNotice->isVisible());
    EXPECT_TRUE(notice.contains("list start numbers")) << notice.toStdString();
    EXPECT_FALSE(notice.contains("Not kept")) << notice.toStdString();
#endif
    // Nothing was lost, so nothing is kept aside.
    EXPECT_FALSE(QFile::exists(notePath("Pump") + ".original"));
    ASSERT_TRUE(CloseNoteWindow());
    settle();
    const QByteArray written = readAll(notePath("Pump"));
    EXPECT_TRUE(written.contains("\\pnstart3\\pnlcltr") && written.contains("{\\pntext c)\\tab}"))
        << written.toStdString();
    EXPECT_TRUE(written.contains("checked"));
}

} // namespace
