#include "platform/CodePage.h"

namespace CodePage {
namespace {

// Characters of bytes 0x80-0x9F. The unassigned bytes map to themselves.
constexpr char16_t kHighTable[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

// Byte 0x80-0x9F for a character of the table, or -1 when Windows-1252 has none.
int highByteFor(char16_t c)
{
    for (int i = 0; i < 32; ++i) {
        if (kHighTable[i] == c)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

QByteArray toWindows1252(const QString& text, bool* lossless)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char* dst = out.data();
    const char16_t* src = reinterpret_cast<const char16_t*>(text.utf16());
    const char16_t* const end = src + text.size();
    bool allMapped = true;
    while (src < end) {
        const char16_t c = *src++;
        int b = (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) ? c : highByteFor(c);
        if (b < 0) {
            allMapped = false;
            b = '?';
            // One character outside the BMP is two UTF-16 units but one '?'.
            if (QChar::isHighSurrogate(c) && src < end && QChar::isLowSurrogate(*src))
                ++src;
        }
        *dst++ = static_cast<char>(b);
    }
    out.truncate(dst - out.constData());
    if (lossless)
        *lossless = allMapped;
    return out;
}

QString fromWindows1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *dst++ = (b >= 0x80 && b < 0xA0) ? kHighTable[b - 0x80] : char16_t(b);
    }
    return out;
}

} // namespace CodePage
