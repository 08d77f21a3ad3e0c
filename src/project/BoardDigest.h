#pragma once

#include "project/ElementState.h"

#include <QHash>
#include <QString>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

class BoardModel;
namespace BoardRecords {
struct FileValues;
}

// One element of a board file as a digest takes it: the hash of its state,
// and what pairs it with an element of the other file and names its object,
// as numbers. Made where the element is read, so the board need not be
// copied for it, and small, as one is held for each element of both files
// until they are paired.
struct ElementDigest {
    static constexpr qint64 NoNumber = std::numeric_limits<qint64>::min();
    quint64 hash = 0;
    quint64 ownKey = 0;       // the key of the element's name
    quint64 captionKey = 0;   // of a caption's text; ownKey when no object can go by that text
    qint64 number = NoNumber; // n of the name "Shape<n>" or "Label<n>", in any case
    int tag = 0;

    static ElementDigest of(const ElementState& state);
    // Each of the elements, in their order.
    static std::vector<ElementDigest> ofEach(const std::vector<ElementState>& elements);
};

// A board as its files hold it, one 64-bit hash per object instead of the
// files' bytes, found by a 64-bit hash of its key instead of the key's text:
// what a merge tells the changes of either side by. An object
// is its caption element with the shape of its number, or a shape without a
// caption; it goes by its name, and an unnamed object, a second one of a name
// and a shape without its caption go by their element's name, which no object
// name can be. The hash leaves out what differs from copy to copy without
// being a change: the object's number and the names that hold it, the place
// in the creation order and the font height the file held.
class BoardDigest {
public:
    // The board's objects as its files would hold them.
    static BoardDigest of(const BoardModel& board);
    // The same from the values both files are written from, on any thread.
    static BoardDigest of(const BoardRecords::FileValues& shapes,
                          const BoardRecords::FileValues& labels);
    // The same from each file's elements, digested as they were read.
    static BoardDigest of(const std::vector<ElementDigest>& shapes,
                          const std::vector<ElementDigest>& labels);

    // The hash of the object of this key; none when the board has no such object.
    std::optional<quint64> find(const QString& key) const;
    void insert(const QString& key, quint64 hash);
    void reserve(qsizetype objects) { m_objects.reserve(objects); }
    qsizetype size() const { return m_objects.size(); }
    bool operator==(const BoardDigest&) const = default;

    // The hash of an object of this shape and caption, either one absent.
    static quint64 objectHash(const ElementState* shape, const ElementState* label);

    // Calls visit(key, name, shape, label) for each object of the board:
    // captions first, then shapes without a caption, each in creation order;
    // taken(key) tells whether an object already went by that key.
    using Taken = std::function<bool(const QString& key)>;
    using Visit =
        std::function<void(const QString& key, const QString& name,
                           std::optional<ElementState> shape, std::optional<ElementState> label)>;
    static void forEachObject(const BoardModel& board, const Taken& taken, const Visit& visit);

private:
    QHash<quint64, quint64> m_objects; // by the hash of the key
};
