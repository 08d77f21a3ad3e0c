#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QFileSystemWatcher;
class QTimer;

// What a file held when this copy last read or wrote it: enough to tell that
// another copy of the program (or a sync tool) changed it since.
struct FileStamp {
    // What hash holds; a reader that reads a file a piece at a time feeds
    // one of its own.
    static constexpr QCryptographicHash::Algorithm HashAlgorithm = QCryptographicHash::Sha1;
    bool exists = false;
    qint64 size = -1;
    qint64 modifiedMs = -1;
    QByteArray hash;

    // The file as it is now; its bytes too when asked for.
    static FileStamp of(const QString& path, QByteArray* bytes = nullptr);
    // The file just written with these bytes, without reading it again.
    static FileStamp ofWritten(const QString& path, const QByteArray& bytes);
    // Size and time only: what the periodic check compares before it hashes.
    bool sameSizeAndTime(const FileStamp& other) const
    {
        return exists == other.exists && size == other.size && modifiedMs == other.modifiedMs;
    }
    // The same content, whenever it was written.
    bool sameContent(const FileStamp& other) const
    {
        return exists == other.exists && (!exists || (size == other.size && hash == other.hash));
    }
    // The file held these bytes; a missing one holds none.
    bool holds(const QByteArray& bytes) const;
};

// The files of a project folder that other copies of the program may change
// while this one has them open: what each held when last read or written
// here, a watch on each (events, and a periodic look for network file systems
// that send none), and the rule of every write that replaces a whole file:
// a change another copy made since is kept beside as a conflict copy.
class SharedFiles : public QObject {
    Q_OBJECT
public:
    static constexpr int CheckIntervalMs = 2000;

    explicit SharedFiles(QObject* parent = nullptr);

    // The time a conflict copy is named after, and the user a change of
    // another copy is put down to; both set by the program at start.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    std::function<QString()> otherUser;

    // This copy read the file, or wrote it: what it holds now is known here,
    // and it is watched from now on.
    void remember(const QString& path);
    void remember(const QString& path, const FileStamp& stamp);
    // Forget every file (a project switch).
    void clear();
    bool isKnown(const QString& path) const { return m_known.contains(path); }
    // What the file held when last read or written here; none when unknown.
    std::optional<FileStamp> known(const QString& path) const;
    // The file holds something else than when this copy last read or wrote it.
    bool changedSince(const QString& path) const;

    // Replaces a file through write(): when another copy changed it since this
    // one read it, its content is first kept beside it as a conflict copy,
    // which a notice names (unless it holds what was written). False when
    // write() failed (*error is then its), or when theirs could not be kept
    // (*error says so); the file is then as it was.
    bool replace(const QString& path, const std::function<bool()>& write, QString* error);

    // "NAME (conflict USER YYYY-MM-DD HH-MM).EXT" beside path, not yet taken.
    QString conflictCopyName(const QString& path, const QString& user) const;

    // Looks at every known file now, as the watch does.
    void checkNow();

signals:
    // Another copy changed a known file: what it holds is no longer what this
    // copy last read or wrote.
    void changedOnDisk(const QString& path);
    // One line to show the user.
    void notice(const QString& text);

private:
    void watch(const QString& path);

    QHash<QString, FileStamp> m_known;
    QFileSystemWatcher* m_watcher;
    QTimer* m_poll;
    // Reported and not yet read again: said once.
    QHash<QString, FileStamp> m_reported;
};
