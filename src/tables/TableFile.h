#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

// The table file: text in the system code page, or wholly in UTF-8 when a cell
// holds a character the code page lacks (see CodePage); every line ended by CR LF. Line 1 holds
// the column count, line 2 the row count, then one line per cell, column by
// column: the cells of column 0 from row 0 down, then those of column 1, and
// so on. Header cells are stored like the others; an empty cell is an empty
// line.
namespace TableFile {

// The largest table a file may hold. Larger counts are refused before any
// cell is made.
inline constexpr qint64 MaxCells = 1'000'000;
// The longest line a reader takes, without its line end.
inline constexpr qint64 MaxLineBytes = 1024 * 1024;

// The message the table window shows first for a count line that holds no
// number, as the Windows version did.
inline const QString InvalidNumericInput = QStringLiteral("Invalid numeric input");

// Cell texts column by column: columns[c][r].
using Columns = QList<QStringList>;

// An empty table of the given size.
Columns emptyColumns(int columns, int rows);

// Reads a table file in two steps, so that the counts can be taken by the
// grid before its cells are read. Lines end with CR LF, LF or a lone CR.
class Reader {
public:
    explicit Reader(QIODevice& device);

    // Reads line 1, the column count, so that the grid takes it before line 2
    // is read. On each count line blanks are skipped, then a decimal number
    // with an optional sign is taken and the rest of the line ignored. Counts
    // below 1 are given as read (the grid makes them 1). More than MaxCells
    // columns are refused.
    bool readColumnCount(int* columns);
    // Reads line 2, the row count, the same way. A table of more than MaxCells
    // cells, counting each count as at least 1, is refused.
    bool readRowCount(int columns, int* rows);
    // Reads columns x rows cell lines, column by column. Lines missing at the
    // end of the file read as empty texts. *cells always receives a table of
    // that size: on failure with the texts read so far and empty ones after.
    bool readCells(int columns, int rows, Columns* cells);

    QString errorString() const { return m_error; }

private:
    enum class Line { Read, End, Failed };
    Line nextLine(QByteArray* line);
    bool fill();
    bool readCount(int* count);

    QIODevice& m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_deviceDone = false;
    int m_lineNumber = 0;
    qint64 m_lineOffset = 0;
    qint64 m_consumed = 0;
    QString m_error;
};

// The bytes of a table file holding rows rows of each column. A line break
// inside a cell text is written as a blank, so that every later cell keeps
// its line.
// *complete is false when a cell holds damaged text that no encoding can store;
// write and save then refuse to write.
QByteArray toBytes(const Columns& columns, int rows, bool* complete = nullptr);

// Writes the table to an open device.
bool write(QIODevice& device, const Columns& columns, int rows, QString* error);

// Creates or replaces the file through a save file: it is replaced whole or
// left as it was. A missing folder gives "Invalid filename", a file that may
// not be written "File access denied", each followed by the path.
bool save(const QString& path, const Columns& columns, int rows, QString* error);

// Replaces target with a copy of source, whole or not at all, under the same
// rules as save.
bool copy(const QString& source, const QString& target, QString* error = nullptr);

} // namespace TableFile
