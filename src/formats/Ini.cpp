#include "formats/Ini.h"
#include "formats/SaveFile.h"

#include "formats/CodePage.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace Ini {
namespace {

// Settings files are a few kilobytes; anything this large was not written by us
// and is not worth holding in memory.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trimmedBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin).toString();
}

char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

bool sameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i].unicode()) != asciiLower(b[i].unicode()))
            return false;
    }
    return true;
}

// The Windows calls took C strings: text ended at a NUL.
QString upToNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

QString normalizedName(const QString& name)
{
    return trimmedBlanks(upToNul(name));
}

bool hasLineBreak(const QString& text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

Document::Line Document::makeLine(QString text, Ending ending)
{
    Line line;
    line.ending = ending;
    qsizetype first = 0;
    while (first < text.size() && isBlank(text[first]))
        ++first;
    if (first < text.size() && text[first] == u'[') {
        const qsizetype close = text.lastIndexOf(u']');
        if (close > first) {
            line.kind = Kind::Section;
            line.name = trimmedBlanks(QStringView(text).sliced(first + 1, close - first - 1));
        }
    } else if (first < text.size() && text[first] != u';') {
        const qsizetype equals = text.indexOf(u'=', first);
        if (equals >= 0) {
            line.kind = Kind::Key;
            line.name = trimmedBlanks(QStringView(text).first(equals));
            line.equals = equals;
        }
    }
    line.text = std::move(text);
    return line;
}

Document Document::fromBytes(QByteArrayView bytes)
{
    return fromBytes(bytes, CodePage::ofTextFile(bytes));
}

Document Document::fromBytes(QByteArrayView bytes, int codePage)
{
    // Decoding gives every byte back when the text is encoded again, so the
    // lines can be held as text and still be written out byte for byte.
    Document doc;
    const qsizetype n = bytes.size();
    qsizetype nextCr = bytes.indexOf('\r');
    qsizetype nextLf = bytes.indexOf('\n');
    qsizetype start = 0;
    while (start < n) {
        if (nextCr >= 0 && nextCr < start)
            nextCr = bytes.indexOf('\r', start);
        if (nextLf >= 0 && nextLf < start)
            nextLf = bytes.indexOf('\n', start);
        qsizetype end = n;
        Ending ending = Ending::None;
        qsizetype next = n;
        if (nextLf >= 0 && (nextCr < 0 || nextLf < nextCr)) {
            end = nextLf;
            ending = Ending::Lf;
            next = end + 1;
        } else if (nextCr >= 0) {
            end = nextCr;
            const bool crLf = nextLf == end + 1;
            ending = crLf ? Ending::CrLf : Ending::Cr;
            next = end + (crLf ? 2 : 1);
        }
        doc.m_lines.push_back(
            makeLine(CodePage::decode(bytes.sliced(start, end - start), codePage), ending));
        start = next;
    }
    return doc;
}

Document Document::load(const QString& filePath, bool* ok, QString* error)
{
    const auto fail = [&](const QString& reason) {
        if (ok)
            *ok = false;
        if (error)
            *error =
                QStringLiteral("Cannot read the settings file \"%1\": %2").arg(filePath, reason);
        return Document();
    };
    if (ok)
        *ok = true;
    if (filePath.isEmpty())
        return fail(QStringLiteral("no file name given"));
    const QFileInfo info(filePath);
    if (!info.exists())
        return Document();
    if (!info.isFile())
        return fail(QStringLiteral("not a regular file"));
    if (info.size() > kMaxFileSize)
        return fail(QStringLiteral("the file is too large (%1 bytes)").arg(info.size()));
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    // A chunk at a time: one read of the largest size allowed asks for that
    // much memory first, whatever the file holds.
    QByteArray bytes;
    while (bytes.size() <= kMaxFileSize) {
        const QByteArray chunk = file.read(64 * 1024);
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (bytes.size() > kMaxFileSize)
        return fail(QStringLiteral("the file is too large"));
    return fromBytes(bytes);
}

qsizetype Document::findSection(const QString& name) const
{
    for (qsizetype i = 0; i < qsizetype(m_lines.size()); ++i) {
        if (m_lines[i].kind == Kind::Section && sameName(m_lines[i].name, name))
            return i;
    }
    return -1;
}

qsizetype Document::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < qsizetype(m_lines.size()) && m_lines[i].kind != Kind::Section)
        ++i;
    return i;
}

qsizetype Document::findKey(qsizetype header, const QString& key) const
{
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == Kind::Key && sameName(m_lines[i].name, key))
            return i;
    }
    return -1;
}

QString Document::readString(const QString& section, const QString& key,
                             const QString& defaultValue) const
{
    const qsizetype header = findSection(normalizedName(section));
    const qsizetype index = header < 0 ? -1 : findKey(header, normalizedName(key));
    if (index < 0) {
        // Windows cuts trailing blanks off the default it hands back.
        qsizetype end = defaultValue.size();
        while (end > 0 && isBlank(defaultValue[end - 1]))
            --end;
        return defaultValue.left(end);
    }
    const Line& line = m_lines[index];
    QString value = trimmedBlanks(QStringView(line.text).sliced(line.equals + 1));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value;
}

