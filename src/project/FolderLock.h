#pragma once

#include <QString>
#include <memory>

class QLockFile;

// Held while a copy of the program reads or writes the pair of board files of
// a project folder, so that no copy reads one file new and the other old, and
// none writes between another's merge and its write. Taken again inside
// itself on the same thread, it only counts. A lock left by a copy that is gone is taken over;
// one that cannot be had within a few seconds, or not made at all (a folder
// that takes no files), is done without: a save is never held up by it.
class FolderLock {
public:
    explicit FolderLock(const QString& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    static constexpr int WaitMs = 3000;

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
