#pragma once

#include "project/BoardDigest.h"
#include "project/ElementState.h"
#include "project/SharedFiles.h"
#include "stream/ComponentStream.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

class BoardModel;
class ObjectLabel;
class QCryptographicHash;
class QIODevice;

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

// Reads one board file on a thread of its own while the board takes its
// elements in, a batch at a time: reading the records, and measuring each
// caption's text, costs the user-interface thread nothing. Both board files
// are read at once, each by its reader.
class FileReader {
public:
    // The file at path, read from its start; or bytes held in memory, where
    // path only names the file in errors. A caption's size is measured at
    // dotsPerInch; a caption record without a font entry reads as boardFont.
    FileReader(BoardElement::Kind kind, const QString& path, int dotsPerInch,
               const QFont& boardFont);
    FileReader(BoardElement::Kind kind, const QByteArray& bytes, const QString& path,
               int dotsPerInch, const QFont& boardFont);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Appends the file's elements to the board, calling loaded() for each.
    // A missing file is an empty one. On a damaged record the elements read
    // before it stay, and *error says what is wrong, in which file and at
    // which byte. A file larger than MaximumFileSize or of more than
    // MaximumElements records adds nothing.
    bool load(BoardModel& board, const std::function<void(BoardElement*)>& loaded, QString* error);
    // The file as it was read; set once load() returned.
    const FileStamp& stamp() const { return m_stamp; }
    // The elements load() added, each digested as its record read, in order.
    std::vector<ElementDigest> takeDigests() { return std::exchange(m_digests, {}); }

private:
    struct Batch; // elements read, in the order of the file
    // Ends the reading once the file is read through.
    void stop();
    void read();
    // Hands the device's elements over; the number of bytes it holds.
    qint64 decode(QIODevice& device, QCryptographicHash& hash);
    // A caption file's second thread: measures and digests each batch of
    // captions while the first reads on.
    void measureBatches();
    // The batches the board took are filled again: no memory is asked of
    // the system for each.
    Batch spare();
    void recycle(Batch&& batch);
    void hand(Batch&& batch);
    bool next(Batch* batch);

    const BoardElement::Kind m_kind;
    const QString m_path;
    const bool m_fromFile;
    const int m_dotsPerInch;
    const QFont m_boardFont;
    QByteArray m_bytes;
    FileStamp m_stamp;
    QString m_error;
    std::mutex m_mutex;
    std::condition_variable m_ready;     // a batch is ready, or the end
    std::condition_variable m_taken;     // the board took a batch, or stops
    std::condition_variable m_toMeasure; // a batch waits to be measured, or the end
    std::list<Batch> m_batches;
    std::vector<Batch> m_spares;
    std::vector<ElementDigest> m_digests;
    bool m_done = false;
    std::atomic<bool> m_stop = false; // the board wants no more
    std::thread m_thread;
    std::thread m_measurer;
};

// The same, read and loaded in one call.
using ShapeLoaded = std::function<void(ObjectShape*)>;
using LabelLoaded = std::function<void(ObjectLabel*)>;
bool loadShapes(BoardModel& board, const QString& path, const ShapeLoaded& loaded, QString* error);
bool loadLabels(BoardModel& board, const QString& path, int dotsPerInch, const LabelLoaded& loaded,
                QString* error);
bool loadShapeBytes(BoardModel& board, const QByteArray& bytes, const QString& path,
                    QString* error);
bool loadLabelBytes(BoardModel& board, const QByteArray& bytes, const QString& path,
                    int dotsPerInch, QString* error);

} // namespace BoardRecords
