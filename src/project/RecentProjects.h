#pragma once

#include <QString>
#include <QStringList>

// The project folders last opened, newest first, kept in the user's settings
// file (QSettings in INI form) so that every start of the program sees them.
class RecentProjects {
public:
    static constexpr int Limit = 8;

    explicit RecentProjects(const QString& settingsFile);

    QStringList folders() const;
    // Puts folder first; an older entry of the same folder goes, and so does
    // the oldest beyond Limit.
    void add(const QString& folder);
    // Forgets the folders that are no longer there.
    void removeVanished();
    static bool vanished(const QString& folder);

private:
    void store(const QStringList& folders);

    QString m_settingsFile;
};
