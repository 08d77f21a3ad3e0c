// The board file reader on arbitrary bytes.
#include "stream/ComponentStream.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    stream::RecordReader reader(&buffer);
    while (!reader.atEnd()) {
        stream::Record record;
        if (!reader.read(record))
            break;
    }
    return 0;
}
