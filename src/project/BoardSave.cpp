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
        QByteArray bytes;
        if (!BoardRecords::fileBytes(write.values, &bytes, &written.error)) {
            written.outcome = BoardFileWritten::Outcome::Failed;
            continue;
        }
        if (write.readFromDamagedFile && bytes == *write.readFromDamagedFile)
            continue;
        if (!BoardRecords::saveFile(write.path, bytes, &written.error)) {
            written.outcome = BoardFileWritten::Outcome::Failed;
            continue;
        }
        written.outcome = BoardFileWritten::Outcome::Written;
        written.stamp = FileStamp::ofWritten(write.path, bytes);
    }
    // A file not written because it held these values already (read from it
    // when it was damaged) holds them as well as one written.
    const BoardRecords::FileValues* shapes = nullptr;
    const BoardRecords::FileValues* labels = nullptr;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (save.files[i].outcome == BoardFileWritten::Outcome::Failed)
            return save;
        const BoardRecords::FileValues& values = writes[i].values;
        (values.kind == BoardElement::Kind::Shape ? shapes : labels) = &values;
    }
    if (shapes && labels)
        save.digest = BoardDigest::of(*shapes, *labels);
    return save;
}
