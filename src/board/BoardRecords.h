#pragma once

#include "stream/ComponentStream.h"

#include <QString>
#include <functional>

class Board;
class ObjectLabel;
class ObjectShape;

// The two board files: "fStreamShape.txt" holds one record per shape element,
// "fStreamLabel.txt" one per caption element, in the board's child order.
namespace BoardRecords {

stream::Record shapeRecord(const ObjectShape& shape);
stream::Record labelRecord(const ObjectLabel& label, int dotsPerInch);
// Sets the element's name and properties from a record. false and *error when
// the record holds a property the element does not have or a value of the
// wrong type; the element may then be partly set.
bool applyShapeRecord(const stream::Record& record, ObjectShape& shape, QString* error);
bool applyLabelRecord(const stream::Record& record, ObjectLabel& label, int dotsPerInch,
                      QString* error);

// The bytes of each board file: every element of one kind, in creation order.
// false and *error when an element cannot be encoded.
bool shapeFileBytes(const Board& board, QByteArray* bytes, QString* error);
bool labelFileBytes(const Board& board, int dotsPerInch, QByteArray* bytes, QString* error);
// Writes a board file whole or not at all.
bool saveFile(const QString& path, const QByteArray& bytes, QString* error);

// A board file larger than this is refused unread: a million objects with long
// captions and hints stay far below it.
constexpr qint64 MaximumFileSize = qint64(512) * 1024 * 1024;

// Appends the file's elements to the board, calling loaded() for each. A
// missing file is an empty one. On a damaged record the elements read before
// it stay, and *error says what is wrong, in which file and at which byte.
using ShapeLoaded = std::function<void(ObjectShape*)>;
using LabelLoaded = std::function<void(ObjectLabel*)>;
bool loadShapes(Board& board, const QString& path, const ShapeLoaded& loaded, QString* error);
bool loadLabels(Board& board, const QString& path, int dotsPerInch, const LabelLoaded& loaded,
                QString* error);

} // namespace BoardRecords
