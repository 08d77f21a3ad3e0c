#include "main/Body.h"

#include "board/Board.h"
#include "project/BoardCommands.h"
#include "project/BoardRecords.h"
#include "project/FolderLock.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "find/FindIndexer.h"
#include "main/HelpWindow.h"
#include "formats/KeepAside.h"
#include "notes/Obiect.h"
#include "platform/ColorRef.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/ObjectName.h"
#include "platform/Platform.h"
#include "platform/Pointer.h"
#include "platform/SaveSoon.h"
#include "platform/Shell.h"
#include "platform/WindowPlacement.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <QUndoStack>

#include <algorithm>

TForm1::TForm1(Platform& platform, QWidget* parent)
    : QMainWindow(parent), m_platform(platform), m_boardModel(new BoardModel(this)),
      m_board(new Board(*m_boardModel, this)), m_undoStack(new QUndoStack(this))
{
    setObjectName(QStringLiteral("Form1"));
    // A single fixed border with system menu and minimise buttons only.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setCentralWidget(m_board);
    m_board->enableZoomAndPan();
    buildMenus();
    buildFind();

    const QString icon = m_platform.programFolder + QStringLiteral("tarnik.ico");
    if (QFileInfo::exists(icon))
        setWindowIcon(QIcon(icon));
    setWindowTitle(ownTitle());
    connect(&m_project, &Project::captionChanged, this, [this] { setWindowTitle(ownTitle()); });
    connectSharing();

    fitOuterFrame();

    connect(m_board, &Board::pressed, this, &TForm1::FormMouseDown);
    connect(m_board, &Board::shapeMousePressed, this, &TForm1::ShapeMouseDown);
    connect(m_board, &Board::shapeMouseMoved, this, &TForm1::ShapeMouseMove);
    connect(m_board, &Board::shapeMouseReleased, this, &TForm1::ShapeMouseUp);
    connect(m_board, &Board::labelMousePressed, this, &TForm1::LabelMouseDown);
    connectBoardAccess();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(400);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(300);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    Timer1->start();
    Timer2->start();

    // A finished edit, or its undo or redo, reaches the board files soon
    // after, so that a crash costs at most the last moments of work.
    BoardSaving = new SaveSoon(
        m_platform.clock, m_platform.dialogs, [this] { return SaveBoardAsYouGo(); }, this,
        BoardSaveIdleMs);
    // A folder gone read-only or away keeps every change in memory, and is
    // written to as soon as it takes the files again.
    BoardSaving->retryAfterFailure([this] {
        ShowNotice(QStringLiteral("The board is saved again: every change is written."));
    });
    m_boardWrite = new QFutureWatcher<BoardSave>(this);
    connect(m_boardWrite, &QFutureWatcher<BoardSave>::finished, this, &TForm1::EndBoardWrite);
    BoardSaving->goesOnInBackground([this] { EndBoardWrite(); });
    connect(m_undoStack, &QUndoStack::indexChanged, this, [this] {
        if (m_project.isOpen())
            BoardSaving->changed();
    });
}

std::optional<QString> TForm1::SaveBoardAsYouGo()
{
    if (m_project.isReadOnly())
        return QString();
    if (m_mergeAfterDrag) {
        // The other copy's changes come first, after the drag.
        BoardSaving->changed();
        return QString();
    }
    std::vector<BoardFileWrite> writes;
    const int dpi = m_platform.desktop.dotsPerInch();
    for (const BoardElement::Kind kind : {BoardElement::Kind::Shape, BoardElement::Kind::Caption}) {
        const QString path = boardFilePath(kind);
        writes.push_back({path, BoardRecords::fileValues(*m_boardModel, kind, dpi),
                          m_project.sharedFiles().known(path), readFromDamagedFile(kind)});
    }
    m_boardWriteRunning = true;
    m_boardWrite->setFuture(
        QtConcurrent::run(saveBoardFiles, m_project.folder(), std::move(writes)));
    return std::nullopt;
}

