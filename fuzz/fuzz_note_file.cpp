// The RTF reader on arbitrary bytes, and the writer on what it read.
#include "FuzzMain.h"
#include "platform/RichText.h"

#include <QBuffer>
#include <QTextDocument>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureApplication();
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    QTextDocument document;
    RichText::read(&in, &document);
    QByteArray written;
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    RichText::write(&document, &out);
    return 0;
}
