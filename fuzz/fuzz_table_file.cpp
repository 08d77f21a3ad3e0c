// The table file reader on arbitrary bytes, and the writer on what it read.
#include "tables/TableFile.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TableFile::Reader reader(buffer);
    int columns = 0;
    int rows = 0;
    if (!reader.readColumnCount(&columns) || !reader.readRowCount(columns, &rows))
        return 0;
    TableFile::Columns cells;
    reader.readCells(std::max(1, columns), std::max(1, rows), &cells);
    TableFile::toBytes(cells, std::max(1, rows));
    return 0;
}