void TForm1::EndBoardWrite()
{
    if (!std::exchange(m_boardWriteRunning, false))
        return;
    m_boardWrite->waitForFinished();
    const BoardSave save = m_boardWrite->result();
    // Another copy wrote first: its changes come in, and what the board holds
    // beyond them is saved soon after.
    if (save.changedByOthers)
        MergeBoardChangesOfOthers();
    QStringList failed;
    const BoardElement::Kind kinds[] = {BoardElement::Kind::Shape, BoardElement::Kind::Caption};
    for (std::size_t i = 0; i < save.files.size(); ++i) {
        const BoardFileWritten& file = save.files[i];
        if (file.outcome == BoardFileWritten::Outcome::Written) {
            m_project.sharedFiles().remember(boardFilePath(kinds[i]), file.stamp);
            readFromDamagedFile(kinds[i]).reset();
        } else if (file.outcome == BoardFileWritten::Outcome::Failed) {
            failed.append(file.error);
        }
    }
    if (save.digest)
        setBoardBase(*save.digest);
    // A new background is a board edit too: the settings that name it follow.
    if (!save.changedByOthers && m_project.background() != m_storedBackground) {
        const SaveAtLeave settings = formSettingsSave();
        QString error;
        if (settings.writeTo(settings.path, &error))
            settings.done(SaveOutcome::Saved);
        else
            failed.append(error);
    }
    // The close and the switch still ask about a file that cannot be written.
    BoardSaving->finished(failed.isEmpty()
                              ? QString()
                              : QStringLiteral("The board could not be saved as you go: ") +
                                    failed.join(QLatin1Char(' ')) +
                                    QStringLiteral("\nYour changes are kept and tried again."));
    // What the board holds beyond the other copy's files goes out at once.
    if (save.changedByOthers && BoardSaving->timer()->isActive())
        BoardSaving->fire();
}

// ---- Window geometry ----

void TForm1::fitOuterFrame()
{
    // The outer size, frame included, is the desktop less 100 pixels each way,
    // centred; the frame is whatever the window manager gives, if any.
    m_fittedFrame = windowFrameMargins(*this);
    const QSize outer = mainWindowOuterSize(m_platform.desktop);
    const QSize frame(m_fittedFrame.left() + m_fittedFrame.right(),
                      m_fittedFrame.top() + m_fittedFrame.bottom());
    setFixedSize((outer - frame).expandedTo(QSize(200, 150)));
    const QSize desktop = m_platform.desktop.size();
    move((desktop.width() - outer.width()) / 2, (desktop.height() - outer.height()) / 2);
}

void TForm1::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    // The window manager tells its frame only once it has framed the window.
    if (windowFrameMargins(*this) != m_fittedFrame)
        fitOuterFrame();
}

TForm1::~TForm1()
{
    // The undo stack is emptied as it goes: that is no edit to save.
    m_undoStack->disconnect(this);
    // A write in the background ends before the folder is let go.
    m_boardWrite->waitForFinished();
    m_presence.release();
    // The note window refers to this window; it must not outlive it.
    delete NoteWindow();
}

