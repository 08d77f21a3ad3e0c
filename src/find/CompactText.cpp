#include "find/CompactText.h"

#include <algorithm>

namespace {

bool isLatin1(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

} // namespace

void CompactText::widen()
{
    m_utf16 = QString::fromLatin1(m_latin1);
    m_latin1 = QByteArray();
    m_wide = true;
}

void CompactText::append(QStringView text)
{
    if (!m_wide && !isLatin1(text))
        widen();
    if (m_wide) {
        m_utf16.append(text);
        return;
    }
    const qsizetype start = m_latin1.size();
    m_latin1.resize(start + text.size());
    char* out = m_latin1.data() + start;
    for (const QChar c : text)
        *out++ = char(c.unicode());
}

void CompactText::append(QChar c)
{
    if (!m_wide && c.unicode() <= 0xFF)
        m_latin1.append(char(c.unicode()));
    else
        append(QStringView(&c, 1));
}

void CompactText::reserve(qsizetype size)
{
    if (m_wide)
        m_utf16.reserve(size);
    else
        m_latin1.reserve(size);
}

void CompactText::squeeze()
{
    m_utf16.squeeze();
    m_latin1.squeeze();
}

QString CompactText::mid(qsizetype position, qsizetype length) const
{
    if (m_wide)
        return m_utf16.mid(position, length);
    return QString::fromLatin1(m_latin1.mid(position, length));
}

qsizetype CompactText::indexOf(const QString& needle, qsizetype from) const
{
    if (m_wide)
        return m_utf16.indexOf(needle, from);
    // A needle beyond Latin-1 is nowhere in a Latin-1 text.
    if (!isLatin1(needle))
        return -1;
    return m_latin1.indexOf(needle.toLatin1(), from);
}

qsizetype CompactText::indexOf(QChar c, qsizetype from) const
{
    if (m_wide)
        return m_utf16.indexOf(c, from);
    return c.unicode() > 0xFF ? -1 : m_latin1.indexOf(char(c.unicode()), from);
}

qsizetype CompactText::lastIndexOf(QChar c, qsizetype from) const
{
    if (m_wide)
        return m_utf16.lastIndexOf(c, from);
    return c.unicode() > 0xFF ? -1 : m_latin1.lastIndexOf(char(c.unicode()), from);
}

qsizetype CompactText::count(QChar c, qsizetype length) const
{
    if (m_wide)
        return QStringView(m_utf16).left(length).count(c);
    return c.unicode() > 0xFF
               ? 0
               : std::count(m_latin1.cbegin(), m_latin1.cbegin() + qMin(length, m_latin1.size()),
                            char(c.unicode()));
}
