#include "NoteFixture.h"

#include <QClipboard>
#include <QDir>
#include <QDialog>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QWindow>

namespace {

// A message naming a note path, with the platform's separator.
QString native(const char* message)
{
    return QDir::toNativeSeparators(QString::fromUtf8(message));
}

QStringList actionTexts(const QWidget* widget)
{
    QStringList texts;
    for (const QAction* action : widget->actions())
        texts.append(action->text());
    return texts;
}

// Delivers the focus changes asked for, and what they set off.
void letFocusArrive()
{
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents();
}

} // namespace

using NoteWindowTest = NoteFixture;

TEST_F(NoteWindowTest, LayoutMenuAndContextMenu)
{
    createNote("Pump");
    TForm2* window = open(1, "Pump");
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(window->windowTitle(), "Pump");
    EXPECT_EQ(window->color(), 0x008000u);
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(0, 128, 0));
    EXPECT_EQ(window->centralWidget()->size(), QSize(720, 433));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    // Window managers keep an owned dialog window above its owner, the board.
    EXPECT_EQ(window->windowType(), Qt::Dialog);
    ASSERT_TRUE(window->windowHandle());
    EXPECT_EQ(window->windowHandle()->transientParent(), host.mainWindow()->windowHandle());
    EXPECT_EQ(window->font().family(), "Tahoma");
    EXPECT_EQ(window->font().pointSize(), 8);
    EXPECT_EQ(window->pos(), QPoint((1920 - window->width()) / 2, (1080 - window->height()) / 2));

    EXPECT_EQ(window->findChild<QFrame*>("Panel2")->geometry(), QRect(0, 6, 723, 429));
    EXPECT_EQ(window->findChild<QFrame*>("Panel1")->geometry(), QRect(6, 6, 178, 417));
    QTextEdit* editor = window->findChild<QTextEdit*>("RichEdit1");
    ASSERT_EQ(editor, window->RichEdit1);
    EXPECT_EQ(editor->geometry(), QRect(190, 6, 520, 417));
    EXPECT_EQ(editor->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(editor->lineWrapMode(), QTextEdit::WidgetWidth);
    const QColor buttonFace = ColorRef::toQColor(ColorRef::BtnFace);
    EXPECT_EQ(window->Panel1->palette().color(QPalette::Window), buttonFace);
    EXPECT_EQ(window->Panel2->palette().color(QPalette::Window), buttonFace);

    EXPECT_EQ(actionTexts(window->menuBar()), QStringList{"New status"});
    EXPECT_EQ(window->findChild<QAction*>("New1"), window->New1);
    EXPECT_EQ(actionTexts(window->findChild<QMenu*>("PopupMenu2")),
              (QStringList{"Cu&t", "&Copy", "&Paste", "&Delete", "&Undo"}));
    EXPECT_EQ(actionTexts(window->findChild<QMenu*>("PopupMenu1")), QStringList{"Remove"});
    EXPECT_EQ(window->SelectAll1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    EXPECT_TRUE(editor->actions().contains(window->SelectAll1));
}

TEST_F(NoteWindowTest, OpeningNeedsANamedCurrentObject)
{
    OpenNoteWindow(host, fake.platform);
    EXPECT_EQ(NoteWindow(), nullptr);
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());

    select(1, "?");
    OpenNoteWindow(host, fake.platform);
    EXPECT_EQ(NoteWindow(), nullptr);
    EXPECT_EQ(fake.dialogs.messages, QStringList{"Give name to object at first!"});
}

TEST_F(NoteWindowTest, OneWindowServesEveryObjectInTurn)
{
    createNoteText("Pump", "pump note");
    createNoteText("Valve", "valve note");
    TForm2* window = open(1, "Pump");
    EXPECT_EQ(editorText(window), "pump note\n");

    select(2, "Valve");
    host.shape->setBrushColor(0x0000FF);
    OpenNoteWindow(host, fake.platform);
    EXPECT_EQ(NoteWindow(), window);
    EXPECT_EQ(window->windowTitle(), "Valve");
    EXPECT_EQ(window->color(), 0x0000FFu);
    EXPECT_EQ(editorText(window), "valve note\n");
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
}

