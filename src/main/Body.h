#pragma once

#include "board/BoardHost.h"
#include "main/CurrentObject.h"
#include "project/BoardCommands.h"
#include "project/BoardModel.h"
#include "project/BoardSave.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "project/Presence.h"
#include "project/Project.h"

#include "notes/StatusFile.h"
#include "platform/Dialogs.h"

#include <QFutureWatcher>
#include <QMainWindow>
#include <QMargins>
#include <QPointer>
#include <future>
#include <memory>
#include <optional>

class Board;
namespace BoardRecords {
class FileReader;
}
class FindIndexer;
class FindWindow;
class HelpWindow;
class QAction;
class QLabel;
class TForm5;
struct FindHit;
class TShapeEdit;
class TShapeNameF;
class TfAlarmSettings;
class QMenu;
class SaveSoon;
class QTimer;
class QUndoStack;
struct Platform;

// The main window: the board of the open project form, its menus, the project
// files and the objects on the board.
class TForm1 : public QMainWindow, public BoardHost {
    Q_OBJECT
public:
    explicit TForm1(Platform& platform, QWidget* parent = nullptr);
    ~TForm1() override;

    // The long-lived windows the menus open, created after the main window.
    struct Windows {
        TForm5* defaultObject = nullptr;
        TShapeNameF* shapeName = nullptr;
        TShapeEdit* shapeEdit = nullptr;
        TfAlarmSettings* alarmSettings = nullptr;
    };
    void attachWindows(const Windows& windows) { m_windows = windows; }

    // BoardHost
    BoardModel& boardModel() override { return *m_boardModel; }
    QUndoStack& undoStack() override { return *m_undoStack; }
    Project& project() override { return m_project; }
    ObjectShape* currentShape() const override { return CurrentShape; }
    ObjectLabel* currentLabel() const override { return CurrentLabel; }
    void blinkAlarmObject(const QString& objectName) override;
    void clearAlarmBlink(const QString& objectName) override;
    std::optional<QSet<QString>> hatchedObjectNames() const override;
    void showObject(const QString& objectName) override;
    QPoint globalPoint(const QPoint& boardPoint) const override;
    QWidget* mainWindow() override { return this; }

    // The state other windows and the project files read.
    bool ClearBackgroundOnce = false;
    CurrentElementRef<ObjectShape> CurrentShape{[this] { CurrentObjectChanged(); }};
    CurrentElementRef<ObjectLabel> CurrentLabel{[this] { CurrentObjectChanged(); }};
    int DragOffsetX = 0;
    int DragOffsetY = 0;
    int LabelGap = 0;
    bool RecentRelease = false;
    QString AlarmObjectName;

    // Menus and timers, by the names the program has always used.
    QMenu* FILE1;
    QAction* New1;
    QAction* Open1;
    QMenu* EDIT1;
    QAction* Undo1;
    QAction* Redo1;
    // The view of the board: fit, zoom steps and 100 %, with the zoom shown in
    // the menu bar's corner. Nothing of it is written to a file.
    QMenu* VIEW1;
    QAction* FitBoard1;
    QAction* ZoomIn1;
    QAction* ZoomOut1;
    QAction* ActualSize1;
    QLabel* ZoomLabel1;
    QMenu* SETTINGS1;
    QAction* Objesctmass1;
    QAction* Defaultobjecttable1;
    QAction* Backgroundlayout1;
    QMenu* ABOUT1;
    QAction* Vexorinhelp1;
    QAction* About2;
    QAction* Find1;
    QMenu* PopupMenu2;
    QAction* New2;
    QMenu* PopupMenu1;
    QAction* Edit1;
    QAction* Alarm1;
    QAction* able1;
    QAction* Folder1;
    QAction* Delete1;
    QAction* ExportBoard1;
    QAction* PrintBoard1;
    QAction* ExportList1;
    // After a separator: the recent projects, newest first (RecentProjects1
    // lists them), then RemoveVanished1 while one of them is gone.
    QAction* RecentSeparator1;
    QList<QAction*> RecentProjects1;
    QAction* RemoveVanished1;
    QTimer* Timer1;
    QTimer* Timer2;
    SaveSoon* BoardSaving;
    // How long after an edit of the board its files are written.
    static constexpr int BoardSaveIdleMs = 1500;
    // What BoardSaving runs: the board files that differ from the board,
    // without asking. The files are written in the background from the
    // board's values as they are now; EndBoardWrite() takes in the outcome.
    std::optional<QString> SaveBoardAsYouGo();
    // Waits for the board files being written in the background, if any,
    // and takes in what was written.
    void EndBoardWrite();

    // Objects on the board.
    int NextObjectNumber() const;
    bool SaveShapes();
    bool SaveLabels();
    // Each reads its board file onto the board, in place of what it held.
    bool LoadShapes();
    bool LoadLabels();
    void BlinkAlarmObject();
    void ClearAlarmBlink();
    // Hatched by the alarm blink, which the board alone shows, or stored so.
    bool isHatched(const ObjectShape& shape) const;

