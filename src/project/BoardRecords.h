#pragma once

#include "project/ElementState.h"
#include "stream/ComponentStream.h"

#include <QString>
#include <functional>
#include <vector>

class BoardModel;
class ObjectLabel;

// The two board files: "fStreamShape.txt" holds one record per shape element,
// "fStreamLabel.txt" one per caption element, in the board's child order.
namespace BoardRecords {

// Every element of one board file, in creation order, with what the file is
// written against: the board's font and the screen's dots per inch.
struct FileValues {
    BoardElement::Kind kind = BoardElement::Kind::Shape;
    std::vector<ElementState> elements;
    QFont boardFont;
    int dotsPerInch = 96;
};
FileValues fileValues(const BoardModel& board, BoardElement::Kind kind, int dotsPerInch);
// The bytes of that file; false and *error when an element cannot be encoded.
bool fileBytes(const FileValues& values, QByteArray* bytes, QString* error);

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
bool shapeFileBytes(const BoardModel& board, QByteArray* bytes, QString* error);
bool labelFileBytes(const BoardModel& board, int dotsPerInch, QByteArray* bytes, QString* error);
// Writes a board file whole or not at all.
bool saveFile(const QString& path, const QByteArray& bytes, QString* error);

// What no real board comes near; a board file beyond it is refused unread.
// A million objects per file: ten times the largest board the program is
// measured with, and more than anyone places by hand.
constexpr qint64 MaximumElements = 1'000'000;
// A caption record with every property, a 14-character name and a hint of 12
// takes about 280 bytes, a shape record about 130: 512 bytes a record leaves
// room for names and hints of a hundred characters and more on every object.
constexpr qint64 MaximumRecordBytes = 512;
constexpr qint64 MaximumFileSize = MaximumElements * MaximumRecordBytes;

// Appends the file's elements to the board model, calling loaded() for each. A
// missing file is an empty one. On a damaged record the elements read before
// it stay, and *error says what is wrong, in which file and at which byte. A
// file larger than MaximumFileSize or of more than MaximumElements records
// adds nothing.
using ShapeLoaded = std::function<void(ObjectShape*)>;
using LabelLoaded = std::function<void(ObjectLabel*)>;
bool loadShapes(BoardModel& board, const QString& path, const ShapeLoaded& loaded, QString* error);
bool loadLabels(BoardModel& board, const QString& path, int dotsPerInch, const LabelLoaded& loaded,
                QString* error);

// The same from a board file's bytes held in memory; path names the file in
// *error.
bool loadShapeBytes(BoardModel& board, const QByteArray& bytes, const QString& path,
                    QString* error);
bool loadLabelBytes(BoardModel& board, const QByteArray& bytes, const QString& path,
                    int dotsPerInch, QString* error);

} // namespace BoardRecords
