#include "project/RecentProjects.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString FoldersKey = QStringLiteral("RecentProjects/folders");

// One folder written two ways (a trailing separator, "..") is one entry.
bool sameFolder(const QString& a, const QString& b)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(a)) ==
           QDir::cleanPath(QDir::fromNativeSeparators(b));
}

} // namespace

RecentProjects::RecentProjects(const QString& settingsFile) : m_settingsFile(settingsFile) {}

QStringList RecentProjects::folders() const
{
    QStringList stored =
        QSettings(m_settingsFile, QSettings::IniFormat).value(FoldersKey).toStringList();
    stored.removeAll(QString());
    return stored.mid(0, Limit);
}

void RecentProjects::add(const QString& folder)
{
    if (folder.isEmpty())
        return;
    QStringList list = folders();
    list.removeIf([&folder](const QString& f) { return sameFolder(f, folder); });
    list.prepend(folder);
    store(list.mid(0, Limit));
}

void RecentProjects::removeVanished()
{
    QStringList list = folders();
    list.removeIf(&RecentProjects::vanished);
    store(list);
}

bool RecentProjects::vanished(const QString& folder)
{
    return !QFileInfo(folder).isDir();
}

void RecentProjects::store(const QStringList& folders)
{
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    settings.setValue(FoldersKey, folders);
}
