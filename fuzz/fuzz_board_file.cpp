// The board file reader on arbitrary bytes; counting the records (skip)
// agrees with reading them, record by record.
#include "stream/ComponentStream.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QBuffer skipping(&bytes);
    skipping.open(QIODevice::ReadOnly);
    stream::RecordReader reader(&buffer);
    stream::RecordReader skipper(&skipping);
    while (!reader.atEnd()) {
        stream::Record record;
        const bool read = reader.read(record);
        if (skipper.skip() != read || skipper.errorString() != reader.errorString() ||
            (read && skipping.pos() != buffer.pos()))
            __builtin_trap();
        if (!read)
            break;
    }
    return 0;
}
