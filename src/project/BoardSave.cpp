#include "project/BoardSave.h"

#include "project/FolderLock.h"

BoardSave saveBoardFiles(const QString& folder, const std::vector<BoardFileWrite>& writes)
{
    BoardSave save;
    // From the look at the files to the write, no other copy writes them.
    const FolderLock lock(folder);
    // A file gone is a folder gone away (a share), not a board emptied: the
    // write tells what became of it.
    bool changed = false;
    bool allThere = true;
    for (const BoardFileWrite& write : writes) {
        const FileStamp now = FileStamp::of(write.path);
        changed = changed || (write.known && !write.known->sameContent(now));
        allThere = allThere && now.exists;
    }
    if (changed && allThere) {
        save.changedByOthers = true;
        return save;
    }
    for (const BoardFileWrite& write : writes) {
        BoardFileWritten& written = save.files.emplace_back();
        if (!BoardRecords::fileBytes(write.values, &written.bytes, &written.error)) {
            written.outcome = BoardFileWritten::Outcome::Failed;
            continue;
        }
        if (write.readFromDamagedFile && written.bytes == *write.readFromDamagedFile)
            continue;
        if (!BoardRecords::saveFile(write.path, written.bytes, &written.error)) {
            written.outcome = BoardFileWritten::Outcome::Failed;
            continue;
        }
        written.outcome = BoardFileWritten::Outcome::Written;
        written.stamp = FileStamp::ofWritten(write.path, written.bytes);
    }
    return save;
}
