#pragma once

#include <QSaveFile>

// Replaces the target only when every byte reached the disk. QSaveFile's own
// commit replaces it even when its last buffered write failed (a full disk),
// leaving an empty file where the old one was.
inline bool commitWhole(QSaveFile& file)
{
    if (!file.flush()) {
        file.cancelWriting();
        file.commit(); // closes the file and keeps the target as it was
        return false;
    }
    return file.commit();
}
