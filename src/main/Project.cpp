// The project files of the main window: New, Open, the settings files, the
// background picture and the save and load sequences of a project.
#include "main/Body.h"

#include "board/Board.h"
#include "project/BoardCommands.h"
#include "project/BoardRecords.h"
#include "project/BoardSize.h"
#include "project/RecentProjects.h"
#include "formats/Ini.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "platform/SaveSoon.h"
#include "platform/Processes.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QImageReader>
#include <QTimer>
#include <QUndoStack>
#include <algorithm>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

const QString CaptionKey = QStringLiteral("formname and archive location");
const QString SettingsFileFilter = QStringLiteral("Settings files (*.ini)");

} // namespace

QString TForm1::lastProjectFile() const
{
    return m_platform.settingsFolder + QStringLiteral("pathforini.ini");
}

// ---- The two sequences every switch and the close run ----

bool TForm1::SaveProject()
{
    return mayLeave(saveAllOrAsk(m_platform.dialogs, projectSaves()));
}

QList<SaveAtLeave> TForm1::projectSaves()
{
    if (m_project.isReadOnly())
        return {};
    MergeBoardChangesOfOthers();
    QList<SaveAtLeave> saves{lastProjectPathSave(), formSettingsSave()};
    for (const BoardElement::Kind kind : {BoardElement::Kind::Shape, BoardElement::Kind::Caption}) {
        if (std::optional<SaveAtLeave> board = boardFileSave(kind))
            saves.append(*board);
    }
    return saves;
}

bool TForm1::LoadProject()
{
    // What the previous project's board wrote in the background is taken in
    // as its own. Nothing of it stays on the board, whatever the new project's
    // files hold.
    EndBoardWrite();
    m_boardModel->clear();
    m_undoStack->clear();
    CurrentShape = nullptr;
    CurrentLabel = nullptr;
    const bool settingsRead = ReadFormSettings();
    // The whole board in the window, on whatever screen: on the one the
    // board was laid out on, that is 100 %.
    m_board->fitBoard();
    if (settingsRead) {
        // Each board file loads on its own: a damaged one costs nothing of the
        // other, and the project goes on loading (its alarms) after the message.
        // Both are read at once, each on a thread of its own.
        const auto shapes = boardFileReader(BoardElement::Kind::Shape);
        const auto labels = boardFileReader(BoardElement::Kind::Caption);
        LoadBoardFile(*shapes, BoardElement::Kind::Shape);
        LoadBoardFile(*labels, BoardElement::Kind::Caption);
        RememberBoardFiles(*shapes, *labels);
        CheckForEmptyBoardFile();
    }
    IndexProjectObjects();
#if defined(__GLIBC__)
    // What the load held for a moment (records, batches, digests) is freed in
    // small blocks among the board's own: the whole pages of it go back to
    // the system before the board is first painted.
    malloc_trim(0);
#endif
    // What was just read needs no writing back.
    BoardSaving->settle();
    if (m_project.isOpen())
        EnterProject();
    // The next start opens this project, even after a crash; a project open
    // read-only writes nothing at all.
    if (settingsRead && m_project.isOpen() && !m_project.isReadOnly()) {
        const SaveAtLeave remember = lastProjectPathSave();
        QString ignored; // a failure is asked about at the close
        remember.writeTo(remember.path, &ignored);
    }
    return settingsRead;
}

SaveAtLeave TForm1::lastProjectPathSave()
{
    const auto writeTo = [folder = m_project.folder()](const QString& file, QString* error) {
        return Ini::eraseSection(file, QStringLiteral("Form1"), error) &&
               Ini::writeString(file, QStringLiteral("Form1"), QStringLiteral("Pathforini"), folder,
                                error);
    };
    return {writeTo,
            lastProjectFile(),
            QStringLiteral("the next start does not open this project."),
            SettingsFileFilter,
            {},
            {}};
}

QString TForm1::ReadLastProjectPath() const
{
    return Ini::readString(lastProjectFile(), QStringLiteral("Form1"), QStringLiteral("pathforini"),
                           QString());
}

SaveAtLeave TForm1::formSettingsSave()
{
    const auto writeTo = [caption = m_project.caption(), bitmap = m_project.background(),
                          formName = m_project.formName(),
                          boardSize = m_board->boardSize()](const QString& file, QString* error) {
        return Ini::writeString(file, QStringLiteral("Form1"), CaptionKey, caption, error) &&
               Ini::writeString(file, QStringLiteral("_global_"), QStringLiteral("bitmapfile"),
                                bitmap, error) &&
               Ini::writeString(file, QStringLiteral("formname"), QStringLiteral("formname"),
                                formName, error) &&
               (boardSize.isEmpty() || BoardSize::write(file, boardSize, error));
    };
    return {writeTo,
            m_project.file(ProjectFiles::FormSettings),
            QStringLiteral(
                "the form name and the background picture chosen for this project are lost."),
            SettingsFileFilter,
            {},
            [this, bitmap = m_project.background()](SaveOutcome outcome) {
                if (outcome == SaveOutcome::Saved)
                    m_storedBackground = bitmap;
            }};
}

