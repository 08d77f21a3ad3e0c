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
    m_names = FoldedText();
    m_texts.clear();
    m_removed = 0;
    m_objects.reserve(names.size());
    makeSlots(names.size());
    qsizetype length = 0;
    for (const QString& name : names)
        length += name.size() + 1;
    m_names.folded.reserve(length);
    for (const QString& name : names)
        add(name);
    m_names.folded.squeeze();
}

qsizetype FindIndex::slotOf(QStringView name) const
{
    // Linear probing in a table at most half full.
    const size_t mask = m_slots.size() - 1;
    for (size_t at = qHash(name) & mask;; at = (at + 1) & mask) {
        const qint32 record = m_slots[at];
        if (record < 0 || m_objects[size_t(record)].name == name)
            return qsizetype(at);
    }
}

void FindIndex::makeSlots(qsizetype count)
{
    size_t size = 16;
    while (size < size_t(count) * 2)
        size *= 2;
    m_slots.assign(size, -1);
    for (size_t i = 0; i < m_objects.size(); ++i) {
        if (!m_objects[i].name.isEmpty())
            m_slots[size_t(slotOf(m_objects[i].name))] = qint32(i);
    }
}

void FindIndex::appendName(const QString& name)
{
    m_objects.push_back({name, qint32(m_names.originalLength)});
    m_names.append(name);
    m_names.append(QStringView(&CellEnd, 1));
}

void FindIndex::add(const QString& name)
{
    if (name.isEmpty())
        return;
    // Removed records fill the table too, until the next compaction.
    if ((m_objects.size() + 1) * 2 > m_slots.size())
        makeSlots(qsizetype(m_objects.size()) + 1);
    const qsizetype slot = slotOf(name);
    if (m_slots[size_t(slot)] >= 0)
        return;
    m_slots[size_t(slot)] = qint32(m_objects.size());
    appendName(name);
}

QStringList FindIndex::names() const
{
    QStringList names;
    names.reserve(size());
    for (const Record& record : m_objects) {
        if (!record.name.isEmpty())
            names.append(record.name);
    }
    return names;
}

bool FindIndex::update(ObjectText text)
{
    const qint32 record = recordOf(text.name);
    if (record < 0)
        return false;
    Record& updated = m_objects[size_t(record)];
    if (updated.texts >= 0) {
        m_texts[size_t(updated.texts)] = std::move(text.contents);
    } else if (text.contents) {
        updated.texts = qint32(m_texts.size());
        m_texts.push_back(std::move(text.contents));
    }
    return true;
}

void FindIndex::remove(const QString& name)
{
    const qint32 record = recordOf(name);
    if (record < 0)
        return;
    // The record keeps its place among the names until the next compaction.
    Record& removed = m_objects[size_t(record)];
    removed.name.clear();
    if (removed.texts >= 0)
        m_texts[size_t(removed.texts)].reset();
    // Removed records are dropped once they are half of all.
    if (++m_removed * 2 > qsizetype(m_objects.size())) {
        std::vector<Record> kept;
        kept.reserve(m_objects.size() - size_t(m_removed));
        for (Record& record : m_objects) {
            if (!record.name.isEmpty())
                kept.push_back(std::move(record));
        }
        std::vector<std::shared_ptr<const ObjectText::Contents>> texts;
        m_texts.swap(texts);
        m_objects.clear();
        m_names = FoldedText();
        for (const Record& record : kept) {
            appendName(record.name);
            if (record.texts >= 0 && texts[size_t(record.texts)]) {
                m_objects.back().texts = qint32(m_texts.size());
                m_texts.push_back(std::move(texts[size_t(record.texts)]));
            }
        }
        m_removed = 0;
        makeSlots(qsizetype(m_objects.size()));
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
            // An alarm's name is one hit, however often it holds the query.
            if (where == FoundIn::Alarm)
                break;
        }
        return true;
    };
    // The names in one pass over all of them; the object a match is in is
    // the last whose name starts at or before it.
    const Record* named = nullptr; // a name is one hit, however often it holds the query
    for (qsizetype at = m_names.folded.indexOf(needle); at >= 0;
         at = m_names.folded.indexOf(needle, at + needle.size())) {
        const FoldedText::Span span = m_names.originalSpan(at, needle.size());
        const Record* record =
            &*(std::upper_bound(m_objects.cbegin(), m_objects.cend(), span.start,
                                [](qsizetype start, const Record& r) { return start < r.start; }) -
               1);
        if (record == named || record->name.isEmpty() ||
            span.start + span.length > record->start + record->name.size())
            continue;
        named = record;
        if (hits.size() == maxHits) {
            if (more)
                *more = true;
            return hits;
        }
        FindHit hit = excerptHit(record->name, span.start - record->start, span.length, 0,
                                 record->name.size());
        hit.object = record->name;
        hit.where = FoundIn::Name;
        hits.append(hit);
    }
    const auto textsOf = [this](const Record& record) {
        return record.texts >= 0 ? m_texts[size_t(record.texts)].get() : nullptr;
    };
    for (const Record& record : m_objects) {
        const ObjectText::Contents* texts = textsOf(record);
        if (texts && !search(record.name, FoundIn::Note, texts->note, texts->foldedNote))
            return hits;
    }
    for (const Record& record : m_objects) {
        const ObjectText::Contents* texts = textsOf(record);
        if (texts &&
            !search(record.name, FoundIn::Table, texts->cells, texts->foldedCells, texts->rows))
            return hits;
    }
    for (const QString& name : alarmNames) {
        if (!search(name, FoundIn::Alarm, name, FoldedText::of(name)))
            return hits;
    }
    return hits;
}
