#pragma once

#include "formats/RichText.h"
#include "notes/Obiect.h"
#include "notes/StatusButtons.h"
#include "platform/ColorRef.h"
#include "support/FakeBoardHost.h"
#include "support/FakePlatform.h"
#include "support/Files.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>
#include <gtest/gtest.h>

// A project folder on the platform doubles, a board host and the note window
// opened on it the way the double press opens it.
class NoteFixture : public ::testing::Test {
protected:
    NoteFixture() { host.setProjectFolder(QDir::toNativeSeparators(projectDir.path())); }

    ~NoteFixture() override
    {
        delete NoteWindow();
        // Windows closed by a test are deleted later; none may outlive the doubles.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString notePath(const QString& name) const
    {
        return QDir::toNativeSeparators(projectDir.filePath(name + '/' + name + ".rtf"));
    }
    QString statusFile() const
    {
        return QDir::toNativeSeparators(projectDir.filePath("youriniSB.ini"));
    }

    // The object folder and its note file, as naming an object leaves them.
    void createNote(const QString& name, const QByteArray& bytes = QByteArray())
    {
        ASSERT_TRUE(QDir(projectDir.path()).mkpath(name));
        writeAll(notePath(name), bytes);
    }
    // A note file holding these lines as RTF.
    void createNoteText(const QString& name, const QString& text)
    {
        QTextDocument document;
        document.setPlainText(text);
        createNote(name);
        ASSERT_TRUE(RichText::writeFile(&document, notePath(name)));
    }

    // The plain text of a note file.
    static QString noteText(const QString& path)
    {
        QTextDocument document;
        EXPECT_TRUE(RichText::readFile(path, &document));
        return document.toPlainText();
    }

    // Object n named name becomes current; the double press opens its note.
    TForm2* open(int n, const QString& name)
    {
        host.addObject(n, name);
        OpenNoteWindow(host, fake.platform);
        return NoteWindow();
    }
    // Makes another object current without opening anything.
    void select(int n, const QString& name) { host.addObject(n, name); }

    static QString editorText(TForm2* window) { return window->RichEdit1->toPlainText(); }
    static void type(TForm2* window, const QString& text)
    {
        QTextCursor cursor = window->RichEdit1->textCursor();
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(text);
        window->RichEdit1->setTextCursor(cursor);
    }
    // The deletions a closed window left pending.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    FakePlatform fake;
    QTemporaryDir projectDir;
    FakeBoardHost host;
};
