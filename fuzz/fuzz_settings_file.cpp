// The settings-file parser on arbitrary bytes: read, write a key, read it back.
#include "formats/Ini.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    Ini::Document document = Ini::Document::fromBytes(bytes);
    document.readString(QStringLiteral("Form1"), QStringLiteral("Pathforini"), QString());
    if (document.writeString(QStringLiteral("Section"), QStringLiteral("Key"),
                             QStringLiteral("Value"))) {
        const Ini::Document again = Ini::Document::fromBytes(document.toBytes());
        if (again.readString(QStringLiteral("Section"), QStringLiteral("Key"), QString()) !=
            QLatin1String("Value"))
            std::abort();
    }
    return 0;
}