TEST_F(NoteWindowTest, ZeroByteNoteOpensEmptyAndIsWrittenOnlyOnceTypedInto)
{
    createNote("Pump");
    TForm2* window = open(1, "Pump");
    EXPECT_EQ(editorText(window), "");
    EXPECT_EQ(window->RichEdit1->textCursor().position(), 0);

    EXPECT_TRUE(CloseNoteWindow());
    EXPECT_EQ(NoteWindow(), nullptr);
    EXPECT_EQ(readAll(notePath("Pump")), QByteArray());
    settle();

    type(open(1, "Pump"), "x");
    EXPECT_TRUE(CloseNoteWindow());
    const QByteArray written = readAll(notePath("Pump"));
    EXPECT_TRUE(written.startsWith("{\\rtf1"));
    EXPECT_EQ(noteText(notePath("Pump")), "x");
}

TEST_F(NoteWindowTest, CaretGoesToALineOfItsOwnUnlessTheLastLineHoldsOneCharacter)
{
    createNoteText("Pump", "first\nHello");
    TForm2* window = open(1, "Pump");
    EXPECT_EQ(editorText(window), "first\nHello\n");
    const QTextCursor caret = window->RichEdit1->textCursor();
    EXPECT_EQ(caret.position(), window->RichEdit1->document()->characterCount() - 1);
    EXPECT_EQ(caret.blockNumber(), 2);
    EXPECT_FALSE(window->RichEdit1->document()->isModified());
    EXPECT_FALSE(window->Undo1->isEnabled());

    // The line given to the caret is no edit: the file stays as it was, and
    // opening again gives the same line once.
    const QByteArray stored = readAll(notePath("Pump"));
    ASSERT_TRUE(CloseNoteWindow());
    settle();
    EXPECT_EQ(readAll(notePath("Pump")), stored);
    window = open(1, "Pump");
    EXPECT_EQ(editorText(window), "first\nHello\n");
    ASSERT_TRUE(CloseNoteWindow());
    settle();

    createNoteText("Valve", "first\nx");
    window = open(2, "Valve");
    EXPECT_EQ(editorText(window), "first\nx");
    EXPECT_EQ(window->RichEdit1->textCursor().position(), 7);
}

TEST(MoveRTCaretEndTest, ColumnOfTheDisplayedLineDecides)
{
    QTextEdit editor;
    editor.resize(400, 200);
    editor.show();
    const auto run = [&](const QString& text) {
        editor.setPlainText(text);
        QTextCursor cursor = editor.textCursor();
        cursor.setPosition(0);
        cursor.setPosition(text.isEmpty() ? 0 : 1, QTextCursor::KeepAnchor);
        editor.setTextCursor(cursor);
        MoveRTCaretEnd(&editor);
        EXPECT_FALSE(editor.textCursor().hasSelection()) << text.toStdString();
        EXPECT_EQ(editor.textCursor().position(), editor.document()->characterCount() - 1)
            << text.toStdString();
        return editor.toPlainText();
    };
    EXPECT_EQ(run(""), "");
    EXPECT_EQ(run("a"), "a");
    EXPECT_EQ(run("line\nb"), "line\nb");
    EXPECT_EQ(run("ab"), "ab\n");
    EXPECT_EQ(run("line\n"), "line\n");
    EXPECT_EQ(run("line\nlast"), "line\nlast\n");

    // A wrapped paragraph: the column counts from the start of its last line.
    editor.setLineWrapMode(QTextEdit::FixedColumnWidth);
    editor.setLineWrapColumnOrWidth(10);
    EXPECT_EQ(run("aaaaaaaaa b"), "aaaaaaaaa b");
    EXPECT_EQ(run("aaaaaaaaa bc"), "aaaaaaaaa bc\n");
}

