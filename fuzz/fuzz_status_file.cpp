// The status-button file reader on arbitrary bytes.
#include "notes/StatusFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    StatusFile::read(Ini::Document::fromBytes(bytes));
    return 0;
}