void TForm1::buildMenus()
{
    const auto item = [this](QMenu* menu, const char* name, const QString& caption,
                             void (TForm1::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    const auto menu = [this](const char* name, const QString& title) {
        QMenu* m = menuBar()->addMenu(title);
        m->setObjectName(QLatin1String(name));
        return m;
    };

    FILE1 = menu("FILE1", QStringLiteral("FILE"));
    New1 = item(FILE1, "New1", QStringLiteral("New"), &TForm1::New1Click);
    Open1 = item(FILE1, "Open1", QStringLiteral("Open"), &TForm1::Open1Click);

    // Undo and Redo name the step they take back or do again.
    EDIT1 = menu("EDIT1", QStringLiteral("EDIT"));
    Undo1 = m_undoStack->createUndoAction(this, QStringLiteral("Undo"));
    Undo1->setObjectName(QStringLiteral("Undo1"));
    Undo1->setShortcut(QKeySequence::Undo);
    Redo1 = m_undoStack->createRedoAction(this, QStringLiteral("Redo"));
    Redo1->setObjectName(QStringLiteral("Redo1"));
    Redo1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    EDIT1->addAction(Undo1);
    EDIT1->addAction(Redo1);

    buildViewMenu();

    SETTINGS1 = menu("SETTINGS1", QStringLiteral("SETTINGS"));
    Objesctmass1 = item(SETTINGS1, "Objesctmass1", QStringLiteral("Default object"),
                        &TForm1::Objesctmass1Click);
    Defaultobjecttable1 =
        item(SETTINGS1, "Defaultobjecttable1", QStringLiteral("Default object table"),
             &TForm1::Defaultobjecttable1Click);
    Backgroundlayout1 =
        item(SETTINGS1, "Backgroundlayout1", QStringLiteral("Load background layot"),
             &TForm1::Backgroundlayout1Click);

    ABOUT1 = menu("ABOUT1", QStringLiteral("HELP"));
    Vexorinhelp1 =
        item(ABOUT1, "Vexorinhelp1", QStringLiteral("Vexorin help"), &TForm1::Vexorinhelp1Click);
    About2 = item(ABOUT1, "About2", QStringLiteral("About"), &TForm1::About2Click);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    New2 = item(PopupMenu2, "New2", QStringLiteral("New Object"), &TForm1::New2Click);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Edit1 = item(PopupMenu1, "Edit1", QStringLiteral("Edit"), &TForm1::Edit1Click);
    Alarm1 = item(PopupMenu1, "Alarm1", QStringLiteral("Alarm"), &TForm1::Alarm1Click);
    able1 = item(PopupMenu1, "able1", QStringLiteral("Table"), &TForm1::able1Click);
    Folder1 = item(PopupMenu1, "Folder1", QStringLiteral("Folder"), &TForm1::Folder1Click);
    Delete1 = item(PopupMenu1, "Delete1", QStringLiteral("Remove "), &TForm1::Delete1Click);

    // Items added to the menus above come after the ones they always had:
    // find, then export and print.
    Find1 = item(FILE1, "Find1", QStringLiteral("Find..."), &TForm1::Find1Click);
    Find1->setShortcut(QKeySequence::Find);
    FILE1->addSeparator();
    ExportBoard1 =
        item(FILE1, "ExportBoard1", QStringLiteral("Export board..."), &TForm1::ExportBoard1Click);
    PrintBoard1 =
        item(FILE1, "PrintBoard1", QStringLiteral("Print board..."), &TForm1::PrintBoard1Click);
    ExportList1 =
        item(FILE1, "ExportList1", QStringLiteral("Export list..."), &TForm1::ExportList1Click);
    // The recent projects follow; a folder may vanish while the program runs.
    RecentSeparator1 = FILE1->addSeparator();
    RemoveVanished1 = new QAction(QStringLiteral("Remove vanished projects"), this);
    RemoveVanished1->setObjectName(QStringLiteral("RemoveVanished1"));
    connect(RemoveVanished1, &QAction::triggered, this, &TForm1::RemoveVanished1Click);
    connect(FILE1, &QMenu::aboutToShow, this, &TForm1::ShowRecentProjects);
    ShowRecentProjects();
}

bool TForm1::refuseWhileIdle()
{
    if (m_project.isOpen())
        return false;
    m_platform.dialogs.message(DefineFormFirst);
    return true;
}

// ---- Objects on the board ----

int TForm1::NextObjectNumber() const
{
    return m_boardModel->nextObjectNumber();
}

namespace {

const QString BoardFileFilter = QStringLiteral("Board files (*.txt)");

} // namespace

QString TForm1::boardFilePath(BoardElement::Kind kind) const
{
    return m_project.file(kind == BoardElement::Kind::Shape ? ProjectFiles::Shapes
                                                            : ProjectFiles::Captions);
}

bool TForm1::encodeBoardFile(BoardElement::Kind kind, QByteArray* bytes, QString* error) const
{
    return kind == BoardElement::Kind::Shape
               ? BoardRecords::shapeFileBytes(*m_boardModel, bytes, error)
               : BoardRecords::labelFileBytes(*m_boardModel, m_platform.desktop.dotsPerInch(),
                                              bytes, error);
}

std::optional<QByteArray>& TForm1::readFromDamagedFile(BoardElement::Kind kind)
{
    return kind == BoardElement::Kind::Shape ? m_shapesReadFromDamagedFile
                                             : m_labelsReadFromDamagedFile;
}

std::optional<SaveAtLeave> TForm1::boardFileSave(BoardElement::Kind kind)
{
    // The write in the background comes first: this one is newer.
    EndBoardWrite();
    QByteArray bytes;
    QString encodeError;
    const bool encoded = encodeBoardFile(kind, &bytes, &encodeError);
    // Writing the same elements again would throw away the damaged file's
    // elements after the damage.
    if (encoded && readFromDamagedFile(kind) && bytes == *readFromDamagedFile(kind))
        return std::nullopt;
    const QString path = boardFilePath(kind);
    const auto writeTo = [this, kind, bytes, encoded, encodeError](const QString& file,
                                                                   QString* error) {
        if (!encoded) {
            *error = encodeError;
            return false;
        }
        const bool boardFile = file == boardFilePath(kind);
        // A file written with what it held already leaves the base as it is.
        const std::optional<FileStamp> before =
            boardFile ? m_project.sharedFiles().known(file) : std::nullopt;
        const bool changed = !before || !before->holds(bytes);
        if (!BoardRecords::saveFile(file, bytes, error))
            return false;
        if (boardFile) {
            m_project.sharedFiles().remember(file);
            // The base moves on once both files hold the board: the other one
            // may still hold objects as they were.
            const BoardElement::Kind other = kind == BoardElement::Kind::Shape
                                                 ? BoardElement::Kind::Caption
                                                 : BoardElement::Kind::Shape;
            if (changed && boardFileHolds(other))
                takeBoardAsBase();
        }
        return true;
    };
    const QString lost = kind == BoardElement::Kind::Shape
                             ? QStringLiteral("the changes to the objects on the board (places, "
                                              "sizes, shapes and colours) are lost.")
                             : QStringLiteral("the changes to the names and captions of the "
                                              "objects are lost.");
    return SaveAtLeave{writeTo, path,
                       lost,    BoardFileFilter,
                       {},      [this, kind](SaveOutcome) { readFromDamagedFile(kind).reset(); }};
}

bool TForm1::SaveShapes()
{
    const std::optional<SaveAtLeave> save = boardFileSave(BoardElement::Kind::Shape);
    return !save || mayLeave(saveOrAsk(m_platform.dialogs, *save));
}

bool TForm1::SaveLabels()
{
    const std::optional<SaveAtLeave> save = boardFileSave(BoardElement::Kind::Caption);
    return !save || mayLeave(saveOrAsk(m_platform.dialogs, *save));
}

bool TForm1::LoadShapes()
{
    return LoadBoardFile(*boardFileReader(BoardElement::Kind::Shape), BoardElement::Kind::Shape);
}

bool TForm1::LoadLabels()
{
    return LoadBoardFile(*boardFileReader(BoardElement::Kind::Caption),
                         BoardElement::Kind::Caption);
}

std::unique_ptr<BoardRecords::FileReader> TForm1::boardFileReader(BoardElement::Kind kind) const
{
    return std::make_unique<BoardRecords::FileReader>(
        kind, boardFilePath(kind), m_platform.desktop.dotsPerInch(), m_boardModel->defaultFont());
}

bool TForm1::LoadBoardFile(BoardRecords::FileReader& reader, BoardElement::Kind kind)
{
    const bool shapes = kind == BoardElement::Kind::Shape;
    if (shapes)
        m_boardModel->removeShapes();
    else
        m_boardModel->removeLabels();
    readFromDamagedFile(kind).reset();
    QString error;
    // The last element read is the current one, as each was in turn.
    BoardElement* last = nullptr;
    const bool loaded = reader.load(
        *m_boardModel, [&last](BoardElement* element) { last = element; }, &error);
    if (last && shapes)
        CurrentShape = static_cast<ObjectShape*>(last);
    else if (last)
        CurrentLabel = static_cast<ObjectLabel*>(last);
    if (!loaded)
        boardFileDamaged(kind, error);
    return loaded;
}

void TForm1::boardFileDamaged(BoardElement::Kind kind, const QString& error)
{
    QByteArray asRead;
    QString unused;
    if (encodeBoardFile(kind, &asRead, &unused))
        readFromDamagedFile(kind) = asRead;
    // A file refused as larger than any board is kept too: the next save of a
    // changed board would write over it. The copy spends no disk on zeros.
    const QFileInfo file(boardFilePath(kind));
    if (!file.isFile()) {
        m_platform.dialogs.error(error);
        return;
    }
    QString copyError;
    const QString copy = keepAside(file.filePath(), &copyError);
    m_platform.dialogs.error(error + QLatin1Char('\n') + keptAsideNote(copy, copyError));
}

void TForm1::CheckForEmptyBoardFile()
{
    // The program writes both board files at once, one record per object in
    // each, so an empty one beside one that is not has lost its records: it
    // is damaged, not an empty board.
    for (const BoardElement::Kind kind : {BoardElement::Kind::Shape, BoardElement::Kind::Caption}) {
        const BoardElement::Kind other = kind == BoardElement::Kind::Shape
                                             ? BoardElement::Kind::Caption
                                             : BoardElement::Kind::Shape;
        const QFileInfo file(boardFilePath(kind));
        const QFileInfo beside(boardFilePath(other));
        if (file.isFile() && file.size() == 0 && beside.isFile() && beside.size() > 0)
            boardFileDamaged(
                kind, QStringLiteral("%1 is damaged: the file is empty, while %2 "
                                     "beside it is not.")
                          .arg(QDir::toNativeSeparators(file.filePath()), beside.fileName()));
    }
}

void TForm1::BlinkAlarmObject()
{
    const QList<ObjectLabel*> labels = m_boardModel->labelsWithCaption(AlarmObjectName);
    const bool oddSecond = m_platform.clock.now().time().second() % 2 == 1;
    for (auto it = labels.crbegin(); it != labels.crend(); ++it) {
        // A caption without its shape has nothing to flash.
        if (ObjectShape* shape = m_boardModel->shapeOf(*it)) {
            if (oddSecond)
                m_board->setBlinkHatched(*shape, true);
            else
                clearHatch(*shape);
        }
    }
}

bool TForm1::isHatched(const ObjectShape& shape) const
{
    return m_board->isBlinkHatched(shape) || shape.brushStyle() == BrushStyle::BDiagonal;
}

void TForm1::clearHatch(ObjectShape& shape)
{
    m_board->setBlinkHatched(shape, false);
    // A hatch stored in the board file is a blink left over, as the earlier
    // program saved a shape while it blinked.
    if (shape.brushStyle() == BrushStyle::BDiagonal)
        shape.setBrushStyle(BrushStyle::Solid);
}

QPoint TForm1::globalPoint(const QPoint& boardPoint) const
{
    return m_board->globalPoint(boardPoint);
}

void TForm1::blinkAlarmObject(const QString& objectName)
{
    AlarmObjectName = objectName;
    BlinkAlarmObject();
}

void TForm1::clearAlarmBlink(const QString& objectName)
{
    AlarmObjectName = objectName;
    ClearAlarmBlink();
}

std::optional<QSet<QString>> TForm1::hatchedObjectNames() const
{
    // The names ClearAlarmBlink would find a hatched shape under; mostly there
    // is none, found by looking at the shapes alone.
    QSet<QString> names;
    const QList<ObjectShape*> shapes = m_boardModel->shapes();
    if (std::none_of(shapes.begin(), shapes.end(),
                     [this](const ObjectShape* shape) { return isHatched(*shape); }))
        return names;
    for (const ObjectLabel* label : m_boardModel->labels()) {
        const ObjectShape* shape = m_boardModel->shapeOf(label);
        if (shape && isHatched(*shape))
            names.insert(label->caption());
    }
    return names;
}

void TForm1::ClearAlarmBlink()
{
    for (ObjectLabel* label : m_boardModel->labelsWithCaption(AlarmObjectName)) {
        if (ObjectShape* shape = m_boardModel->shapeOf(label))
            clearHatch(*shape);
    }
}

// ---- Mouse ----

void TForm1::FormMouseDown(Qt::MouseButton button)
{
    if (button != Qt::RightButton)
        return;
    const QPoint at = m_platform.pointer.pos();
    DragOffsetX = at.x();
    DragOffsetY = at.y();
    PopupMenu2->popup(at);
}

QRect TForm1::confinementRect() const
{
    // Below the title and menu bars, 10 pixels inside the other edges.
    const QRect outer = frameGeometry();
    return QRect(QPoint(outer.left() + 10, outer.top() + 75),
                 QPoint(outer.right() - 10, outer.bottom() - 10));
}

void TForm1::ShapeMouseDown(ObjectShape* shape, Qt::MouseButton, Qt::MouseButtons buttons)
{
    m_platform.pointer.confine(confinementRect());
    CurrentShape = shape;
    CurrentLabel = m_boardModel->labelOf(shape);
    const QPoint at = m_platform.pointer.pos();
    if (buttons & Qt::RightButton) {
        m_platform.pointer.release();
        PopupMenu1->popup(at);
        return;
    }
    if (buttons & Qt::LeftButton) {
        // However many moves follow, the drag is one step of the undo stack.
        m_dragStart = statesOf({shape, CurrentLabel.data()});
        // The offsets are in board pixels, so that a drag follows the pointer
        // at any zoom; at the default view they differ from screen offsets
        // only by the client area's place on the screen.
        const QPoint onBoard = m_board->boardPoint(at);
        DragOffsetX = shape->x() - onBoard.x();
        DragOffsetY = shape->y() - onBoard.y();
        LabelGap = CurrentLabel ? shape->y() - CurrentLabel->y() : 0;
        if (RecentRelease)
            OpenNoteWindow();
    }
}

void TForm1::ShapeMouseMove(ObjectShape*, Qt::MouseButtons buttons)
{
    if (!(buttons & Qt::LeftButton) || !CurrentShape)
        return;
    const QPoint at = m_board->boardPoint(m_platform.pointer.pos());
    CurrentShape->move(at.x() + DragOffsetX, at.y() + DragOffsetY);
    if (CurrentLabel)
        CurrentLabel->move(at.x() + DragOffsetX, at.y() + DragOffsetY - LabelGap);
}

void TForm1::LabelMouseDown(ObjectLabel* label, Qt::MouseButton button)
{
    // A caption takes its presses itself. One whose shape element is missing
    // (a damaged board file) is the only handle on its object: it becomes
    // current, and a right press offers the object menu, so it can be removed.
    if (m_boardModel->shapeOf(label))
        return;
    CurrentShape = nullptr;
    CurrentLabel = label;
    if (button == Qt::RightButton)
        PopupMenu1->popup(m_platform.pointer.pos());
}

void TForm1::ShapeMouseUp(ObjectShape*, Qt::MouseButton)
{
    m_platform.pointer.release();
    finishDrag();
    RecentRelease = true;
    // Enabling the timer while it runs does not restart its period.
    if (!Timer2->isActive())
        Timer2->start();
}

void TForm1::finishDrag()
{
    if (m_dragStart.isEmpty())
        return;
    const ObjectLabel* label = CurrentLabel;
    pushEditSince(*m_undoStack, *m_boardModel,
                  QStringLiteral("move of ") + (label ? label->caption() : QString()),
                  std::exchange(m_dragStart, {}));
    if (std::exchange(m_mergeAfterDrag, false))
        MergeBoardChangesOfOthers();
}

void TForm1::Timer2Timer()
{
    RecentRelease = false;
    Timer2->stop();
}

// ---- Object pop-up menu ----

void TForm1::Folder1Click()
{
    if (!CurrentLabel || ObjectName::refused(CurrentLabel->caption(), m_platform.dialogs))
        return;
    const QString folder = ProjectFiles::objectFolder(m_project.folder(), CurrentLabel->caption());
    if (QFileInfo(folder).isDir())
        OpenFolderInShell(folder);
    else
        m_platform.dialogs.message(QStringLiteral("Can not open ") + folder +
                                   QStringLiteral(".  File folder does not exist!"));
}

void TForm1::OpenFolderInShell(const QString& path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool opened = m_platform.shell.open(path);
    QApplication::restoreOverrideCursor();
    if (!opened)
        reportNothingOpens(path);
}

void TForm1::reportNothingOpens(const QString& path)
{
    m_platform.dialogs.message(nothingOpensMessage(path));
}

void TForm1::Delete1Click()
{
    if (!CurrentShape && !CurrentLabel)
        return;
    if (!m_platform.dialogs.confirm(QStringLiteral("Do You realy want do delate object?")))
        return;
    // The object's folder, note, table and alarms stay: an undo brings it back whole.
    const QString name = CurrentLabel ? CurrentLabel->caption() : QString();
    QList<ElementState> removed = statesOf({CurrentShape.data(), CurrentLabel.data()});
    delete CurrentShape.data();
    delete CurrentLabel.data();
    m_undoStack->push(
        new BoardEdit(*m_boardModel, QStringLiteral("removal of ") + name, std::move(removed), {}));
}

// ---- Help ----

QString TForm1::helpDocument() const
{
    const QString compiledHelp = m_platform.programFolder + QStringLiteral("zatHelp.chm");
#ifndef Q_OS_WIN
    // Without a viewer for compiled help, the HTML help beside the program
    // (build tree) or in the installed data folder.
    for (const QString& html :
         {QStringLiteral("help/index.html"), QStringLiteral("../share/vexorin/help/index.html")}) {
        const QString path = QDir::cleanPath(m_platform.programFolder + html);
        if (QFileInfo::exists(path))
            return QDir::toNativeSeparators(path);
    }
#endif
    return compiledHelp;
}

void TForm1::Vexorinhelp1Click()
{
    const QString document = helpDocument();
    if (m_platform.shell.open(document))
        return;
    // The program's own window shows HTML help only; without the file the
    // user learns where it should be.
    if (!QFileInfo(document).isFile() ||
        !document.endsWith(QLatin1String(".html"), Qt::CaseInsensitive)) {
        reportNothingOpens(document);
        return;
    }
    if (!m_helpWindow)
        m_helpWindow = new HelpWindow(m_platform.shell, m_platform.dialogs, this);
    m_helpWindow->showPage(document);
}

void TForm1::About2Click()
{
    m_platform.dialogs.message(QStringLiteral("Vexorin %1\n").arg(QStringLiteral(VEXORIN_VERSION)) +
                               QStringLiteral("Copyright (c) 2026 the Vexorin developers.\n"
                                              "All rights reserved."));
}

// ---- Start-up and close ----

void TForm1::Timer1Timer()
{
    Timer1->stop();
    const QString folder = ReadLastProjectPath();
    // A remembered folder that is gone leaves the board idle; the check for
    // a second running copy runs all the same.
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        CountRunningInstances();
        return;
    }
    const std::optional<bool> readOnly = AskAboutOtherCopies(folder);
    if (!readOnly)
        return;
    m_project.open(folder, m_project.formName(), *readOnly);
    if (LoadProject())
        RememberOpenedProject();
}

bool TForm1::FormCloseQuery()
{
    StopAlarmTimer();
    // A copy that found another one running loaded nothing: saving its empty
    // board would throw away the project's objects.
    if (m_terminating)
        return true;
    return SaveBeforeLeaving(m_project.isOpen());
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (FormCloseQuery()) {
        LeaveProject();
        event->accept();
    } else {
        // The program goes on: so do the alarms the close query stopped.
        RestartAlarmTimer();
        event->ignore();
    }
}
