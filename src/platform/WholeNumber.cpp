#include "platform/WholeNumber.h"

#include <limits>

std::optional<qint64> readWholeNumber(QStringView text)
{
    qsizetype at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
        negative = text[at] == u'-';
        ++at;
    }
    if (at == text.size())
        return std::nullopt;
    constexpr qint64 Max = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (; at < text.size(); ++at) {
        const char16_t c = text[at].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        value = value > (Max - digit) / 10 ? Max : value * 10 + digit;
    }
    return negative ? -value : value;
}
