#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

class QIODevice;

// The board file: a plain concatenation of records, one per board element.
// Each record is "TPF0", the class name, the element name, a list of named and
// typed property entries ended by a zero byte, and a zero byte for the (always
// empty) list of children. Names are a length byte followed by ASCII; all
// numbers are little-endian.
namespace stream {

// What no board record comes near. The reader refuses more before it
// allocates anything, so one record costs at most a few megabytes however its
// lengths and counts are set; the writer refuses more too, so whatever it
// writes reads back.
// A string: a hint is typed into a field of at most 32,767 characters, which
// take at most 98,301 bytes in any encoding the writer uses; an object name is
// a folder name of at most 255 bytes.
constexpr qint64 MaximumStringBytes = 128 * 1024;
// Property entries of one record: a caption record carries 17.
constexpr int MaximumProperties = 64;
// Identifiers in one set: a font style holds at most four.
constexpr int MaximumSetElements = 32;

struct Value {
    enum class Kind { Integer, String, Identifier, Boolean, Set };
    Kind kind = Kind::Integer;
    qint64 integer = 0;
    bool boolean = false;
    QString text;          // Kind::String
    QByteArray identifier; // Kind::Identifier (ASCII)
    QList<QByteArray> set; // Kind::Set: the identifiers in the set
    static Value fromInteger(qint64 v);
    static Value fromString(const QString& s);
    static Value fromIdentifier(const QByteArray& id);
    static Value fromBoolean(bool b);
    static Value fromSet(const QList<QByteArray>& ids);
};

// offset: byte offset of the entry's name in the device (set by the reader)
struct Property {
    QByteArray name;
    Value value;
    qint64 offset = -1;
};

// offset: byte offset of the record's "TPF0" in the device (set by the reader)
struct Record {
    QByteArray className;
    QByteArray name;
    QList<Property> properties;
    qint64 offset = -1;
};

class RecordWriter {
public:
    explicit RecordWriter(QIODevice* device);
    // Appends exactly one record at the device position. Nothing is written
    // when the record cannot be encoded (a name that is not ASCII, too long...).
    bool write(const Record& record);
    QString errorString() const;

private:
    QIODevice* m_device;
    QString m_error;
};

// Reads records from a device that holds the whole file (a file or a buffer),
// or a stretch of it starting at the file's byte firstByte, which every offset
// read and every error then counts from: lengths are checked against the
// bytes left before anything is allocated.
class RecordReader {
public:
    explicit RecordReader(QIODevice* device, qint64 firstByte = 0);
    bool atEnd() const; // device position >= device size
    // Reads one record, properties in file order. On failure the device
    // position is somewhere inside the broken record.
    bool read(Record& record);
    // Checks one record as read() does and steps over it, keeping nothing:
    // counting the records of a file costs no memory.
    bool skip();
    QString errorString() const;

private:
    bool readRecord(Record* record);

    QIODevice* m_device;
    qint64 m_firstByte;
    QString m_error;
};

} // namespace stream
