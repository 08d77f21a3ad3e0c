#pragma once

#include "find/FoldedText.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// Where a hit was found.
enum class FoundIn { Name, Note, Table, Alarm };

// The words the find window shows for a place: "name", "note", "table", "alarm".
QString foundInText(FoundIn where);

// An object's name and the text of its note and table, each folded for
// finding: what the worker reads of an object for the index.
struct ObjectText {
    QString name;
    // The note's and the table's text, held only where there is some: most
    // objects of a large board have neither, and the index holds every object.
    struct Contents {
        CompactText note; // the note's plain text: a position in it is a caret position
        FoldedText foldedNote;
        // Every cell text, column by column, each followed by a separator that
        // no query holds, so that no match runs from one cell into the next.
        QString cells;
        FoldedText foldedCells;
        int rows = 0;
    };
    std::shared_ptr<const Contents> contents;

    static ObjectText forName(const QString& name);
    void setNote(const QString& plainText);
    void setNote(CompactText plainText);
    void setTable(const QList<QStringList>& columns, int rowCount);

private:
    Contents& writableContents();
};

struct FindHit {
    QString object;
    FoundIn where = FoundIn::Name;
    // A short piece of the text around the match, on one line, and the match in it.
    QString excerpt;
    qsizetype markStart = 0;
    qsizetype markLength = 0;
    // In a note: where the match starts and how long it is, in the note's text.
    qsizetype position = 0;
    qsizetype length = 0;
    // In a table: the cell.
    int column = -1;
    int row = -1;
};

// The texts of the open project's objects, searched as the user types: names
// first, then notes, tables and alarm names, each in object order. Used from
// one thread only; the worker that reads the files hands its results over.
class FindIndex {
public:
    // Makes a record of each name, holding the name only; replaces what was held.
    void reset(const QStringList& names);
    // Replaces the record of text.name, when that object is in the index.
    // False (and nothing changes) when it is not: it was removed meanwhile.
    bool update(ObjectText text);
    void add(const QString& name);
    void remove(const QString& name);
    bool contains(const QString& name) const { return recordOf(name) >= 0; }
    qsizetype size() const { return qsizetype(m_objects.size()) - m_removed; }
    // The names of the objects held, in the order they came.
    QStringList names() const;

    // The first maxHits hits of query, and in *more whether there are others.
    // Alarm names are searched as given, with the object each belongs to.
    QList<FindHit> find(const QString& query, const QStringList& alarmNames, int maxHits,
                        bool* more = nullptr) const;

private:
    // What is held of one object: most objects of a large board have a name only.
    struct Record {
        QString name; // empty once removed
        // Where the name starts in m_names' original: a board's names take
        // far fewer than 2^31 characters.
        qint32 start = 0;
        qint32 texts = -1; // where its note and table are in m_texts; -1 while none were read
    };
    void appendName(const QString& name);
    // Where in m_slots the record number of name is, or the free place it would go.
    qsizetype slotOf(QStringView name) const;
    // The number of the record of name; -1 when there is none.
    qint32 recordOf(QStringView name) const
    {
        return name.isEmpty() ? -1 : m_slots[size_t(slotOf(name))];
    }
    void makeSlots(qsizetype count);

    std::vector<Record> m_objects; // in the order objects came
    // Every name of m_objects folded, each followed by a separator that no
    // query holds: one text for all names, searched in one pass, rather than
    // a folded copy of each.
    FoldedText m_names;
    // The notes and tables read, of the few objects that have any; a removed
    // object's stay empty until the next compaction.
    std::vector<std::shared_ptr<const ObjectText::Contents>> m_texts;
    // The record number of each name, by its hash (-1 where free): a table
    // of numbers, a fifth of the memory of a hash of names. A removed
    // record's number stays until the next compaction, matching no name.
    std::vector<qint32> m_slots = std::vector<qint32>(16, -1);
    qsizetype m_removed = 0;
};
