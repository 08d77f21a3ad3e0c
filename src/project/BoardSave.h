#pragma once

#include "project/BoardDigest.h"
#include "project/BoardRecords.h"
#include "project/SharedFiles.h"

#include <optional>
#include <vector>

// One board file to write: the values of its elements, taken on the board's
// thread, and what this copy last read or wrote there.
struct BoardFileWrite {
    QString path;
    BoardRecords::FileValues values;
    // None when this copy never read or wrote the file.
    std::optional<FileStamp> known;
    // What could be read of a damaged file, as it would be written again: the
    // file is not written while it would hold just that, which would throw
    // away its elements after the damage.
    std::optional<QByteArray> readFromDamagedFile;
};

struct BoardFileWritten {
    enum class Outcome { Written, NotNeeded, Failed };
    Outcome outcome = Outcome::NotNeeded;
    // What the file holds now, when written.
    FileStamp stamp;
    QString error;
};

struct BoardSave {
    // Another copy changed a file since this one last read or wrote it:
    // nothing was written, the change is to be merged first.
    bool changedByOthers = false;
    // One per write, in their order.
    std::vector<BoardFileWritten> files;
    // The board as the shape and caption files hold it now, made here off the
    // board's thread; none unless both were among the writes and both hold
    // what they were to be written with.
    std::optional<BoardDigest> digest;
};

// Writes the board files of a project folder, under the folder's lock, from
// any thread; each file whole or not at all.
BoardSave saveBoardFiles(const QString& folder, const std::vector<BoardFileWrite>& writes);
