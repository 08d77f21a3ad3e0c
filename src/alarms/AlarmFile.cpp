#include "alarms/AlarmFile.h"
#include "formats/SaveFile.h"

#include "formats/CodePage.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <optional>

namespace {

constexpr int FieldsPerLine = 8;
constexpr qsizetype TimeBlank = 10; // the blank between date and time in a Time text

bool isSeparatorBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

// Line breaks would split the line; a NUL ended the text for the Windows version.
bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c.isNull();
}

QString withoutLineBreaks(const QString& text)
{
    if (std::none_of(text.begin(), text.end(), isLineBreak))
        return text;
    QString result = text;
    std::replace_if(result.begin(), result.end(), isLineBreak, QChar(u' '));
    return result;
}

bool needsQuotes(QStringView text, bool blanksAllowed)
{
    if (text.startsWith(u'"'))
        return true;
    for (const QChar c : text) {
        if (c == u'-' || (isSeparatorBlank(c) && !(blanksAllowed && c == u' ')))
            return true;
    }
    return false;
}

void appendQuoted(QString& line, QStringView text)
{
    line += u'"';
    for (const QChar c : text) {
        if (c == u'"')
            line += u'"';
        line += c;
    }
    line += u'"';
}

// The field and the "-" after it.
void appendField(QString& line, QStringView text)
{
    if (needsQuotes(text, false))
        appendQuoted(line, text);
    else
        line += text;
    line += u'-';
}

