#pragma once

#include <QColor>
#include <QMainWindow>
#include <QPointer>
#include <QTextCursor>

#include "platform/Dialogs.h"
#include <memory>
#include <optional>

class BoardHost;
class QAction;
class QFrame;
class QLabel;
class QTextDocument;
class QMenu;
class QTextEdit;
class QWindow;
class SaveSoon;
class TStatusButton;
struct Platform;
namespace RichText {
class StepReader;
}

// The note window: the rich-text note of one board object, named by the
// window title, with the project's status buttons in the strip on its left.
// There is at most one; it serves every object in turn.
class TForm2 : public QMainWindow {
    Q_OBJECT
public:
    TForm2(BoardHost& host, Platform& platform);
    ~TForm2() override;

    // Controls, by the names the program has always used.
    QAction* New1; // menu bar: "New status"
    QFrame* Panel2;
    QFrame* Panel1;       // the status strip
    QTextEdit* RichEdit1; // the note
    QMenu* PopupMenu2;    // the editor's context menu
    QAction* Cut1;
    QAction* Copy1;
    QAction* Paste1;
    QAction* Delete2;
    QAction* Undo1;
    QAction* SelectAll1; // Ctrl+A, not in the menu
    QMenu* PopupMenu1;   // a status button's pop-up menu
    QAction* Delete1;    // "Remove"
    // One line under the note, shown while a big note is read and after the
    // first change of a note that held what the editor cannot.
    QLabel* NoteNotice;
    // Writes typed text to the note a moment after the typing stops.
    SaveSoon* NoteSaving;

    // The background colour (0x00BBGGRR), shown in the band above the panels.
    quint32 color() const { return m_color; }
    void setColor(quint32 colorRef);

    // The note file of the object named in the title, in the project folder
    // taken when the window last became active.
    QString notePath() const;
    QString statusFilePath() const;

    // Status buttons in creation order, and the one last pressed.
    QList<TStatusButton*> statusButtons() const;
    TStatusButton* currentStatusButton() const;
    // The colour the colour dialog holds: black at first, then the last chosen.
    QColor dialogColor() const { return m_dialogColor; }

    // Shows the window for the object name with the shape's fill colour and
    // makes it the active window (what OpenNoteWindow leaves to the window).
    void ShowFor(const QString& objectName, quint32 fillColor);

    // Handlers.
    void FormActivate();
    bool FormClose();
    void Status1Click();
    void SbMouseDown(TStatusButton* button, Qt::MouseButton pressed, Qt::MouseButtons buttons,
                     bool doubleClick);
    void Delete1Click();
    void StatusStamp(TStatusButton* button);
    void RichEdit1ContextPopup(const QPoint& pos);
    void UpdateEditCommands();
    // Runs FormActivate when the application's focus moves to this window from
    // another of its windows; not on the return from a box opened over it,
    // nor from another program.
    void FocusWindowChanged(QWindow* window);

    // True while a big note is being read into the editor.
    bool isLoadingNote() const { return m_reader != nullptr || m_laidOutTo >= 0; }
    // Where the note file is kept as it was before the first change.
    QString originalPath() const { return m_notePath + QStringLiteral(".original"); }

    // The status file, read at every activation and written at close; none
    // to write while the window never became active.
    void ReadStatusButtons();
    // Another copy changed a file: the note or the status buttons are read
    // again when they are this window's and hold no edit made here.
    void ReloadUnlessEdited(const QString& path);
    std::optional<SaveAtLeave> statusButtonsSave() const;

    // What the window's close writes: the typed note, if any, and the status
    // file. A close asks about those that fail in one box.
    QList<SaveAtLeave> closingSaves();
    // Closes the window after the main window settled its closingSaves().
    bool closeSaved();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Ctrl + press on a link opens it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Pending { None, Saved, FileMissing, WriteFailed };

    void buildLayout();
    void buildEditCommands();
    // True when there are edits not yet in a file; from then on they belong
    // to the note in m_notePath.
    bool HasPendingEdits();
    // Writes edits not yet in a file to the note they belong to.
    Pending SavePendingEdits();
    // Before the window turns to another object: typed text goes to its note;
    // when it cannot, the choices of a failed save. False when the user stays.
    bool LeaveNote();
    // The save of typed text at a close or a switch.
    SaveAtLeave typedNoteSave() const;
    bool LoadNote(const QString& path);
    // LoadNote, remembering what the file held for the other copies' changes.
    bool ReadNote(const QString& path);
    // Writes the editor's note to path; false with the reason in *error.
    bool WriteNote(const QString& path, QString* error) const;
    void ReadNoteSlice();
    void FinishLoading();
    void LayOutNoteSlice();
    void ShowNoteEnd();
    void StopLoading();
    void NoteModified(bool changed);
    void KeepCaretOutOfTableJoints();
    // What NoteSaving runs: the typed text to the note it belongs to, when
    // that note was read whole from its file, which is still there.
    QString SaveTypedText();
    void showNotice(const QString& text);
    // Writes the note to its file, or shows the error.
    bool SaveNote(const QString& path);
    void clearEditor();
    TStatusButton* createStatusButton(const QString& name, int number);

    BoardHost& m_host;
    Platform& m_platform;
    // While closeSaved() runs, and whether text was typed when it was asked.
    bool m_savesSettled = false;
    bool m_typedAtClose = false;
    quint32 m_color = 0;
    // The project folder taken when the window last became active.
    QString m_projectFolder;
    // The note the editor holds: its file and object; empty until one loads.
    QString m_notePath;
    QString m_noteName;
    // What the note's file holds that the editor could not.
    QStringList m_notKept;
    QStringList m_notShown; // what the editor shows otherwise but writes back as read
    // The editor holds the note read whole from m_notePath, and what it could
    // not hold is kept aside: typed text may go to the file unasked.
    bool m_saveAsYouGo = false;
    // A status button was added or removed here since the window opened.
    bool m_statusEdited = false;
    // The last save of typed text failed and said so.
    // A big note being read: its reader, document and file.
    std::unique_ptr<RichText::StepReader> m_reader;
    QTextDocument* m_readDocument = nullptr;
    QString m_readPath;
    // While a big note in the editor is laid out a slice at a time: the
    // character it is laid out to; -1 otherwise.
    int m_laidOutTo = -1;
    // Where the caret was after its last move.
    int m_caretPosition = 0;
    QPointer<TStatusButton> m_currentButton;
    QColor m_dialogColor = Qt::black;
    // What the application's focus window was before the present one.
    struct FocusRecord {
        bool any = false;
        bool ours = false;
        bool modal = false;
    } m_previousFocus;
};

// The caret to the end of the note, on a line of its own unless the last line
// holds at most one character.
void MoveRTCaretEnd(QTextEdit* editor);

// Appends a line to the editor as the Windows editor's line list did: an
// empty last line takes the text and a new empty line follows it; otherwise the
// text becomes a new last line. Returns a cursor selecting the text.
QTextCursor AppendLine(QTextEdit* editor, const QString& text);

// The note window, or null while none exists.
TForm2* NoteWindow();

// The double press on a shape: opens the note window on the current object,
// or turns the open one to it.
void OpenNoteWindow(BoardHost& host, Platform& platform);

// Closes the note window if one exists, writing its note and the status file.
// Returns false when it had to stay open (an error it showed).
bool CloseNoteWindow();
// The saves the note window's close makes, none while there is no window; and
// its close once the main window settled them.
QList<SaveAtLeave> NoteWindowSaves();
void CloseSavedNoteWindow();