bool TForm1::ReadFormSettings()
{
    // The caption is made from the form name and the folder the project was
    // loaded from; the stored caption is only written back, so that a moved
    // or copied project never sends its saves to the folder it names.
    const QString file = m_project.file(ProjectFiles::FormSettings);
    // Without a stored size (a new project, or one an earlier version saved)
    // the board is the client area, and its size is stored at the next save.
    m_board->setBoardSize(BoardSize::read(file));
    LoadBackground();
    m_project.setBackground(
        Ini::readString(file, QStringLiteral("_global_"), QStringLiteral("bitmapfile"), QString()));
    m_storedBackground = m_project.background();
    LoadBackground();
    m_project.setFormName(Ini::readString(file, QStringLiteral("formname"),
                                          QStringLiteral("formname"), m_project.formName()));
    return CountRunningInstances();
}

bool TForm1::CountRunningInstances()
{
    // Copies that share this project were asked about when it opened.
    if (m_othersAsked || m_platform.processes.countRunning(m_platform.programFileName) <= 1)
        return true;
    // Ending from here on, also when the window is closed while the message
    // shows: the board was never loaded, and must not be saved.
    m_terminating = true;
    m_platform.dialogs.message(QStringLiteral("You Can Not run two instances of Application ") +
                               m_project.formName() + QStringLiteral("!"));
    QCoreApplication::exit(0);
    return false;
}

QString TForm1::backgroundFile() const
{
    const QString& background = m_project.background();
    if (background.isEmpty())
        return {};
    const QFileInfo stored(background);
    if (stored.isAbsolute() && stored.isFile())
        return background;
    // A moved or copied project, or a picture named without its folder: the
    // file of that name in the project folder.
    const QString name =
        background.mid(std::max(background.lastIndexOf(u'/'), background.lastIndexOf(u'\\')) + 1);
    const QString inProject = m_project.file(name);
    return !name.isEmpty() && QFileInfo(inProject).isFile() ? inProject : QString();
}

void TForm1::LoadBackground()
{
    // After New the first load empties the background, whatever the path
    // names, so the flag never outlives the switch.
    if (ClearBackgroundOnce) {
        ClearBackgroundOnce = false;
        m_board->setBackground(QImage());
        return;
    }
    const QString file = backgroundFile();
    // Only bitmaps make a background; any other picture is ignored, as is a
    // file too large to load.
    if (file.isEmpty() ||
        QFileInfo(file).suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) != 0)
        return;
    QImageReader reader(file, "bmp");
    const QImage picture = reader.read();
    if (!picture.isNull())
        m_board->setBackground(picture);
}

// ---- FILE menu ----

std::optional<QString> TForm1::AskNewFormName()
{
    const std::optional<QString> name =
        m_platform.dialogs.input(QStringLiteral("New project form name."), m_project.formName());
    if (!name)
        return std::nullopt;
    if (name->contains(Caption::FolderMarker)) {
        m_platform.dialogs.message(QStringLiteral("A form name can not contain \"") +
                                   Caption::FolderMarker + QStringLiteral("\"."));
        return std::nullopt;
    }
    return name;
}

void TForm1::New1Click()
{
    if (!CloseNoteWindow())
        return;
    const std::optional<QString> name = AskNewFormName();
    if (!name)
        return;
    QString initial = ProjectParentFolder();
    if (initial.isEmpty())
        initial = QDir(QStringLiteral("C:\\")).exists() ? QStringLiteral("C:\\") : QDir::homePath();
    const QString folder = m_platform.dialogs.chooseFolder(
        QStringLiteral("New project form archive location"), initial);
    if (folder.isEmpty())
        return;
    SwitchToNewProject(*name, folder);
}

void TForm1::SwitchToNewProject(const QString& formName, const QString& folder)
{
    // The tables, and an open project with its alarms, are saved together:
    // the files that cannot be written are asked about in one box.
    const std::optional<bool> readOnly = AskAboutOtherCopies(folder);
    if (!readOnly)
        return;
    if (m_project.isOpen())
        m_platform.dialogs.message(QStringLiteral("IF form1.caption <> Vexorin \"  then") + folder);
    if (!SaveBeforeLeaving(m_project.isOpen()))
        return;
    LeaveProject();
    // The open project was saved under its own name; the typed one is the
    // new project's.
    m_project.open(folder, formName, *readOnly);
    ClearBackgroundOnce = true;
    if (!LoadProject())
        return;
    RememberOpenedProject();
    LoadAlarms();
    m_platform.dialogs.message(QStringLiteral("New project archive is located in:") + folder);
}

