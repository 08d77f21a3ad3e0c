#pragma once

#include "project/SharedFiles.h"

#include <QObject>
#include <QString>

// Where each file of a project lives, by the names the program has always
// written. Every path is built here and nowhere else; the functions take the
// folder so that work off the user-interface thread (the find index) can use
// them with a folder it copied.
namespace ProjectFiles {

inline const QString FormSettings = QStringLiteral("iniformsettings.ini");
inline const QString Shapes = QStringLiteral("fStreamShape.txt");
inline const QString Captions = QStringLiteral("fStreamLabel.txt");
inline const QString DefaultTable = QStringLiteral("defaulttable.txt");
inline const QString Alarms = QStringLiteral("Alarm.dat");
inline const QString Statuses = QStringLiteral("youriniSB.ini");

// FOLDER\NAME: a file of the project folder itself.
QString inFolder(const QString& folder, const QString& fileName);
// FOLDER\OBJECT: the folder an object owns.
QString objectFolder(const QString& folder, const QString& objectName);
// FOLDER\OBJECT\OBJECT.rtf and FOLDER\OBJECT\OBJECTtable.txt.
QString note(const QString& folder, const QString& objectName);
QString table(const QString& folder, const QString& objectName);
// True when the folder holds any of the project-level files.
bool holdsProject(const QString& folder);

} // namespace ProjectFiles

// The main window's caption names the open project.
namespace Caption {

// "Vexorin" with a blank and a double quote: no project form is open.
inline const QString Idle = QStringLiteral("Vexorin \"");
inline const QString FolderMarker = QStringLiteral("Arhive is located in: ");

inline QString project(const QString& formName, const QString& folder)
{
    return QStringLiteral("Vexorin \" %1 \"").arg(formName) + QString(16, QLatin1Char(' ')) +
           FolderMarker + folder;
}

} // namespace Caption

// The open project: its folder, form name and background picture, each held
// here once. The main window's caption is made from it, and the windows of
// notes and tables announce through it the files they wrote whole.
class Project : public QObject {
    Q_OBJECT
public:
    explicit Project(QObject* parent = nullptr) : QObject(parent), m_sharedFiles(this) {}

    // Opens the project of a folder under a form name; read-only, nothing at
    // all is written into it.
    void open(const QString& folder, const QString& formName, bool readOnly = false);
    bool isOpen() const { return m_open; }
    bool isReadOnly() const { return m_readOnly; }

    // What this copy last read or wrote of each file, and the watch for the
    // changes other copies make.
    SharedFiles& sharedFiles() { return m_sharedFiles; }
    // Writes a whole file of the project through write(): a change another
    // copy made since is kept beside it first (SharedFiles::replace). While
    // read-only nothing is written, and that is no failure.
    bool replaceFile(const QString& path, const std::function<bool()>& write, QString* error);

    // Empty while idle.
    const QString& folder() const { return m_folder; }
    // The form name is kept while idle: New offers it again.
    const QString& formName() const { return m_formName; }
    void setFormName(const QString& formName);
    // The background picture as the settings store it; empty for none.
    const QString& background() const { return m_background; }
    void setBackground(const QString& path) { m_background = path; }

    // The main window's caption: the idle caption, or the form name and the
    // folder.
    QString caption() const;

    // The files of this project.
    QString file(const QString& fileName) const
    {
        return ProjectFiles::inFolder(m_folder, fileName);
    }
    QString noteFile(const QString& objectName) const
    {
        return ProjectFiles::note(m_folder, objectName);
    }
    QString tableFile(const QString& objectName) const
    {
        return ProjectFiles::table(m_folder, objectName);
    }

    // A window wrote one of the project's files whole.
    void announceSaved(const QString& path) { emit fileSaved(path); }

signals:
    // The caption changed: a project opened, or its form name changed.
    void captionChanged(const QString& caption);
    void fileSaved(const QString& path);

private:
    void captionMayHaveChanged(const QString& before);

    bool m_open = false;
    bool m_readOnly = false;
    SharedFiles m_sharedFiles;
    QString m_folder;
    QString m_formName;
    QString m_background;
};