    // Project files. Each returns false when it ended on an error it showed.
    bool SaveProject();
    // Loads the files of the project's folder onto the board.
    bool LoadProject();
    // The folder the last project was opened from, as the settings beside the
    // program remember it.
    QString ReadLastProjectPath() const;
    bool ReadFormSettings();
    void LoadBackground();
    // The picture file the project's background names: the stored path when it is a file,
    // else the file of that name in the project folder; empty when neither is.
    QString backgroundFile() const;
    bool CountRunningInstances();

    // A project folder shared with other copies of the program (Sharing.cpp).
    // Before a project opens: when other copies hold it, asks whether to open
    // it anyway (false), read-only (true) or not at all (nullopt).
    std::optional<bool> AskAboutOtherCopies(const QString& folder);
    // Merges into the board what other copies wrote to the board files since
    // this copy read or wrote them; false when they hold nothing new.
    bool MergeBoardChangesOfOthers();
    // Another copy changed a file of the project: the board takes it in, and
    // a window that shows the file and holds no edit of its own reads it again.
    void FileChangedByOthers(const QString& path);
    // The notice line below the board; the last notice shown.
    void ShowNotice(const QString& text);
    const QString& lastNotice() const { return m_notice; }
    // This copy's presence file in the open project; empty while none.
    QString presenceFile() const { return m_presence.file(); }

    // The view of the board, the main window's client area.
    Board& board() { return *m_board; }

    // The help document "Vexorin help" opens.
    QString helpDocument() const;
    // The window that shows the help when the desktop cannot; none until then.
    HelpWindow* helpWindow() const { return m_helpWindow; }
    // The settings file beside the program that remembers the last project.
    QString lastProjectFile() const;
    // True once a second running copy was found and the program is ending.
    bool isTerminating() const { return m_terminating; }

    // Menu and event handlers.
    void New1Click();
    void Open1Click();
    // A recent project chosen: opened as Open opens a chosen folder.
    void OpenRecentProject(const QString& folder);
    void RemoveVanished1Click();
    // Lists the recent projects after the FILE menu's own items, a vanished
    // folder disabled.
    void ShowRecentProjects();
    void Objesctmass1Click();
    void Defaultobjecttable1Click();
    void Backgroundlayout1Click();
    void Vexorinhelp1Click();
    void About2Click();
    void New2Click();
    void Edit1Click();
    void Alarm1Click();
    void able1Click();
    void Folder1Click();
    void Delete1Click();
    void Find1Click();
    // VIEW menu (View.cpp).
    void FitBoard1Click();
    void ZoomIn1Click();
    void ZoomOut1Click();
    void ActualSize1Click();
    // Export and print (Export.cpp).
    void ExportBoard1Click();
    void PrintBoard1Click();
    void ExportList1Click();
    void Timer1Timer();
    void Timer2Timer();
    void FormMouseDown(Qt::MouseButton button);
    void ShapeMouseDown(ObjectShape* shape, Qt::MouseButton button, Qt::MouseButtons buttons);
    void ShapeMouseMove(ObjectShape* shape, Qt::MouseButtons buttons);
    void ShapeMouseUp(ObjectShape* shape, Qt::MouseButton button);
    void LabelMouseDown(ObjectLabel* label, Qt::MouseButton button);
    // The board by keyboard, and what a screen reader asks of an object
    // (BoardAccess.cpp): each makes the object current first; none clears
    // the current object.
    void BoardObjectChosen(BoardElement* object);
    void BoardObjectOpen(BoardElement* object);
    void BoardObjectMenu(BoardElement* object, const QPoint& global);
    void BoardObjectMove(BoardElement* object, const QPoint& by);
    void BoardObjectRemove(BoardElement* object);
    // The board's pop-up menu at a point of the screen, where New Object places.
    void BoardMenu(const QPoint& global);
    // Moves by keys pressed less than KeyMoveRunMs apart are one undo step;
    // the timer ends the run.
    QTimer* KeyMoveTimer;
    static constexpr int KeyMoveRunMs = 1000;
    void KeyMoveTimerTimer();
    // The close query of the main window: the note, alarm and table windows
    // and the open project saved, those files that cannot be written asked
    // about in one box; false keeps the window open.
    bool FormCloseQuery();

    void OpenNoteWindow();

