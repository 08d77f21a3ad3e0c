#include "alarms/AlarmFile.h"
#include "platform/SaveFile.h"

#include "platform/CodePage.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

constexpr int FieldsPerLine = 8;
constexpr qsizetype TimeBlank = 10; // the blank between date and time in a Time text

bool isSeparatorBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

QString withoutLineBreaks(QString text)
{
    // Line breaks would split the line; a NUL ended the text for the Windows version.
    for (QChar& c : text) {
        if (c == u'\r' || c == u'\n' || c.isNull())
            c = u' ';
    }
    return text;
}

bool needsQuotes(const QString& text, bool blanksAllowed)
{
    if (text.startsWith(u'"'))
        return true;
    for (const QChar c : text) {
        if (c == u'-' || (isSeparatorBlank(c) && !(blanksAllowed && c == u' ')))
            return true;
    }
    return false;
}

QString quoted(QString text)
{
    return u'"' + text.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString fieldText(const QString& text)
{
    return needsQuotes(text, false) ? quoted(text) : text;
}

QString nameField(const QString& name)
{
    // Blanks are written as "+", which reads back as a blank; a name that holds
    // "+" itself would come back changed, so it is quoted and kept as it stands.
    if (needsQuotes(name, true) || name.contains(u'+'))
        return quoted(name);
    QString text = name;
    return text.replace(u' ', u'+');
}

QString describeDevice(const QIODevice& device)
{
    if (const auto* file = qobject_cast<const QFileDevice*>(&device))
        return QDir::toNativeSeparators(file->fileName());
    return QStringLiteral("the alarm file");
}

} // namespace

QList<AlarmFile::Field> AlarmFile::splitFields(QStringView line)
{
    QList<Field> fields;
    const qsizetype n = line.size();
    qsizetype p = 0;
    while (p < n && isSeparatorBlank(line[p]))
        ++p;
    while (p < n) {
        Field field;
        if (line[p] == u'"') {
            field.quoted = true;
            ++p;
            while (true) {
                const qsizetype close = line.indexOf(u'"', p);
                if (close < 0) {
                    field.text += line.mid(p);
                    p = n;
                    break;
                }
                field.text += line.mid(p, close - p);
                if (close + 1 < n && line[close + 1] == u'"') {
                    field.text += u'"';
                    p = close + 2;
                    continue;
                }
                p = close + 1;
                break;
            }
        } else {
            const qsizetype start = p;
            while (p < n && !isSeparatorBlank(line[p]) && line[p] != u'-')
                ++p;
            field.text = line.mid(start, p - start).toString();
        }
        fields.append(std::move(field));

        while (p < n && isSeparatorBlank(line[p]))
            ++p;
        if (p < n && line[p] == u'-') {
            if (p + 1 == n)
                fields.append(Field{});
            ++p;
            while (p < n && isSeparatorBlank(line[p]))
                ++p;
        }
    }
    return fields;
}

bool AlarmFile::takeLine(QStringView line, qint64 lineNumber)
{
    const QList<Field> fields = splitFields(line);
    if (fields.size() != FieldsPerLine) {
        m_corrupted = true;
        m_error = QStringLiteral("line %1 holds %2 fields instead of %3")
                      .arg(lineNumber)
                      .arg(fields.size())
                      .arg(FieldsPerLine);
        return false;
    }
    AlarmRow row;
    row.enabled = fields[0].text == u"1";
    row.name = fields[1].text;
    if (!fields[1].quoted)
        row.name.replace(u'+', u' ');
    row.time = fields[2].text;
    row.time.insert(std::min(TimeBlank, row.time.size()), u' ');
    row.duration = fields[3].text;
    row.unit = fields[4].text;
    row.sound = fields[5].text;
    row.active = fields[6].text;
    m_rows.append(std::move(row));
    return true;
}

bool AlarmFile::read(QIODevice& device)
{
    m_rows.clear();
    m_corrupted = false;
    m_error.clear();

    // The file is in UTF-8 or in the code page as a whole: read it all first.
    QByteArray bytes;
    char chunk[1 << 16];
    for (;;) {
        const qint64 got = device.read(chunk, sizeof chunk);
        if (got < 0) {
            m_error = describeDevice(device) + QStringLiteral(" could not be read: ") +
                      device.errorString();
            return false;
        }
        if (got == 0)
            break;
        bytes.append(chunk, got);
    }
    const QString text = CodePage::decodeTextFile(bytes);

    qint64 lineNumber = 0;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        if (!takeLine(QStringView(text).sliced(start, end - start), ++lineNumber))
            return false;
        if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
    return true;
}

bool AlarmFile::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_rows.clear();
        m_corrupted = false;
        m_error = QDir::toNativeSeparators(path) + QStringLiteral(" could not be opened: ") +
                  file.errorString();
        return false;
    }
    if (read(file))
        return true;
    if (m_corrupted)
        m_error = QDir::toNativeSeparators(path) + QStringLiteral(", ") + m_error;
    return false;
}

QString AlarmFile::lineText(const AlarmRow& row)
{
    // The reader's blank goes: at TimeBlank, or at the end of a shorter field,
    // so that a row read from a file is written back as it stood.
    QString time = withoutLineBreaks(row.time);
    if (!time.isEmpty())
        time.remove(std::min(TimeBlank, time.size() - 1), 1);
    return (row.enabled ? QStringLiteral("1") : QStringLiteral("0")) + u'-' +
           nameField(withoutLineBreaks(row.name)) + u'-' + fieldText(time) + u'-' +
           fieldText(withoutLineBreaks(row.duration)) + u'-' + fieldText(withoutLineBreaks(row.unit)) + u'-' +
           fieldText(withoutLineBreaks(row.sound)) + u'-' + fieldText(withoutLineBreaks(row.active)) +
           QStringLiteral("-\r\n");
}

QByteArray AlarmFile::lineOf(const AlarmRow& row)
{
    return toBytes({row});
}

QByteArray AlarmFile::toBytes(const QList<AlarmRow>& rows, bool* complete)
{
    QString text;
    text.reserve(rows.size() * 64);
    for (const AlarmRow& row : rows)
        text += lineText(row);
    return CodePage::encodeTextFile(text, complete);
}

bool AlarmFile::write(QIODevice& device, const QList<AlarmRow>& rows)
{
    m_error.clear();
    bool complete = false;
    const QByteArray bytes = toBytes(rows, &complete);
    if (!complete) {
        m_error = describeDevice(device) + QStringLiteral(" was not written: an alarm holds damaged text "
                                                          "(a broken character) that no encoding can store");
        return false;
    }
    if (device.write(bytes) != bytes.size()) {
        m_error = describeDevice(device) + QStringLiteral(" could not be written: ") +
                  device.errorString();
        return false;
    }
    return true;
}

bool AlarmFile::save(const QString& path, const QList<AlarmRow>& rows)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = QDir::toNativeSeparators(path) + QStringLiteral(" could not be written: ") +
                  file.errorString();
        return false;
    }
    if (!write(file, rows))
        return false;
    if (!commitWhole(file)) {
        m_error = QDir::toNativeSeparators(path) + QStringLiteral(" could not be written: ") +
                  file.errorString();
        return false;
    }
    return true;
}
