#include "project/SharedFiles.h"

#include "project/Presence.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

FileStamp FileStamp::of(const QString& path, QByteArray* bytes)
{
    FileStamp stamp;
    const QFileInfo info(path);
    if (!info.isFile())
        return stamp;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return stamp;
    stamp.exists = true;
    stamp.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    QCryptographicHash hash(HashAlgorithm);
    if (bytes) {
        *bytes = file.readAll();
        hash.addData(*bytes);
        stamp.size = bytes->size();
    } else {
        hash.addData(&file);
        stamp.size = file.size();
    }
    stamp.hash = hash.result();
    return stamp;
}

FileStamp FileStamp::ofWritten(const QString& path, const QByteArray& bytes)
{
    FileStamp stamp;
    const QFileInfo info(path);
    stamp.exists = info.isFile();
    stamp.size = bytes.size();
    stamp.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    stamp.hash = QCryptographicHash::hash(bytes, HashAlgorithm);
    return stamp;
}

bool FileStamp::holds(const QByteArray& bytes) const
{
    if (!exists)
        return bytes.isEmpty();
    return size == bytes.size() && hash == QCryptographicHash::hash(bytes, HashAlgorithm);
}

namespace {

FileStamp sizeAndTime(const QString& path)
{
    FileStamp stamp;
    const QFileInfo info(path);
    if (!info.isFile())
        return stamp;
    stamp.exists = true;
    stamp.size = info.size();
    stamp.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    return stamp;
}

} // namespace

SharedFiles::SharedFiles(QObject* parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_poll(new QTimer(this))
{
    // Events come in bursts (a save is a new file and a rename): one look after them.
    auto* soon = new QTimer(this);
    soon->setSingleShot(true);
    soon->setInterval(100);
    connect(soon, &QTimer::timeout, this, &SharedFiles::checkNow);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, soon, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, soon, qOverload<>(&QTimer::start));
    m_poll->setInterval(CheckIntervalMs);
    connect(m_poll, &QTimer::timeout, this, &SharedFiles::checkNow);
}

void SharedFiles::remember(const QString& path)
{
    remember(path, FileStamp::of(path));
}

void SharedFiles::remember(const QString& path, const FileStamp& stamp)
{
    m_known.insert(path, stamp);
    m_reported.remove(path);
    watch(path);
    if (!m_poll->isActive())
        m_poll->start();
}

void SharedFiles::watch(const QString& path)
{
    // A file replaced by a rename (as sync tools save) drops out of the
    // watch: it is added again, and its folder is watched for the rename.
    if (QFileInfo::exists(path) && !m_watcher->files().contains(path))
        m_watcher->addPath(path);
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir() && !m_watcher->directories().contains(folder))
        m_watcher->addPath(folder);
}

void SharedFiles::clear()
{
    m_known.clear();
    m_reported.clear();
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_poll->stop();
}

std::optional<FileStamp> SharedFiles::known(const QString& path) const
{
    const auto known = m_known.constFind(path);
    if (known == m_known.cend())
        return std::nullopt;
    return *known;
}

bool SharedFiles::changedSince(const QString& path) const
{
    const auto known = m_known.constFind(path);
    return known != m_known.cend() && !known->sameContent(FileStamp::of(path));
}

QString SharedFiles::conflictCopyName(const QString& path, const QString& user) const
{
    const QFileInfo file(path);
    const QString base = file.completeBaseName();
    const QString suffix = file.suffix().isEmpty() ? QString() : QLatin1Char('.') + file.suffix();
    const QString when = now().toString(QStringLiteral("yyyy-MM-dd HH-mm"));
    const QDir folder = file.absoluteDir();
    QString name = QStringLiteral("%1 (conflict %2 %3)%4").arg(base, user, when, suffix);
    for (int n = 2; folder.exists(name); ++n)
        name = QStringLiteral("%1 (conflict %2 %3 %4)%5").arg(base, user, when).arg(n).arg(suffix);
    return folder.filePath(name);
}

bool SharedFiles::replace(const QString& path, const std::function<bool()>& write, QString* error)
{
    QString copy;
    if (changedSince(path) && QFileInfo(path).isFile()) {
        QString user = otherUser ? otherUser() : QString();
        if (user.isEmpty())
            user = Presence::localUser();
        copy = conflictCopyName(path, user);
        if (!QFile::copy(path, copy)) {
            // Theirs cannot be kept: ours is not written over it.
            *error = QStringLiteral("%1 was changed by another copy, and its change cannot be "
                                    "kept as %2.")
                         .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(copy));
            return false;
        }
    }
    if (!write()) {
        if (!copy.isEmpty())
            QFile::remove(copy);
        return false;
    }
    remember(path);
    if (copy.isEmpty())
        return true;
    if (FileStamp::of(copy).sameContent(m_known.value(path))) {
        QFile::remove(copy); // both wrote the same
        return true;
    }
    emit notice(QStringLiteral("%1 was changed by another copy as well: yours is saved, theirs "
                               "is kept as %2")
                    .arg(QFileInfo(path).fileName(), QDir::toNativeSeparators(copy)));
    return true;
}

void SharedFiles::checkNow()
{
    // Announced after the look: a listener may read a file again meanwhile.
    QStringList changed;
    for (auto known = m_known.begin(); known != m_known.end(); ++known) {
        const QString& path = known.key();
        watch(path);
        const FileStamp quick = sizeAndTime(path);
        if (quick.sameSizeAndTime(*known))
            continue;
        const FileStamp now = FileStamp::of(path);
        if (now.sameContent(*known)) {
            known->modifiedMs = now.modifiedMs; // touched, not changed
            continue;
        }
        const auto reported = m_reported.constFind(path);
        if (reported != m_reported.cend() && reported->sameContent(now) &&
            reported->modifiedMs == now.modifiedMs)
            continue;
        m_reported.insert(path, now);
        changed.append(path);
    }
    for (const QString& path : std::as_const(changed))
        emit changedOnDisk(path);
}