TEST_F(NoteWindowTest, PlainTextAndDamagedNotesLoadAndAreNotRewrittenBeforeClose)
{
    createNote("Pump", "just text\r\nsecond");
    TForm2* window = open(1, "Pump");
    EXPECT_EQ(editorText(window), "just text\nsecond\n");

    const QByteArray damaged =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 kept {\\b bold {{{{ \\bin99999999 ";
    writeAll(notePath("Pump"), damaged);
    window->FormActivate();
    EXPECT_TRUE(editorText(window).startsWith("kept bold")) << editorText(window).toStdString();
    window->FormActivate();
    EXPECT_EQ(readAll(notePath("Pump")), damaged);
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

TEST_F(NoteWindowTest, MissingNoteIsReportedByNameAndTheStatusesStillLoad)
{
    ASSERT_TRUE(QDir(projectDir.path()).mkpath("Pump"));
    writeAll(statusFile(), "[SpeedButton Count]\r\nSpeedButton "
                           "Count=1\r\n[SpeedButton1]\r\nTag=1\r\nCaption=Done\r\n");
    TForm2* window = open(1, "Pump");
    EXPECT_EQ(fake.dialogs.messages,
              QStringList{native("Can not read fromPump/Pump.rtf  File does not exist!")});
    ASSERT_EQ(window->statusButtons().size(), 1);
    EXPECT_EQ(window->statusButtons()[0]->text(), "Done");

    // What the editor holds stays, and what was typed is not thrown away at
    // the close: the note is made.
    type(window, "typed");
    window->FormActivate();
    EXPECT_EQ(editorText(window), "typed");
    EXPECT_TRUE(CloseNoteWindow());
    EXPECT_EQ(fake.dialogs.messages.size(), 2);
    EXPECT_EQ(noteText(notePath("Pump")), "typed");
    EXPECT_TRUE(QFile::exists(statusFile()));
    EXPECT_EQ(NoteWindow(), nullptr);
}

TEST_F(NoteWindowTest, DeletedNoteFileIsReportedOnActivationAndOnClose)
{
    createNoteText("Pump", "kept text");
    TForm2* window = open(1, "Pump");
    ASSERT_TRUE(QFile::remove(notePath("Pump")));
    window->FormActivate();
    EXPECT_EQ(fake.dialogs.messages,
              QStringList{native("Can not read fromPump/Pump.rtf  File does not exist!")});
    EXPECT_EQ(editorText(window), "kept text\n");
    EXPECT_TRUE(CloseNoteWindow());
    EXPECT_EQ(fake.dialogs.messages.last(),
              native("Can not write to Pump/Pump.rtf  File does not exist!"));
    EXPECT_FALSE(QFile::exists(notePath("Pump")));
}

TEST_F(NoteWindowTest, UnreadableNoteStopsActivationAndIsNotOverwrittenAtClose)
{
    // A folder where the note file should be: it exists but cannot be read.
    ASSERT_TRUE(QDir(projectDir.path()).mkpath("Pump/Pump.rtf"));
    writeAll(statusFile(), "[SpeedButton Count]\r\nSpeedButton "
                           "Count=1\r\n[SpeedButton1]\r\nTag=1\r\nCaption=Done\r\n");
    TForm2* window = open(1, "Pump");
    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    const QString prefix = "Cannot open file \"" + notePath("Pump") + "\". ";
    EXPECT_TRUE(fake.dialogs.errors[0].startsWith(prefix)) << fake.dialogs.errors[0].toStdString();
    EXPECT_GT(fake.dialogs.errors[0].size(), prefix.size());
    EXPECT_TRUE(window->statusButtons().isEmpty());

    // Nothing was read or typed: closing leaves the file alone and closes.
    EXPECT_TRUE(CloseNoteWindow());
    EXPECT_EQ(fake.dialogs.errors.size(), 1);
}

TEST_F(NoteWindowTest, AnUntouchedNoteIsNotRewrittenSoItsUnwritableFileNeverKeepsTheWindowOpen)
{
    createNoteText("Pump", "text");
    open(1, "Pump");
    ASSERT_TRUE(QFile::remove(notePath("Pump")));
    ASSERT_TRUE(QDir(projectDir.path()).mkpath("Pump/Pump.rtf"));

    // Nothing was typed, so nothing is written and nothing is lost.
    EXPECT_TRUE(CloseNoteWindow());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
    EXPECT_TRUE(fake.dialogs.failedSaves.isEmpty());
    EXPECT_EQ(NoteWindow(), nullptr);
    EXPECT_TRUE(QFileInfo(notePath("Pump")).isDir());
}

TEST_F(NoteWindowTest, TypedTextWhoseObjectFolderVanishedNeverTrapsTheWindow)
{
    createNoteText("Pump", "pump");
    TForm2* window = open(1, "Pump");
    type(window, " typed");
    ASSERT_TRUE(QDir(projectDir.filePath("Pump")).removeRecursively());

    // Try again fails the same way; staying keeps the window and the text.
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::TryAgain, {}},
                                      {FailedSaveChoice::Stay, {}}};
    EXPECT_FALSE(CloseNoteWindow());
    ASSERT_EQ(fake.dialogs.failedSaves.size(), 2);
    EXPECT_TRUE(fake.dialogs.failedSaves[0].error.contains(notePath("Pump")));
    EXPECT_EQ(fake.dialogs.failedSaves[0].lost,
              "the text typed into the note of \"Pump\" is lost.");
    EXPECT_EQ(fake.dialogs.failedSaves[0].suggestedFile, notePath("Pump"));
    EXPECT_EQ(fake.dialogs.failedSaves[0].filter, "Rich text (*.rtf)");
    EXPECT_EQ(NoteWindow(), window);
    EXPECT_EQ(editorText(window), "pump\n typed");

    // A failed write elsewhere asks again; a good one takes the text and the window closes.
    const QString rescue = QDir::toNativeSeparators(projectDir.filePath("rescue.rtf"));
    fake.dialogs.failedSaveAnswers = {
        {FailedSaveChoice::SaveElsewhere, projectDir.filePath("no/such/x.rtf")},
        {FailedSaveChoice::SaveElsewhere, rescue}};
    EXPECT_TRUE(CloseNoteWindow());
    EXPECT_EQ(fake.dialogs.failedSaves.size(), 4);
    EXPECT_EQ(noteText(rescue), "pump\n typed");
    EXPECT_EQ(NoteWindow(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(projectDir.filePath("Pump")));
}

TEST_F(NoteWindowTest, TypedTextCanBeLeftUnsavedWhenAsked)
{
    createNoteText("Pump", "pump");
    TForm2* window = open(1, "Pump");
    type(window, " typed");
    ASSERT_TRUE(QDir(projectDir.filePath("Pump")).removeRecursively());

    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::LeaveUnsaved, {}}};
    EXPECT_TRUE(CloseNoteWindow());
    EXPECT_EQ(fake.dialogs.failedSaves.size(), 1);
    EXPECT_EQ(NoteWindow(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(projectDir.filePath("Pump")));
}

TEST_F(NoteWindowTest, CloseWritesNoteAndStatusesAndEndsTheWindow)
{
    createNoteText("Pump", "old");
    TForm2* window = open(1, "Pump");
    QPointer<TForm2> alive = window;
    type(window, "new line");
    fake.dialogs.inputAnswers = {QString("Done")};
    fake.dialogs.colorAnswers = {QColor(Qt::red)};
    window->Status1Click();

    EXPECT_TRUE(window->close());
    EXPECT_EQ(NoteWindow(), nullptr);
    EXPECT_EQ(noteText(notePath("Pump")), "old\nnew line");
    EXPECT_TRUE(readAll(statusFile()).contains("Caption=Done\r\n"));
    settle();
    EXPECT_TRUE(alive.isNull());
}

TEST_F(NoteWindowTest, EditCommandsAreEnabledOnlyWhenTheyCanAct)
{
    createNote("Pump");
    TForm2* window = open(1, "Pump");
    QGuiApplication::clipboard()->clear();
    QTextEdit* editor = window->RichEdit1;
    EXPECT_FALSE(window->Cut1->isEnabled());
    EXPECT_FALSE(window->Copy1->isEnabled());
    EXPECT_FALSE(window->Delete2->isEnabled());
    EXPECT_FALSE(window->Paste1->isEnabled());
    EXPECT_FALSE(window->Undo1->isEnabled());
    EXPECT_FALSE(window->SelectAll1->isEnabled());

    QTest::keyClicks(editor, "hello world");
    EXPECT_TRUE(window->Undo1->isEnabled());
    EXPECT_TRUE(window->SelectAll1->isEnabled());
    EXPECT_FALSE(window->Copy1->isEnabled());

    window->SelectAll1->trigger();
    EXPECT_TRUE(window->Cut1->isEnabled());
    EXPECT_TRUE(window->Copy1->isEnabled());
    EXPECT_TRUE(window->Delete2->isEnabled());
    window->Copy1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "hello world");
    EXPECT_TRUE(window->Paste1->isEnabled());

    window->Delete2->trigger();
    EXPECT_EQ(editor->toPlainText(), "");
    EXPECT_FALSE(window->SelectAll1->isEnabled());
    window->Paste1->trigger();
    window->Paste1->trigger();
    EXPECT_EQ(editor->toPlainText(), "hello worldhello world");
    window->Undo1->trigger();
    EXPECT_EQ(editor->toPlainText(), "hello world");

    // Keys reach the same commands through the editor.
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(editor->toPlainText(), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "hello world");
    QGuiApplication::clipboard()->clear();
}

// ---- Becoming active, and the edits it used to throw away ----

TEST_F(NoteWindowTest, TypedTextIsWrittenBeforeTheNoteIsReadAgain)
{
    createNoteText("Pump", "old");
    TForm2* window = open(1, "Pump");
    type(window, "typed");
    window->FormActivate();
    EXPECT_EQ(noteText(notePath("Pump")), "old\ntyped");
    EXPECT_EQ(editorText(window), "old\ntyped\n");
    EXPECT_FALSE(window->RichEdit1->document()->isModified());
}

TEST_F(NoteWindowTest, UneditedNoteShowsWhatAnotherProgramWrote)
{
    createNoteText("Pump", "old");
    TForm2* window = open(1, "Pump");
    const QByteArray before = readAll(notePath("Pump"));
    window->FormActivate();
    EXPECT_EQ(readAll(notePath("Pump")), before); // reading never writes

    createNoteText("Pump", "written elsewhere");
    window->FormActivate();
    EXPECT_EQ(editorText(window), "written elsewhere\n");
}

TEST_F(NoteWindowTest, SwitchingObjectsWritesTheEditsOfTheFirstNote)
{
    createNoteText("Pump", "pump");
    createNoteText("Valve", "valve");
    TForm2* window = open(1, "Pump");
    type(window, "typed for pump");

    open(2, "Valve");
    EXPECT_EQ(window->windowTitle(), "Valve");
    EXPECT_EQ(editorText(window), "valve\n");
    EXPECT_EQ(noteText(notePath("Pump")), "pump\ntyped for pump");
    EXPECT_EQ(noteText(notePath("Valve")), "valve");

    // A status stamp is an edit too.
    fake.dialogs.inputAnswers = {QString("Done")};
    fake.dialogs.colorAnswers = {QColor(Qt::red)};
    window->Status1Click();
    window->StatusStamp(window->statusButtons()[0]);
    open(1, "Pump");
    EXPECT_TRUE(noteText(notePath("Valve"))
                    .contains(StatusStampText(fake.clock.current, QLocale::system())));
}

TEST_F(NoteWindowTest, SwitchWhileTheEditsCannotBeWrittenOffersTheChoicesOfAFailedSave)
{
    createNoteText("Pump", "pump");
    createNoteText("Valve", "valve");
    TForm2* window = open(1, "Pump");
    type(window, "typed");
    ASSERT_TRUE(QFile::remove(notePath("Pump")));

    // Staying keeps the window on the note; the deleted file is not made again.
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::Stay, {}}};
    open(2, "Valve");
    ASSERT_EQ(fake.dialogs.failedSaves.size(), 1);
    EXPECT_EQ(fake.dialogs.failedSaves[0].error,
              native("Can not write to Pump/Pump.rtf  File does not exist!"));
    EXPECT_EQ(window->windowTitle(), "Pump");
    EXPECT_EQ(editorText(window), "pump\ntyped");
    EXPECT_FALSE(QFile::exists(notePath("Pump")));

    // Try again makes the file, as the close does, and the switch goes on.
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::TryAgain, {}}};
    open(2, "Valve");
    EXPECT_EQ(window->windowTitle(), "Valve");
    EXPECT_EQ(editorText(window), "valve\n");
    EXPECT_EQ(noteText(notePath("Pump")), "pump\ntyped");

    // Left unsaved, the typed text goes and the window turns to the other object.
    type(window, "lost");
    ASSERT_TRUE(QDir(projectDir.filePath("Valve")).removeRecursively());
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::LeaveUnsaved, {}}};
    open(1, "Pump");
    EXPECT_EQ(window->windowTitle(), "Pump");
    EXPECT_EQ(editorText(window), "pump\ntyped\n");
    EXPECT_EQ(fake.dialogs.failedSaves.size(), 3);
}

