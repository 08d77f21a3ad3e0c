// The alarm file reader on arbitrary bytes; what it read must write and read back alike.
#include "alarms/AlarmFile.h"

#include <QBuffer>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    AlarmFile file;
    file.read(buffer);
    QByteArray written = AlarmFile::toBytes(file.rows());
    QBuffer again(&written);
    again.open(QIODevice::ReadOnly);
    AlarmFile reread;
    if (!reread.read(again) || reread.rows().size() != file.rows().size())
        std::abort();
    return 0;
}