    // Find: the window, and what choosing a hit does. Each is false, doing
    // nothing, when the hit's object is no longer on the board.
    FindWindow* findWindow() const { return m_findWindow; }
    const FindIndexer& findIndexer() const { return *m_findIndexer; }
    bool ShowFoundObject(const FindHit& hit);
    bool OpenFoundNote(const FindHit& hit);
    bool OpenFoundTable(const FindHit& hit);
    // How long a found object stands out on the board.
    static constexpr int FoundHighlightMilliseconds = 2000;
    // Creates an empty file unless one exists; false after showing an error box.
    bool CreateEmptyFile(const QString& path);
    void OpenFolderInShell(const QString& path);
    // Tells the user which file or folder to open by hand when no program could.
    void reportNothingOpens(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    // Makes the outer frame the desktop less 100 each way, centred.
    void fitOuterFrame();
    void buildMenus();
    void buildViewMenu();
    // The two board files: the shape file and the caption file.
    QString boardFilePath(BoardElement::Kind kind) const;
    bool encodeBoardFile(BoardElement::Kind kind, QByteArray* bytes, QString* error) const;
    std::optional<QByteArray>& readFromDamagedFile(BoardElement::Kind kind);
    // The save of one board file; none while the file holds what a damaged
    // file let the board read and the board is unchanged.
    std::optional<SaveAtLeave> boardFileSave(BoardElement::Kind kind);
    // The saves of SaveProject, in its order.
    SaveAtLeave lastProjectPathSave();
    SaveAtLeave formSettingsSave();
    QList<SaveAtLeave> projectSaves();
    // What a close or a switch writes before it leaves the project: the note,
    // the alarm list, every table and, with projectFiles, the project's own
    // files, all tried before one box asks about those that failed. Then the
    // note and table windows are closed. False when the user stayed: nothing
    // is closed.
    bool SaveBeforeLeaving(bool projectFiles);
    // Takes in one board file as its reader reads it.
    bool LoadBoardFile(BoardRecords::FileReader& reader, BoardElement::Kind kind);
    // Starts reading one board file; LoadProject starts both at once.
    std::unique_ptr<BoardRecords::FileReader> boardFileReader(BoardElement::Kind kind) const;
    // After a board file failed to load: remembers what could be read of it,
    // keeps the file aside and says so.
    void boardFileDamaged(BoardElement::Kind kind, const QString& error);
    // After both board files loaded: an empty one beside one that is not is
    // reported and kept aside as damaged.
    void CheckForEmptyBoardFile();
    bool refuseWhileIdle();
    // Makes the drag that ends one step of the undo stack, if it moved anything.
    void finishDrag();
    // The board's keyboard and screen reader side (BoardAccess.cpp).
    void connectBoardAccess();
    void CurrentObjectChanged();
    void clearHatch(ObjectShape& shape);
    QRect confinementRect() const;
    // The form name box of New; nullopt when cancelled or refused.
    std::optional<QString> AskNewFormName();
    // New from its third step on: saves and leaves the open project, then
    // shows an empty project of formName in folder.
    void SwitchToNewProject(const QString& formName, const QString& folder);
    // Open after its folder was chosen.
    void OpenFolder(const QString& folder);
    void connectSharing();
    // The window title: the caption, and "(read-only)" when so opened.
    QString ownTitle() const;
    // After the project opened, and before it is left: the presence file.
    void EnterProject();
    void LeaveProject();
    // What the board files held when last read or written here.
    void RememberBoardFiles(BoardRecords::FileReader& shapes, BoardRecords::FileReader& labels);
    // The board file holds what the board would write to it, as far as this
    // copy last read or wrote it.
    bool boardFileHolds(BoardElement::Kind kind);
    // Puts the open project first in the recent projects.
    void RememberOpenedProject();
    // Where New and Open start choosing: the folder holding the open
    // project's folder; empty while no project is open.
    QString ProjectParentFolder() const;

    // Calls into the note, table and alarm windows at project switches and close:
    // the note window is saved and closed. False when the user chose to stay
    // at a failed save.
    bool CloseNoteWindow();
    void StopAlarmTimer();
    void RestartAlarmTimer();
    void LoadAlarms();
    void buildFind();
    void IndexProjectObjects();

    Platform& m_platform;
    Project m_project;
    BoardModel* m_boardModel;
    Board* m_board;
    // Every edit of the board, one step each; emptied at a project switch.
    QUndoStack* m_undoStack;
    // The dragged object as it stood when the drag began; empty between drags.
    QList<ElementState> m_dragStart;
    Windows m_windows;
    bool m_terminating = false;
    // The background the project's settings file names, as last read or
    // written: a new one is saved as you go.
    QString m_storedBackground;
    // What could be read of a board file that failed to load, as it would be
    // written again; none when the file loaded whole. Until the board differs
    // from it, the damaged file is not written over.
    std::optional<QByteArray> m_shapesReadFromDamagedFile;
    std::optional<QByteArray> m_labelsReadFromDamagedFile;
    // The window manager's frame the window was last fitted to.
    QMargins m_fittedFrame;
    // The board files as last read or written here: the base of a merge.
    // After a load it is made on a worker; boardBase() waits for it.
    BoardDigest& boardBase();
    void setBoardBase(BoardDigest base);
    // The board as it is now becomes the base, once both files hold it.
    void takeBoardAsBase();
    BoardDigest m_boardBase;
    std::future<BoardDigest> m_boardBaseMade;
    // The board files being written in the background, not yet taken in.
    QFutureWatcher<BoardSave>* m_boardWrite;
    bool m_boardWriteRunning = false;
    bool m_mergeAfterDrag = false;
    // The user was asked about the other copies holding the open project.
    bool m_othersAsked = false;
    Presence m_presence;
    QString m_notice;
    FindIndexer* m_findIndexer = nullptr;
    FindWindow* m_findWindow = nullptr;
    HelpWindow* m_helpWindow = nullptr;
    // The run number of key moves; a new run starts when the timer ends one.
    int m_keyMoveRun = 1;
    StatusFile::ColorNames m_statusNames;
};
