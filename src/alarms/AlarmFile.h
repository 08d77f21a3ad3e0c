#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

class QIODevice;

// One alarm as the alarm list shows it: every value is the text of its cell.
struct AlarmRow {
    bool enabled = false;
    QString name;
    QString time; // "dd.mm.yyyy hh:nn:ss"
    QString duration;
    QString unit;
    QString sound;
    QString active;

    bool operator==(const AlarmRow&) const = default;
};

// The alarm file "Alarm.dat": one line per row, in list order, in the system
// code page (or wholly in UTF-8 when a row holds a character the code page
// lacks, see CodePage), every line ended by CR LF. A line holds seven fields each followed by "-":
// the check box ("1" or "0"), the name with its blanks written as "+", the Time
// text without the blank between date and time, Duration, Unit, Sound, Active.
//
// A field holding "-", a character with a code from 1 to 32 or a leading double
// quote, and a name holding "+", is written between double quotes (doubling the
// quotes inside), so it reads back unchanged; a quoted name keeps its blanks and
// "+" as they stand. Files without such values are written exactly as the
// Windows version wrote them.
class AlarmFile {
public:
    // Reads lines until the end or the first line that does not split into
    // exactly eight fields. Returns false when the device cannot be read or such
    // a line was met (isCorrupted()); rows() then holds the rows before it and
    // errorString() names the line.
    bool read(QIODevice& device);
    bool load(const QString& path);

    // The same, handing each row to take as it is read instead of keeping it
    // in rows(): a list of a million alarms is never held twice.
    using RowTaker = std::function<void(AlarmRow&&)>;
    bool read(QIODevice& device, const RowTaker& take);
    bool load(const QString& path, const RowTaker& take);

    // Writes the rows. Returns false and sets errorString() when the device or
    // file cannot be written; save() replaces the file whole or not at all.
    bool write(QIODevice& device, const QList<AlarmRow>& rows);
    bool save(const QString& path, const QList<AlarmRow>& rows);

    // The same for count rows asked for one at a time (rowAt(0) to
    // rowAt(count - 1)), written in pieces rather than as one text.
    using RowSource = std::function<AlarmRow(qsizetype)>;
    bool write(QIODevice& device, qsizetype count, const RowSource& rowAt);
    bool save(const QString& path, qsizetype count, const RowSource& rowAt);

    const QList<AlarmRow>& rows() const { return m_rows; }
    bool isCorrupted() const { return m_corrupted; }
    QString errorString() const { return m_error; }

    // The fields of one line: separated by "-", by runs of characters with codes
    // 1 to 32, or by both together; such characters at the start are skipped; a
    // "-" ending the line yields one more, empty, field; a field that begins
    // with a double quote runs to its closing quote (or the end of the line),
    // two double quotes inside standing for one.
    struct Field {
        QString text;
        bool quoted = false;
    };
    static QList<Field> splitFields(QStringView line);

    // One line of the file with its CR LF, as a file of that one row.
    static QByteArray lineOf(const AlarmRow& row);
    // *complete is false when a row holds damaged text that no encoding can
    // store; write and save then refuse to write.
    static QByteArray toBytes(const QList<AlarmRow>& rows, bool* complete = nullptr);

private:
    static QString lineText(const AlarmRow& row);
    // The lines of the rows in the encoding toBytes() describes, handed to
    // put in pieces; false when put refused a piece. With refuseDamaged,
    // nothing is handed over when *complete comes out false.
    static bool encodeLines(qsizetype count, const RowSource& rowAt,
                            const std::function<bool(const QByteArray&)>& put, bool refuseDamaged,
                            bool* complete);
    bool takeLine(QStringView line, qint64 lineNumber, const RowTaker& take);

    QList<AlarmRow> m_rows;
    bool m_corrupted = false;
    QString m_error;
};
