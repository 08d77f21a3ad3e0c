#include "tables/TableFile.h"
#include "formats/SaveFile.h"

#include "formats/CodePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>

#include <algorithm>
#include <limits>

namespace TableFile {
namespace {

constexpr qint64 ChunkBytes = 64 * 1024;

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// A line's text for a message: decoded and cut short.
QString quoted(const QByteArray& bytes)
{
    constexpr int Shown = 24;
    QString text =
        CodePage::decode(QByteArrayView(bytes).first(qMin<qsizetype>(bytes.size(), Shown)));
    if (bytes.size() > Shown)
        text += QStringLiteral("...");
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Checks the place of a file about to be written; on failure the text-file
// layer's message for it, followed by the path.
bool checkWritable(const QString& path, QString* error)
{
    const QFileInfo info(path);
    QString problem;
    if (!QFileInfo(info.absolutePath()).isDir())
        problem = QStringLiteral("Invalid filename");
    else if (info.exists() && (info.isDir() || !info.isWritable()))
        problem = QStringLiteral("File access denied");
    if (problem.isEmpty())
        return true;
    if (error)
        *error = problem + QStringLiteral("\nThe table file %1 cannot be written.")
                               .arg(QDir::toNativeSeparators(path));
    return false;
}

bool writeWhole(const QString& path, const QByteArray& bytes, QString* error)
{
    if (!checkWritable(path, error))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = (file.error() == QFileDevice::PermissionsError
                          ? QStringLiteral("File access denied")
                          : file.errorString()) +
                     QStringLiteral("\nThe table file %1 cannot be written.")
                         .arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (file.write(bytes) != bytes.size() || !commitWhole(file)) {
        if (error)
            *error = file.errorString() +
                     QStringLiteral(
                         "\nThe table file %1 could not be written whole; it is left as it was.")
                         .arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

const QString DamagedText =
    QStringLiteral("The table holds damaged text (a broken character) that no encoding can store.");

} // namespace

Columns emptyColumns(int columns, int rows)
{
    Columns out;
    out.reserve(columns);
    const QStringList column(rows);
    for (int c = 0; c < columns; ++c)
        out.append(column);
    return out;
}

Reader::Reader(QIODevice& device) : m_device(device) {}

bool Reader::fill()
{
    if (m_deviceDone)
        return true;
    if (m_pos > 0) {
        m_buffer.remove(0, m_pos);
        m_consumed += m_pos;
        m_pos = 0;
    }
    const qsizetype before = m_buffer.size();
    m_buffer.resize(before + ChunkBytes);
    const qint64 got = m_device.read(m_buffer.data() + before, ChunkBytes);
    if (got < 0) {
        m_buffer.resize(before);
        m_deviceDone = true;
        m_error = QStringLiteral("The table file cannot be read after byte %1: %2")
                      .arg(m_consumed + before)
                      .arg(m_device.errorString());
        return false;
    }
    m_buffer.resize(before + got);
    if (got == 0)
        m_deviceDone = true;
    return true;
}

Reader::Line Reader::nextLine(QByteArray* line)
{
    qsizetype scanned = 0; // bytes after m_pos known to hold no line end
    for (;;) {
        qsizetype end = -1;
        for (qsizetype i = m_pos + scanned; i < m_buffer.size(); ++i) {
            const char c = m_buffer.at(i);
            if (c == '\n' || c == '\r') {
                end = i;
                break;
            }
        }
        const qsizetype length = (end < 0 ? m_buffer.size() : end) - m_pos;
        if (length > MaxLineBytes) {
            m_error = QStringLiteral(
                          "Line %1 of the table file, at byte %2, is longer than 1 MB (%3 bytes).")
                          .arg(m_lineNumber + 1)
                          .arg(m_consumed + m_pos)
                          .arg(MaxLineBytes);
            return Line::Failed;
        }
        // A CR at the end of what is read may be the first half of CR LF.
        const bool crAtEdge = end >= 0 && m_buffer.at(end) == '\r' && end + 1 == m_buffer.size();
        if ((end < 0 || crAtEdge) && !m_deviceDone) {
            scanned = length;
            if (!fill())
                return Line::Failed;
            continue;
        }
        if (end < 0 && length == 0)
            return Line::End;
        ++m_lineNumber;
        m_lineOffset = m_consumed + m_pos;
        *line = m_buffer.mid(m_pos, length);
        if (end < 0) {
            m_pos = m_buffer.size();
        } else {
            m_pos = end + 1;
            if (m_buffer.at(end) == '\r' && m_pos < m_buffer.size() && m_buffer.at(m_pos) == '\n')
                ++m_pos;
        }
        return Line::Read;
    }
}

bool Reader::readCount(int* count)
{
    QByteArray line;
    const int number = m_lineNumber + 1;
    switch (nextLine(&line)) {
    case Line::Failed:
        return false;
    case Line::End:
        m_error = InvalidNumericInput +
                  QStringLiteral("\nThe table file ends before line %1, which should hold a count.")
                      .arg(number);
        return false;
    case Line::Read:
        break;
    }
    qsizetype i = 0;
    while (i < line.size() && isBlank(line.at(i)))
        ++i;
    bool negative = false;
    if (i < line.size() && (line.at(i) == '+' || line.at(i) == '-')) {
        negative = line.at(i) == '-';
        ++i;
    }
    const qsizetype digitsStart = i;
    // Held just beyond the int range once it leaves it, in either direction.
    constexpr qint64 Beyond = qint64(std::numeric_limits<int>::max()) + 2;
    qint64 value = 0;
    for (; i < line.size() && line.at(i) >= '0' && line.at(i) <= '9'; ++i)
        value = std::min(value * 10 + (line.at(i) - '0'), Beyond);
    const bool ok = i > digitsStart;
    if (negative)
        value = -value;
    if (!ok || value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min()) {
        m_error = InvalidNumericInput +
                  QStringLiteral(
                      "\nLine %1 of the table file, at byte %2, holds %3 where a count should be.")
                      .arg(m_lineNumber)
                      .arg(m_lineOffset)
                      .arg(quoted(line));
        return false;
    }
    *count = int(value);
    return true;
}

bool Reader::readColumnCount(int* columns)
{
    int c = 0;
    if (!readCount(&c))
        return false;
    if (c > MaxCells) {
        m_error =
            QStringLiteral("The table is too large: line 1 of the table file gives %1 columns; "
                           "a table holds at most %2 cells.")
                .arg(c)
                .arg(MaxCells);
        return false;
    }
    *columns = c;
    return true;
}

bool Reader::readRowCount(int columns, int* rows)
{
    int r = 0;
    if (!readCount(&r))
        return false;
    const qint64 cells = qint64(std::max(columns, 1)) * qint64(std::max(r, 1));
    if (cells > MaxCells) {
        m_error = QStringLiteral(
                      "The table is too large: lines 1 and 2 of the table file give %1 columns "
                      "by %2 rows, %3 cells; a table holds at most %4 cells.")
                      .arg(columns)
                      .arg(r)
                      .arg(cells)
                      .arg(MaxCells);
        return false;
    }
    *rows = r;
    return true;
}

bool Reader::readCells(int columns, int rows, Columns* cells)
{
    columns = std::max(columns, 0);
    rows = std::max(rows, 0);
    // The file is in UTF-8 or in the code page as a whole, so the lines are
    // decoded once all of them are read.
    QList<QByteArrayList> lines;
    lines.reserve(columns);
    bool ended = false;
    bool failed = false;
    QByteArray line;
    for (int c = 0; c < columns; ++c) {
        QByteArrayList column;
        for (int r = 0; r < rows && !ended && !failed; ++r) {
            switch (nextLine(&line)) {
            case Line::Read:
                column.append(line);
                break;
            case Line::End:
                ended = true;
                break;
            case Line::Failed:
                failed = true;
                break;
            }
        }
        lines.append(std::move(column));
    }
    QByteArrayList all;
    for (const QByteArrayList& column : lines)
        all += column;
    const int codePage = CodePage::ofTextFile(all.join('\n'));

    cells->clear();
    cells->reserve(columns);
    for (const QByteArrayList& column : lines) {
        QStringList texts;
        texts.reserve(rows);
        for (const QByteArray& bytes : column)
            texts.append(bytes.isEmpty() ? QString() : CodePage::decode(bytes, codePage));
        texts.resize(rows);
        cells->append(std::move(texts));
    }
    return !failed;
}

QByteArray toBytes(const Columns& columns, int rows, bool* complete)
{
    QString text;
    qsizetype size = 32;
    for (const QStringList& column : columns)
        for (int r = 0; r < rows && r < column.size(); ++r)
            size += column.at(r).size() + 2;
    text.reserve(size + qsizetype(columns.size()) * rows * 2);

    text += QString::number(columns.size()) + QStringLiteral("\r\n") + QString::number(rows) +
            QStringLiteral("\r\n");
    for (const QStringList& column : columns) {
        for (int r = 0; r < rows; ++r) {
            if (r < column.size()) {
                const QString& cell = column.at(r);
                if (cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'))) {
                    QString oneLine = cell;
                    oneLine.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
                    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '));
                    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
                    text += oneLine;
                } else {
                    text += cell;
                }
            }
            text += QStringLiteral("\r\n");
        }
    }
    return CodePage::encodeTextFile(text, complete);
}

bool write(QIODevice& device, const Columns& columns, int rows, QString* error)
{
    bool complete = false;
    const QByteArray bytes = toBytes(columns, rows, &complete);
    if (!complete) {
        if (error)
            *error = DamagedText;
        return false;
    }
    if (device.write(bytes) != bytes.size()) {
        if (error)
            *error = QStringLiteral("The table could not be written: %1").arg(device.errorString());
        return false;
    }
    return true;
}

bool save(const QString& path, const Columns& columns, int rows, QString* error)
{
    bool complete = false;
    const QByteArray bytes = toBytes(columns, rows, &complete);
    if (!complete) {
        if (error)
            *error = DamagedText + QStringLiteral("\nThe table file %1 is left as it was.")
                                       .arg(QDir::toNativeSeparators(path));
        return false;
    }
    return writeWhole(path, bytes, error);
}

bool copy(const QString& source, const QString& target, QString* error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("The table file %1 cannot be read: %2")
                         .arg(QDir::toNativeSeparators(source), in.errorString());
        return false;
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("The table file %1 cannot be read: %2")
                         .arg(QDir::toNativeSeparators(source), in.errorString());
        return false;
    }
    return writeWhole(target, bytes, error);
}

} // namespace TableFile
