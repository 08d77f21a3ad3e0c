#pragma once

#include "project/BoardDigest.h"

#include <QStringList>

class BoardModel;

// Merges into this copy's board what another copy wrote to the board files
// since this copy last read or wrote them, object by object (an object is its
// shape and caption, found by its name): an object only one side changed
// takes that side; one both changed keeps this copy's; a removal on one side
// and an edit on the other keeps the edited object; objects added on either
// side are kept, renumbered when both sides gave one the same number, so
// that every shape keeps exactly one caption of its number.
namespace BoardMerge {

struct Outcome {
    // Objects both sides changed, each differently: this copy's stands.
    QStringList keptOurs;
    // Objects the other copy's changes were taken for: added, changed or removed.
    int takenFromTheirs = 0;
    // The other copy's board as a digest: the base of the next merge.
    BoardDigest theirs;
};

// base: the board as the files held it when last read or written here;
// theirs: as they hold it now. ours is changed to the merge.
Outcome merge(const BoardDigest& base, BoardModel& ours, const BoardModel& theirs);

} // namespace BoardMerge