void appendNameField(QString& line, QStringView name)
{
    // Blanks are written as "+", which reads back as a blank; a name that holds
    // "+" itself would come back changed, so it is quoted and kept as it stands.
    if (needsQuotes(name, true) || name.contains(u'+')) {
        appendQuoted(line, name);
    } else {
        for (const QChar c : name)
            line += c == u' ' ? QChar(u'+') : c;
    }
    line += u'-';
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
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
    fields.reserve(FieldsPerLine);
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

bool AlarmFile::takeLine(QStringView line, qint64 lineNumber, const RowTaker& take)
{
    QList<Field> fields = splitFields(line);
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
    row.name = std::move(fields[1].text);
    if (!fields[1].quoted)
        row.name.replace(u'+', u' ');
    row.time = std::move(fields[2].text);
    row.time.insert(std::min(TimeBlank, row.time.size()), u' ');
    row.duration = std::move(fields[3].text);
    row.unit = std::move(fields[4].text);
    row.sound = std::move(fields[5].text);
    row.active = std::move(fields[6].text);
    take(std::move(row));
    return true;
}

bool AlarmFile::read(QIODevice& device)
{
    return read(device, [this](AlarmRow&& row) { m_rows.append(std::move(row)); });
}

bool AlarmFile::read(QIODevice& device, const RowTaker& take)
{
    m_rows.clear();
    m_corrupted = false;
    m_error.clear();

    // The file is in UTF-8 or in the code page as a whole: read it all first.
    QByteArray bytes;
    if (!device.isSequential())
        bytes.reserve(qsizetype(std::clamp<qint64>(device.size() - device.pos(), 0, 1 << 30)));
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
    const int codePage = CodePage::ofTextFile(bytes);

    // Line by line: no byte of a line break is part of a character in any of
    // the encodings, so each line decodes as it would within the whole text.
    qint64 lineNumber = 0;
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const QString line =
            CodePage::decode(QByteArrayView(bytes).sliced(start, end - start), codePage);
        if (!takeLine(line, ++lineNumber, take))
            return false;
        if (end + 1 < size && bytes[end] == '\r' && bytes[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return true;
}

bool AlarmFile::load(const QString& path)
{
    return load(path, [this](AlarmRow&& row) { m_rows.append(std::move(row)); });
}

bool AlarmFile::load(const QString& path, const RowTaker& take)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_rows.clear();
        m_corrupted = false;
        m_error = QDir::toNativeSeparators(path) + QStringLiteral(" could not be opened: ") +
                  file.errorString();
        return false;
    }
    if (read(file, take))
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
    QString line;
    line.reserve(row.name.size() + time.size() + row.duration.size() + row.unit.size() +
                 row.sound.size() + row.active.size() + 16);
    line += row.enabled ? u'1' : u'0';
    line += u'-';
    appendNameField(line, withoutLineBreaks(row.name));
    appendField(line, time);
    appendField(line, withoutLineBreaks(row.duration));
    appendField(line, withoutLineBreaks(row.unit));
    appendField(line, withoutLineBreaks(row.sound));
    appendField(line, withoutLineBreaks(row.active));
    line += u"\r\n";
    return line;
}

QByteArray AlarmFile::lineOf(const AlarmRow& row)
{
    return toBytes({row});
}

bool AlarmFile::encodeLines(qsizetype count, const RowSource& rowAt,
                            const std::function<bool(const QByteArray&)>& put, bool refuseDamaged,
                            bool* complete)
{
    // The choice the whole text would get (CodePage::encodeTextFile), made line
    // by line: the code page when it holds every line and its bytes cannot be
    // taken for UTF-8, which they are when some line is not ASCII and every
    // line is valid UTF-8 (a line break never cuts a UTF-8 sequence).
    bool inCodePage = true;
    bool nonAscii = false;
    bool allUtf8 = true;
    bool wholeUtf16 = true;
    for (qsizetype i = 0; i < count && (inCodePage || wholeUtf16); ++i) {
        const AlarmRow row = rowAt(i);
        // A row of ASCII text makes a line of ASCII, which changes nothing here.
        if (isAscii(row.name) && isAscii(row.time) && isAscii(row.duration) && isAscii(row.unit) &&
            isAscii(row.sound) && isAscii(row.active))
            continue;
        const QString text = lineText(row);
        if (inCodePage) {
            const std::optional<QByteArray> bytes = CodePage::encode(text);
            if (!bytes) {
                inCodePage = false;
            } else if (CodePage::ofTextFile(*bytes) == CodePage::Utf8) {
                nonAscii = true;
            } else {
                for (const char b : *bytes) {
                    if (static_cast<unsigned char>(b) >= 0x80) {
                        nonAscii = true;
                        allUtf8 = false;
                        break;
                    }
                }
            }
        }
        if (wholeUtf16 && !text.isValidUtf16())
            wholeUtf16 = false;
    }
    const bool useCodePage =
        inCodePage && (CodePage::system() == CodePage::Utf8 || !(nonAscii && allUtf8));
    *complete = useCodePage || wholeUtf16;
    if (refuseDamaged && !*complete)
        return true;

    constexpr qsizetype Piece = 1 << 16;
    QByteArray piece;
    piece.reserve(Piece + 256);
    for (qsizetype i = 0; i < count; ++i) {
        const QString text = lineText(rowAt(i));
        piece += useCodePage ? CodePage::encode(text).value_or(QByteArray()) : text.toUtf8();
        if (piece.size() >= Piece) {
            if (!put(piece))
                return false;
            piece.clear();
        }
    }
    return piece.isEmpty() || put(piece);
}

QByteArray AlarmFile::toBytes(const QList<AlarmRow>& rows, bool* complete)
{
    QByteArray bytes;
    bool whole = false;
    encodeLines(
        rows.size(), [&rows](qsizetype i) { return rows[i]; },
        [&bytes](const QByteArray& piece) {
            bytes += piece;
            return true;
        },
        false, &whole);
    if (complete)
        *complete = whole;
    return bytes;
}

bool AlarmFile::write(QIODevice& device, const QList<AlarmRow>& rows)
{
    return write(device, rows.size(), [&rows](qsizetype i) { return rows[i]; });
}

bool AlarmFile::write(QIODevice& device, qsizetype count, const RowSource& rowAt)
{
    m_error.clear();
    bool complete = false;
    const bool written = encodeLines(
        count, rowAt,
        [&device](const QByteArray& piece) { return device.write(piece) == piece.size(); }, true,
        &complete);
    if (!complete) {
        m_error = describeDevice(device) +
                  QStringLiteral(" was not written: an alarm holds damaged text "
                                 "(a broken character) that no encoding can store");
        return false;
    }
    if (!written) {
        m_error = describeDevice(device) + QStringLiteral(" could not be written: ") +
                  device.errorString();
        return false;
    }
    return true;
}

bool AlarmFile::save(const QString& path, const QList<AlarmRow>& rows)
{
    return save(path, rows.size(), [&rows](qsizetype i) { return rows[i]; });
}

bool AlarmFile::save(const QString& path, qsizetype count, const RowSource& rowAt)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = QDir::toNativeSeparators(path) + QStringLiteral(" could not be written: ") +
                  file.errorString();
        return false;
    }
    if (!write(file, count, rowAt))
        return false;
    if (!commitWhole(file)) {
        m_error = QDir::toNativeSeparators(path) + QStringLiteral(" could not be written: ") +
                  file.errorString();
        return false;
    }
    return true;
}
