// The project files of the main window: New, Open, the settings files, the
// background picture and the save and load sequences of a project.
#include "main/Body.h"

#include "board/Board.h"
#include "platform/Dialogs.h"
#include "platform/Ini.h"
#include "platform/Platform.h"
#include "platform/Processes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>

namespace {

const QString FormSettingsFile = QStringLiteral("iniformsettings.ini");
const QString CaptionKey = QStringLiteral("formname and archive location");

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
    return WriteLastProjectPath() && WriteFormSettings() && SaveShapes() && SaveLabels();
}

bool TForm1::LoadProject()
{
    // Nothing of the previous project stays on the board, whatever the new
    // project's files hold.
    m_board->clear();
    CurrentShape = nullptr;
    CurrentLabel = nullptr;
    if (!ReadFormSettings())
        return false;
    // Each board file loads on its own: a damaged one costs nothing of the
    // other, and the project goes on loading (its alarms) after the message.
    LoadShapes();
    LoadLabels();
    return true;
}

bool TForm1::WriteLastProjectPath()
{
    ProjectFolder = projectFolder();
    QString error;
    if (Ini::eraseSection(lastProjectFile(), QStringLiteral("Form1"), &error) &&
        Ini::writeString(lastProjectFile(), QStringLiteral("Form1"), QStringLiteral("Pathforini"),
                         ProjectFolder, &error))
        return true;
    m_platform.dialogs.error(error);
    return false;
}

void TForm1::ReadLastProjectPath()
{
    ProjectFolder = Ini::readString(lastProjectFile(), QStringLiteral("Form1"),
                                    QStringLiteral("pathforini"), ProjectFolder);
}

bool TForm1::WriteFormSettings()
{
    ProjectFolder = projectFolder();
    const QString file = projectFile(FormSettingsFile);
    QString error;
    if (Ini::writeString(file, QStringLiteral("Form1"), CaptionKey, windowTitle(), &error) &&
        Ini::writeString(file, QStringLiteral("_global_"), QStringLiteral("bitmapfile"),
                         BitmapFile, &error) &&
        Ini::writeString(file, QStringLiteral("formname"), QStringLiteral("formname"), FormName,
                         &error))
        return true;
    m_platform.dialogs.error(error);
    return false;
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

void TForm1::LoadBackground()
{
    if (BitmapFile.isEmpty() || !QFileInfo(BitmapFile).isFile())
        return;
    // Only bitmaps make a background; any other picture is ignored, as is a
    // file too large to load.
    if (QFileInfo(BitmapFile).suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) != 0)
        return;
    QImageReader reader(BitmapFile, "bmp");
    const QImage picture = reader.read();
    if (picture.isNull())
        return;
    m_board->setBackground(ClearBackgroundOnce ? QImage() : picture);
    ClearBackgroundOnce = false;
}

// ---- FILE menu ----

void TForm1::New1Click()
{
    if (!CloseNoteWindow())
        return;
    const std::optional<QString> name =
        m_platform.dialogs.input(QStringLiteral("New project form name."), FormName);
    if (!name)
        return;
    if (name->contains(Caption::FolderMarker)) {
        m_platform.dialogs.message(QStringLiteral("A form name can not contain \"") +
                                   Caption::FolderMarker + QStringLiteral("\"."));
        return;
    }
    FormName = *name;

    const QString initial = QDir(QStringLiteral("C:\\")).exists() ? QStringLiteral("C:\\")
                                                                  : QDir::homePath();
    const QString folder = m_platform.dialogs.chooseFolder(
        QStringLiteral("New project form archive location"), initial);
    if (folder.isEmpty())
        return;
    if (!CloseQueryTableWindows())
        return;
    if (isProjectOpen()) {
        m_platform.dialogs.message(QStringLiteral("IF form1.caption <> Vexorin \"  then") + folder);
        if (!SaveAlarms() || !SaveProject())
            return;
    }
    setCaption(Caption::project(FormName, folder));
    ProjectFolder = folder;
    ClearBackgroundOnce = true;
    if (!LoadProject())
        return;
    LoadAlarms();
    m_platform.dialogs.message(QStringLiteral("New project archive is located in:") + folder);
}

void TForm1::Open1Click()
{
    if (!CloseNoteWindow())
        return;
    const QString folder = m_platform.dialogs.chooseFolder(QStringLiteral("Open project:"), QString());
    if (folder.isEmpty())
        return;
    if (!SaveAlarms() || !CloseQueryTableWindows())
        return;
    if (isProjectOpen() && !SaveProject())
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
    if (!file.isEmpty())
        BitmapFile = file;
    LoadBackground();
}
