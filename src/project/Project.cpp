#include "project/Project.h"

#include <QDir>
#include <QFileInfo>

namespace ProjectFiles {

QString inFolder(const QString& folder, const QString& fileName)
{
    return folder + QDir::separator() + fileName;
}

QString objectFolder(const QString& folder, const QString& objectName)
{
    return folder + QDir::separator() + objectName;
}

QString note(const QString& folder, const QString& objectName)
{
    return objectFolder(folder, objectName) + QDir::separator() + objectName +
           QStringLiteral(".rtf");
}

QString table(const QString& folder, const QString& objectName)
{
    return objectFolder(folder, objectName) + QDir::separator() + objectName +
           QStringLiteral("table.txt");
}

bool holdsProject(const QString& folder)
{
    for (const QString& name : {FormSettings, Shapes, Captions, DefaultTable, Alarms, Statuses}) {
        if (QFileInfo::exists(inFolder(folder, name)))
            return true;
    }
    return false;
}

} // namespace ProjectFiles

void Project::open(const QString& folder, const QString& formName, bool readOnly)
{
    const QString before = caption();
    m_sharedFiles.clear();
    m_readOnly = readOnly;
    m_open = true;
    m_folder = folder;
    m_formName = formName;
    captionMayHaveChanged(before);
}

bool Project::replaceFile(const QString& path, const std::function<bool()>& write, QString* error)
{
    if (m_readOnly)
        return true;
    return m_sharedFiles.replace(path, write, error);
}

void Project::setFormName(const QString& formName)
{
    const QString before = caption();
    m_formName = formName;
    captionMayHaveChanged(before);
}

QString Project::caption() const
{
    return m_open ? Caption::project(m_formName, m_folder) : Caption::Idle;
}

void Project::captionMayHaveChanged(const QString& before)
{
    const QString now = caption();
    if (now != before)
        emit captionChanged(now);
}
