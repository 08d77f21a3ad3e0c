#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// Who has a project open: each copy of the program that opens a project
// writes a small file ".vexorin-open-USER@HOST" into its folder (user,
// computer, process, since when), which older versions ignore, and removes it
// when it leaves the project.
class Presence {
public:
    struct Holder {
        QString user;
        QString host;
        qint64 pid = 0;
        QDateTime since;
        QString file;
    };

    static QString localUser();
    static QString localHost();

    // The copies other than this process that hold the folder. Files of
    // processes gone on this computer are stale: they are removed.
    static QList<Holder> others(const QString& folder);
    // The user of the copy that opened the folder last, among the others;
    // empty when none is known.
    static QString otherUser(const QString& folder);

    // Writes this copy's file into the folder; false when it cannot be written
    // (a read-only share), which opening the project does not depend on.
    bool claim(const QString& folder, const QDateTime& since);
    // Removes this copy's file, if it wrote one.
    void release();
    const QString& file() const { return m_file; }

private:
    QString m_file;
};