bool Document::hasSection(const QString& section) const
{
    return findSection(normalizedName(section)) >= 0;
}

bool Document::hasKey(const QString& section, const QString& key) const
{
    const qsizetype header = findSection(normalizedName(section));
    return header >= 0 && findKey(header, normalizedName(key)) >= 0;
}

bool Document::writeString(const QString& section, const QString& key, const QString& value,
                           QString* error)
{
    const QString sectionName = normalizedName(section);
    const QString keyName = normalizedName(key);
    const QString text = upToNul(value);
    QString problem;
    if (sectionName.isEmpty())
        problem = QStringLiteral("empty section name");
    else if (hasLineBreak(sectionName))
        problem = QStringLiteral("line break in section name \"%1\"").arg(sectionName);
    else if (keyName.isEmpty())
        problem = QStringLiteral("empty key name");
    else if (hasLineBreak(keyName) || keyName.contains(u'=') || keyName.front() == u'[' ||
             keyName.front() == u';')
        problem = QStringLiteral("key name \"%1\" cannot be stored").arg(keyName);
    else if (hasLineBreak(text))
        problem = QStringLiteral("line break in the value of \"%1\"").arg(keyName);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }

    const qsizetype header = findSection(sectionName);
    if (header < 0) {
        // Windows starts a new section on the line right after the file's last
        // line, without a blank line between sections.
        if (!m_lines.empty() && m_lines.back().ending == Ending::None)
            m_lines.back().ending = Ending::CrLf;
        m_lines.push_back(makeLine(u'[' + sectionName + u']', Ending::CrLf));
        m_lines.push_back(makeLine(keyName + u'=' + text, Ending::CrLf));
        return true;
    }

    const qsizetype existing = findKey(header, keyName);
    if (existing >= 0) {
        // The name, up to and including '=', stays exactly as stored.
        Line& line = m_lines[existing];
        line = makeLine(line.text.first(line.equals + 1) + text, Ending::CrLf);
        return true;
    }

    qsizetype insertAt = header + 1;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == Kind::Key)
            insertAt = i + 1;
    }
    // Only the file's last line can lack a line end.
    if (m_lines[insertAt - 1].ending == Ending::None)
        m_lines[insertAt - 1].ending = Ending::CrLf;
    m_lines.insert(m_lines.begin() + insertAt, makeLine(keyName + u'=' + text, Ending::CrLf));
    return true;
}

bool Document::eraseSection(const QString& section)
{
    const QString name = normalizedName(section);
    bool removed = false;
    for (qsizetype header = findSection(name); header >= 0; header = findSection(name)) {
        m_lines.erase(m_lines.begin() + header, m_lines.begin() + sectionEnd(header));
        removed = true;
    }
    return removed;
}

QByteArray Document::toBytes(bool* complete) const
{
    QString text;
    for (const Line& line : m_lines) {
        text += line.text;
        switch (line.ending) {
        case Ending::CrLf:
            text += u"\r\n";
            break;
        case Ending::Lf:
            text += u'\n';
            break;
        case Ending::Cr:
            text += u'\r';
            break;
        case Ending::None:
            break;
        }
    }
    return CodePage::encodeTextFile(text, complete);
}

bool Document::save(const QString& filePath, QString* error) const
{
    bool complete = false;
    const QByteArray bytes = toBytes(&complete);
    if (!complete) {
        if (error)
            *error = QStringLiteral(
                         "Cannot write the settings file \"%1\": it holds damaged text that no "
                         "encoding can store")
                         .arg(filePath);
        return false;
    }
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
        !commitWhole(file)) {
        if (error)
            *error = QStringLiteral("Cannot write the settings file \"%1\": %2")
                         .arg(filePath, file.errorString());
        return false;
    }
    return true;
}

QString readString(const QString& filePath, const QString& section, const QString& key,
                   const QString& defaultValue)
{
    return Document::load(filePath).readString(section, key, defaultValue);
}

bool writeString(const QString& filePath, const QString& section, const QString& key,
                 const QString& value, QString* error)
{
    bool ok = false;
    Document doc = Document::load(filePath, &ok, error);
    if (!ok)
        return false;
    QString problem;
    if (!doc.writeString(section, key, value, &problem)) {
        if (error)
            *error =
                QStringLiteral("Cannot write the settings file \"%1\": %2").arg(filePath, problem);
        return false;
    }
    return doc.save(filePath, error);
}

bool eraseSection(const QString& filePath, const QString& section, QString* error)
{
    bool ok = false;
    Document doc = Document::load(filePath, &ok, error);
    if (!ok)
        return false;
    return !doc.eraseSection(section) || doc.save(filePath, error);
}

} // namespace Ini
