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

struct Value {
    enum class Kind { Integer, String, Identifier, Boolean, Set };
    Kind kind = Kind::Integer;
    qint64 integer = 0;
    bool boolean = false;
    QString text;              // Kind::String
    QByteArray identifier;     // Kind::Identifier (ASCII)
    QList<QByteArray> set;     // Kind::Set: the identifiers in the set
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

// Reads records from a device that holds the whole file (a file or a buffer):
// lengths are checked against the bytes left before anything is allocated.
class RecordReader {
public:
    explicit RecordReader(QIODevice* device);
    bool atEnd() const; // device position >= device size
    // Reads one record, properties in file order. On failure the device
    // position is somewhere inside the broken record.
    bool read(Record& record);
    QString errorString() const;

private:
    QIODevice* m_device;
    QString m_error;
};

} // namespace stream