void TForm1::Open1Click()
{
    if (!CloseNoteWindow())
        return;
    const QString folder =
        m_platform.dialogs.chooseFolder(QStringLiteral("Open project:"), ProjectParentFolder());
    if (folder.isEmpty())
        return;
    OpenFolder(folder);
}

void TForm1::OpenFolder(const QString& folder)
{
    if (!ProjectFiles::holdsProject(folder)) {
        // A plain folder becomes a project only when asked, and then as New
        // makes one: a form name of its own, an empty board, no background.
        if (!m_platform.dialogs.confirm(
                QStringLiteral("The folder %1 holds no project.\n"
                               "Do you want to make a new, empty project there?")
                    .arg(folder)))
            return;
        if (const std::optional<QString> name = AskNewFormName())
            SwitchToNewProject(*name, folder);
        return;
    }
    const std::optional<bool> readOnly = AskAboutOtherCopies(folder);
    if (!readOnly)
        return;
    if (!SaveBeforeLeaving(m_project.isOpen()))
        return;
    LeaveProject();
    m_project.open(folder, m_project.formName(), *readOnly);
    if (!LoadProject())
        return;
    RememberOpenedProject();
    LoadAlarms();
}

QString TForm1::ProjectParentFolder() const
{
    if (!m_project.isOpen())
        return QString();
    const QString folder = QDir::cleanPath(QDir::fromNativeSeparators(m_project.folder()));
    return QDir::toNativeSeparators(QFileInfo(folder).path());
}

void TForm1::RememberOpenedProject()
{
    if (m_project.isReadOnly())
        return;
    RecentProjects(m_platform.userSettingsFile).add(m_project.folder());
    ShowRecentProjects();
}

void TForm1::OpenRecentProject(const QString& folder)
{
    if (RecentProjects::vanished(folder)) {
        ShowRecentProjects();
        return;
    }
    if (!CloseNoteWindow())
        return;
    OpenFolder(folder);
}

void TForm1::RemoveVanished1Click()
{
    RecentProjects(m_platform.userSettingsFile).removeVanished();
    ShowRecentProjects();
}

void TForm1::ShowRecentProjects()
{
    // Deleted later: the entry chosen may be the one whose trigger led here.
    for (QAction* entry : std::as_const(RecentProjects1)) {
        FILE1->removeAction(entry);
        entry->deleteLater();
    }
    RecentProjects1.clear();
    FILE1->removeAction(RemoveVanished1);
    const QStringList folders = RecentProjects(m_platform.userSettingsFile).folders();
    bool anyVanished = false;
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const QString folder = folders[i];
        // Numbered for the keyboard; "&" in a folder name is shown, not taken
        // for a shortcut key.
        QAction* entry =
            FILE1->addAction(QStringLiteral("&%1 ").arg(i + 1) +
                             QString(folder).replace(QLatin1Char('&'), QLatin1String("&&")));
        entry->setData(folder);
        const bool gone = RecentProjects::vanished(folder);
        entry->setEnabled(!gone);
        anyVanished = anyVanished || gone;
        connect(entry, &QAction::triggered, this, [this, folder] { OpenRecentProject(folder); });
        RecentProjects1.append(entry);
    }
    RecentSeparator1->setVisible(!folders.isEmpty());
    if (anyVanished)
        FILE1->addAction(RemoveVanished1);
}

// ---- SETTINGS menu ----

void TForm1::Backgroundlayout1Click()
{
    if (refuseWhileIdle())
        return;
    m_platform.dialogs.message(
        QStringLiteral("Backgroun picture has to have \"bmp\" file extension.\n"
                       "You can change file extension from \"jpg\" to \"bmp\" with Windows Paint "
                       "software.\n"
                       "Just by saving it as \"bmp\" file. "));
    const QString file = m_platform.dialogs.choosePicture();
    if (file.isEmpty()) {
        LoadBackground();
        return;
    }
    // A step of its own: undone, the picture before comes back (or none).
    const QString before = m_project.background();
    const auto choose = [this, file] {
        m_project.setBackground(file);
        LoadBackground();
    };
    const auto restore = [this, before] {
        m_project.setBackground(before);
        m_board->setBackground(QImage());
        LoadBackground();
    };
    m_undoStack->push(new FunctionEdit(QStringLiteral("new background"), restore, choose));
}
