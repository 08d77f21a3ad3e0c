#include "project/FolderLock.h"

#include <QDir>
#include <QHash>
#include <QLockFile>

namespace {

// Per thread: a save in the background waits for the lock the user-interface
// thread holds, as another copy of the program would.
QHash<QString, int>& depths()
{
    thread_local QHash<QString, int> held;
    return held;
}

} // namespace

FolderLock::FolderLock(const QString& folder)
    : m_path(QDir(folder).filePath(QStringLiteral(".vexorin-board.lock")))
{
    if (depths()[m_path]++ > 0)
        return;
    m_lock = std::make_unique<QLockFile>(m_path);
    // Longer than any save of the pair takes.
    m_lock->setStaleLockTime(30000);
    if (!m_lock->tryLock(WaitMs))
        m_lock.reset();
}

FolderLock::~FolderLock()
{
    if (--depths()[m_path] == 0)
        depths().remove(m_path);
}
