// The project files of the main window: New, Open, the settings files, the
// background picture and the save and load sequences of a project.
#include "main/Body.h"

#include "board/Board.h"
#include "project/BoardCommands.h"
#include "formats/Ini.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "platform/SaveSoon.h"
#include "platform/Processes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QTimer>
#include <QUndoStack>

namespace {

const QString FormSettingsFile = QStringLiteral("iniformsettings.ini");
const QString CaptionKey = QStringLiteral("formname and archive location");
const QString SettingsFileFilter = QStringLiteral("Settings files (*.ini)");

} // namespace

QString TForm1::projectFile(const QString& name) const
{
    return ProjectFolder + QDir::separator() + name;
}

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
    QList<SaveAtLeave> saves{lastProjectPathSave(), formSettingsSave()};
    for (const BoardElement::Kind kind : {BoardElement::Kind::Shape, BoardElement::Kind::Caption}) {
        if (std::optional<SaveAtLeave> board = boardFileSave(kind))
            saves.append(*board);
    }
    return saves;
}

bool TForm1::LoadProject()
{
    // Nothing of the previous project stays on the board, whatever the new
    // project's files hold.
    m_boardModel->clear();
    m_undoStack->clear();
    CurrentShape = nullptr;
    CurrentLabel = nullptr;
    const bool settingsRead = ReadFormSettings();
    if (settingsRead) {
        // Each board file loads on its own: a damaged one costs nothing of the
        // other, and the project goes on loading (its alarms) after the message.
        LoadShapes();
        LoadLabels();
        CheckForEmptyBoardFile();
    }
    IndexProjectObjects();
    // What was just read needs no writing back.
    BoardSaving->settle();
    // The next start opens this project, even after a crash.
    if (settingsRead && isProjectOpen()) {
        const SaveAtLeave remember = lastProjectPathSave();
        QString ignored; // a failure is asked about at the close
        remember.writeTo(remember.path, &ignored);
    }
    return settingsRead;
}

SaveAtLeave TForm1::lastProjectPathSave()
{
    ProjectFolder = projectFolder();
    const auto writeTo = [folder = ProjectFolder](const QString& file, QString* error) {
        return Ini::eraseSection(file, QStringLiteral("Form1"), error) &&
               Ini::writeString(file, QStringLiteral("Form1"), QStringLiteral("Pathforini"), folder,
                                error);
    };
    return {writeTo, lastProjectFile(),
            QStringLiteral("the next start does not open this project."), SettingsFileFilter, {}, {}};
}

void TForm1::ReadLastProjectPath()
{
    ProjectFolder = Ini::readString(lastProjectFile(), QStringLiteral("Form1"),
                                    QStringLiteral("pathforini"), ProjectFolder);
}

SaveAtLeave TForm1::formSettingsSave()
{
    ProjectFolder = projectFolder();
    const auto writeTo = [caption = windowTitle(), bitmap = BitmapFile,
                          formName = FormName](const QString& file, QString* error) {
        return Ini::writeString(file, QStringLiteral("Form1"), CaptionKey, caption, error) &&
               Ini::writeString(file, QStringLiteral("_global_"), QStringLiteral("bitmapfile"),
                                bitmap, error) &&
               Ini::writeString(file, QStringLiteral("formname"), QStringLiteral("formname"),
                                formName, error);
    };
    return {writeTo, projectFile(FormSettingsFile),
            QStringLiteral("the form name and the background picture chosen for this project are lost."),
            SettingsFileFilter, {}, {}};
}

bool TForm1::ReadFormSettings()
{
    const QString file = projectFile(FormSettingsFile);
    setCaption(Ini::readString(file, QStringLiteral("Form1"), CaptionKey, windowTitle()));
    LoadBackground();
    BitmapFile = Ini::readString(file, QStringLiteral("_global_"), QStringLiteral("bitmapfile"),
                                 QString());
    LoadBackground();
    FormName = Ini::readString(file, QStringLiteral("formname"), QStringLiteral("formname"),
                               FormName);
    // The project belongs to the folder it was loaded from: a stored caption
    // that names another folder (a moved or copied project), or none at all
    // (a plain folder), must not send its saves elsewhere.
    if (projectFolder() != ProjectFolder)
        setCaption(Caption::project(FormName, ProjectFolder));
    return CountRunningInstances();
}

bool TForm1::CountRunningInstances()
{
    if (m_platform.processes.countRunning(m_platform.programFileName) <= 1)
        return true;
    m_platform.dialogs.message(QStringLiteral("You Can Not run two instances of Application ") +
                               FormName + QStringLiteral("!"));
    m_terminating = true;
    QCoreApplication::exit(0);
    return false;
}

QString TForm1::backgroundFile() const
{
    if (BitmapFile.isEmpty())
        return {};
    const QFileInfo stored(BitmapFile);
    if (stored.isAbsolute() && stored.isFile())
        return BitmapFile;
    // A moved or copied project, or a picture named without its folder: the
    // file of that name in the project folder.
    const QString name = BitmapFile.section(QRegularExpression(QStringLiteral("[/\\\\]")), -1);
    const QString inProject = projectFile(name);
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
    if (file.isEmpty() || QFileInfo(file).suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) != 0)
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
        m_platform.dialogs.input(QStringLiteral("New project form name."), FormName);
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
    const QString initial = QDir(QStringLiteral("C:\\")).exists() ? QStringLiteral("C:\\")
                                                                  : QDir::homePath();
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
    if (isProjectOpen())
        m_platform.dialogs.message(QStringLiteral("IF form1.caption <> Vexorin \"  then") + folder);
    if (!SaveBeforeLeaving(isProjectOpen()))
        return;
    // The open project was saved under its own name; the typed one is the
    // new project's.
    FormName = formName;
    setCaption(Caption::project(FormName, folder));
    ProjectFolder = folder;
    ClearBackgroundOnce = true;
    if (!LoadProject())
        return;
    LoadAlarms();
    m_platform.dialogs.message(QStringLiteral("New project archive is located in:") + folder);
}

bool TForm1::holdsProject(const QString& folder)
{
    for (const char* name : {"iniformsettings.ini", "fStreamShape.txt", "fStreamLabel.txt",
                             "defaulttable.txt", "Alarm.dat", "youriniSB.ini"}) {
        if (QFileInfo::exists(folder + QDir::separator() + QLatin1String(name)))
            return true;
    }
    return false;
}

void TForm1::Open1Click()
{
    if (!CloseNoteWindow())
        return;
    const QString folder = m_platform.dialogs.chooseFolder(QStringLiteral("Open project:"), QString());
    if (folder.isEmpty())
        return;
    if (!holdsProject(folder)) {
        // A plain folder becomes a project only when asked, and then as New
        // makes one: a form name of its own, an empty board, no background.
        if (!m_platform.dialogs.confirm(QStringLiteral("The folder %1 holds no project.\n"
                                                       "Do you want to make a new, empty project there?")
                                            .arg(folder)))
            return;
        if (const std::optional<QString> name = AskNewFormName())
            SwitchToNewProject(*name, folder);
        return;
    }
    if (!SaveBeforeLeaving(isProjectOpen()))
        return;
    ProjectFolder = folder;
    if (!LoadProject())
        return;
    LoadAlarms();
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
    const QString before = BitmapFile;
    const auto choose = [this, file] {
        BitmapFile = file;
        LoadBackground();
    };
    const auto restore = [this, before] {
        BitmapFile = before;
        m_board->setBackground(QImage());
        LoadBackground();
    };
    m_undoStack->push(new FunctionEdit(QStringLiteral("new background"), restore, choose));
}