TEST_F(NoteWindowTest, SwitchToAnObjectWithoutANoteDoesNotShowTheFirstNoteUnderItsName)
{
    createNoteText("Pump", "pump");
    ASSERT_TRUE(QDir(projectDir.path()).mkpath("Valve"));
    TForm2* window = open(1, "Pump");
    open(2, "Valve");
    EXPECT_EQ(fake.dialogs.messages,
              QStringList{native("Can not read fromValve/Valve.rtf  File does not exist!")});
    EXPECT_EQ(editorText(window), "");
    EXPECT_TRUE(CloseNoteWindow());
    EXPECT_EQ(noteText(notePath("Pump")), "pump");
}

TEST_F(NoteWindowTest, BecomingActiveFollowsTheFocusBetweenTheApplicationsWindows)
{
    createNoteText("Pump", "v1");
    host.window.show();
    host.window.activateWindow();
    letFocusArrive();

    TForm2* window = open(1, "Pump");
    letFocusArrive(); // the focus the opener asked for arrives: read once only
    EXPECT_EQ(editorText(window), "v1\n");
    ASSERT_EQ(QGuiApplication::focusWindow(), window->windowHandle());

    // To the board and back: read again.
    createNoteText("Pump", "v2");
    host.window.activateWindow();
    letFocusArrive();
    EXPECT_EQ(editorText(window), "v1\n");
    window->activateWindow();
    letFocusArrive();
    EXPECT_EQ(editorText(window), "v2\n");

    // From another window of the application, such as a table window.
    QWidget table;
    table.show();
    table.activateWindow();
    letFocusArrive();
    createNoteText("Pump", "v3");
    window->activateWindow();
    letFocusArrive();
    EXPECT_EQ(editorText(window), "v3\n");

    // Back from a box opened over it: not read again.
    createNoteText("Pump", "v4");
    QDialog box(window);
    QTimer::singleShot(0, &box, [&box] { box.accept(); });
    box.exec();
    window->activateWindow();
    letFocusArrive();
    EXPECT_EQ(editorText(window), "v3\n");

    // Back from another program: not read again.
    window->FocusWindowChanged(nullptr);
    window->FocusWindowChanged(window->windowHandle());
    letFocusArrive();
    EXPECT_EQ(editorText(window), "v3\n");

    // Typed text survives a click on the board and a click back in the note.
    host.window.activateWindow();
    letFocusArrive();
    window->activateWindow();
    letFocusArrive();
    EXPECT_EQ(editorText(window), "v4\n");
    type(window, "typed");
    host.window.activateWindow();
    letFocusArrive();
    window->activateWindow();
    letFocusArrive();
    EXPECT_EQ(editorText(window), "v4\ntyped\n");
    EXPECT_EQ(noteText(notePath("Pump")), "v4\ntyped");
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
}

TEST_F(NoteWindowTest, OpeningCountsAsBecomingActiveOnceWhenTheFocusArrives)
{
    ASSERT_TRUE(QDir(projectDir.path()).mkpath("Pump"));
    host.window.show();
    host.window.activateWindow();
    letFocusArrive();
    TForm2* window = open(1, "Pump");
    letFocusArrive();
    EXPECT_EQ(QGuiApplication::focusWindow(), window->windowHandle());
    EXPECT_EQ(fake.dialogs.messages,
              QStringList{native("Can not read fromPump/Pump.rtf  File does not exist!")});

    // Pressed again while the window is open: brought to the front and read again.
    OpenNoteWindow(host, fake.platform);
    letFocusArrive();
    EXPECT_EQ(fake.dialogs.messages.size(), 2);
}
