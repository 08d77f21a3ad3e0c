#include "find/FindIndex.h"

#include <algorithm>

namespace {

constexpr QChar CellEnd = QChar(0);
// Characters of context on each side of a match in an excerpt.
constexpr qsizetype ContextLength = 30;

// The excerpt of text around [start, start + length): one line, blanks for
// line breaks and cell ends, "..." where text was left out.
qsizetype cellEndsBefore(const QString& text, qsizetype end)
{
    return QStringView(text).left(end).count(CellEnd);
}

qsizetype cellEndsBefore(const CompactText& text, qsizetype end)
{
    return text.count(CellEnd, end);
}

template <typename Text>
FindHit excerptHit(const Text& text, qsizetype start, qsizetype length, qsizetype from,
                   qsizetype to)
{
    FindHit hit;
    const qsizetype begin = std::max(from, start - ContextLength);
    const qsizetype end = std::min(to, start + length + ContextLength);
    const QString before = begin > from ? QStringLiteral("...") : QString();
    QString excerpt =
        before + text.mid(begin, end - begin) + (end < to ? QStringLiteral("...") : QString());
    for (QChar& c : excerpt) {
        if (c.isSpace() || c == CellEnd || c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    hit.excerpt = excerpt;
    hit.markStart = before.size() + start - begin;
    hit.markLength = length;
    hit.position = start;
    hit.length = length;
    return hit;
}

} // namespace

QString foundInText(FoundIn where)
{
    switch (where) {
    case FoundIn::Name:
        return QStringLiteral("name");
    case FoundIn::Note:
        return QStringLiteral("note");
    case FoundIn::Table:
        return QStringLiteral("table");
    case FoundIn::Alarm:
        return QStringLiteral("alarm");
    }
    return {};
}

ObjectText ObjectText::forName(const QString& name)
{
    ObjectText text;
    text.name = name;
    text.foldedName = FoldedText::of(name);
    return text;
}

ObjectText::Contents& ObjectText::writableContents()
{
    auto own = contents ? std::make_shared<Contents>(*contents) : std::make_shared<Contents>();
    contents = own;
    return *own;
}

void ObjectText::setNote(const QString& plainText)
{
    setNote(CompactText(plainText));
}

void ObjectText::setNote(CompactText plainText)
{
    if (plainText.isEmpty() && !contents)
        return;
    Contents& own = writableContents();
    own.foldedNote = FoldedText::of(plainText);
    own.note = std::move(plainText);
}

void ObjectText::setTable(const QList<QStringList>& columns, int rowCount)
{
    QString cells;
    for (const QStringList& column : columns) {
        for (int r = 0; r < rowCount; ++r) {
            cells += column.value(r);
            cells += CellEnd;
        }
    }
    if (cells.isEmpty() && !contents)
        return;
    Contents& own = writableContents();
    own.rows = rowCount;
    own.foldedCells = FoldedText::of(cells);
    own.cells = cells;
}

void FindIndex::reset(const QStringList& names)
{
    m_objects.clear();
    m_slots.clear();
    m_removed = 0;
    m_objects.reserve(names.size());
    for (const QString& name : names)
        add(name);
}

void FindIndex::add(const QString& name)
{
    if (name.isEmpty() || m_slots.contains(name))
        return;
    m_slots.insert(name, qsizetype(m_objects.size()));
    m_objects.push_back(ObjectText::forName(name));
}

QStringList FindIndex::names() const
{
    QStringList names;
    names.reserve(m_slots.size());
    for (const ObjectText& text : m_objects) {
        if (!text.name.isEmpty())
            names.append(text.name);
    }
    return names;
}

bool FindIndex::update(ObjectText text)
{
    const auto slot = m_slots.constFind(text.name);
    if (slot == m_slots.cend())
        return false;
    m_objects[*slot] = std::move(text);
    return true;
}

void FindIndex::remove(const QString& name)
{
    const auto slot = m_slots.constFind(name);
    if (slot == m_slots.cend())
        return;
    m_objects[*slot] = ObjectText();
    m_slots.erase(slot);
    // Removed records are dropped once they are half of all.
    if (++m_removed * 2 > qsizetype(m_objects.size())) {
        std::erase_if(m_objects, [](const ObjectText& text) { return text.name.isEmpty(); });
        m_slots.clear();
        for (qsizetype i = 0; i < qsizetype(m_objects.size()); ++i)
            m_slots.insert(m_objects[i].name, i);
        m_removed = 0;
    }
}

QList<FindHit> FindIndex::find(const QString& query, const QStringList& alarmNames, int maxHits,
                               bool* more) const
{
    QList<FindHit> hits;
    if (more)
        *more = false;
    const QString needle = FoldedText::fold(query);
    if (needle.isEmpty())
        return hits;
    // Adds the hits in one text; false once maxHits are found and another is there.
    const auto search = [&](const QString& object, FoundIn where, const auto& original,
                            const FoldedText& text, int tableRows = 1) {
        for (qsizetype at = text.folded.indexOf(needle); at >= 0;
             at = text.folded.indexOf(needle, at + needle.size())) {
            if (hits.size() == maxHits) {
                if (more)
                    *more = true;
                return false;
            }
            const FoldedText::Span span = text.originalSpan(at, needle.size());
            qsizetype from = 0;
            qsizetype to = original.size();
            int column = -1;
            int row = -1;
            if (where == FoundIn::Table) {
                from = original.lastIndexOf(CellEnd, span.start) + 1;
                to = original.indexOf(CellEnd, span.start);
                const qsizetype cell = cellEndsBefore(original, from);
                column = int(cell / std::max(1, tableRows));
                row = int(cell % std::max(1, tableRows));
            }
            FindHit hit = excerptHit(original, span.start, span.length, from, to);
            hit.object = object;
            hit.where = where;
            hit.column = column;
            hit.row = row;
            hits.append(hit);
            // A name is one hit, however often it holds the query.
            if (where == FoundIn::Name || where == FoundIn::Alarm)
                break;
        }
        return true;
    };
    for (const ObjectText& text : m_objects) {
        if (!text.name.isEmpty() && !search(text.name, FoundIn::Name, text.name, text.foldedName))
            return hits;
    }
    for (const ObjectText& text : m_objects) {
        if (!text.name.isEmpty() && text.contents &&
            !search(text.name, FoundIn::Note, text.contents->note, text.contents->foldedNote))
            return hits;
    }
    for (const ObjectText& text : m_objects) {
        if (!text.name.isEmpty() && text.contents &&
            !search(text.name, FoundIn::Table, text.contents->cells, text.contents->foldedCells,
                    text.contents->rows))
            return hits;
    }
    for (const QString& name : alarmNames) {
        if (!search(name, FoundIn::Alarm, name, FoldedText::of(name)))
            return hits;
    }
    return hits;
}
