#include "alarms/AlarmRows.h"

#include "platform/WholeNumber.h"

#include <QHash>

#include <algorithm>
#include <limits>
#include <numeric>

namespace {

constexpr Alarm::Millis NoEnd = std::numeric_limits<Alarm::Millis>::max();

} // namespace

// ---- AlarmTextPool ----

AlarmTextPool::AlarmTextPool()
{
    m_begin.push_back(0);
    rehash(64);
    for (const char16_t* text : {u"", u"True", u"False", u"On", u"Off", u"Days", u"Hours",
                                 u"Minutes", u"Seconds", u"1", u"3"})
        intern(QStringView(text));
}

std::optional<quint32> AlarmTextPool::find(QStringView text) const
{
    const quint32 hash = quint32(qHash(text));
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const quint64 slot = m_slots[at];
        if (slot == 0)
            return std::nullopt;
        const auto id = quint32(slot) - 1;
        if (quint32(slot >> 32) == hash && view(id) == text)
            return id;
    }
}

quint32 AlarmTextPool::intern(QStringView text)
{
    const quint32 hash = quint32(qHash(text));
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = hash & mask;
    for (;; at = (at + 1) & mask) {
        const quint64 slot = m_slots[at];
        if (slot == 0)
            break;
        const auto id = quint32(slot) - 1;
        if (quint32(slot >> 32) == hash && view(id) == text)
            return id;
    }
    const auto id = quint32(m_hashes.size());
    m_chars.insert(m_chars.end(), text.utf16(), text.utf16() + text.size());
    m_begin.push_back(qsizetype(m_chars.size()));
    m_hashes.push_back(hash);
    m_slots[at] = quint64(hash) << 32 | (id + 1);
    if (m_hashes.size() * 2 > m_slots.size())
        rehash(m_slots.size() * 2);
    return id;
}

void AlarmTextPool::rehash(std::size_t slotCount)
{
    m_slots.assign(slotCount, 0);
    const std::size_t mask = slotCount - 1;
    for (quint32 id = 0; id < m_hashes.size(); ++id) {
        std::size_t at = m_hashes[id] & mask;
        while (m_slots[at] != 0)
            at = (at + 1) & mask;
        m_slots[at] = quint64(m_hashes[id]) << 32 | (id + 1);
    }
}

// ---- The rows ----

void AlarmRows::computePeriod(Entry& entry, QStringView time)
{
    const std::optional<Alarm::Millis> start = Alarm::readTime(time);
    entry.hasStart = bool(start);
    entry.start = start.value_or(0);
    entry.end = entry.start;
    if (!start)
        return;
    const Alarm::Period period = Alarm::period(
        *start, readWholeNumber(m_pool.view(entry.duration)).value_or(0), m_pool.view(entry.unit));
    entry.end = period.end.value_or(NoEnd);
}

AlarmRows::Entry AlarmRows::entryOf(const AlarmRow& row)
{
    Entry entry;
    entry.enabled = row.enabled;
    entry.name = m_pool.intern(row.name);
    entry.duration = m_pool.intern(row.duration);
    entry.unit = m_pool.intern(row.unit);
    entry.sound = m_pool.intern(row.sound);
    entry.active = m_pool.intern(row.active);
    computePeriod(entry, row.time);
    // A Time in the usual form is its moment; any other text is kept as typed.
    entry.time = entry.hasStart && Alarm::timeText(entry.start) == row.time
                     ? NoText
                     : m_pool.intern(row.time);
    return entry;
}

QString AlarmRows::text(int index, Cell cell) const
{
    const Entry& entry = m_entries[std::size_t(index)];
    quint32 id = 0;
    switch (cell) {
    case Name:
        id = entry.name;
        break;
    case Time:
        if (entry.time == NoText)
            return Alarm::timeText(entry.start);
        id = entry.time;
        break;
    case Duration:
        id = entry.duration;
        break;
    case Unit:
        id = entry.unit;
        break;
    case Sound:
        id = entry.sound;
        break;
    case Active:
        id = entry.active;
        break;
    }
    return m_pool.view(id).toString();
}

AlarmRow AlarmRows::row(int index) const
{
    return {isEnabled(index),  text(index, Name),  text(index, Time),  text(index, Duration),
            text(index, Unit), text(index, Sound), text(index, Active)};
}

bool AlarmRows::isRunningAt(int index, Alarm::Millis now) const
{
    const Entry& entry = m_entries[std::size_t(index)];
    return entry.hasStart && now > entry.start && entry.end > now;
}

std::optional<Alarm::Period> AlarmRows::period(int index) const
{
    const Entry& entry = m_entries[std::size_t(index)];
    if (!hasPeriod(entry))
        return std::nullopt;
    return Alarm::Period{entry.start, entry.end == NoEnd ? std::nullopt : std::optional(entry.end)};
}

void AlarmRows::reserve(int rows)
{
    m_entries.reserve(std::size_t(rows));
}

void AlarmRows::changed(int index)
{
    if (!m_index)
        return;
    m_index->pending.push_back(quint32(index));
    // Past some size, building the index afresh is cheaper than looking at
    // the changed rows one by one at every check.
    const std::size_t limit = 4096 + m_entries.size() / 32;
    if (m_index->loose.size() > limit || m_index->pending.size() > limit)
        m_index.reset();
}

void AlarmRows::loosen(int index)
{
    if (m_index)
        m_index->loose.push_back(quint32(index));
    changed(index);
}

void AlarmRows::append(const AlarmRow& row)
{
    m_entries.push_back(entryOf(row));
    loosen(count() - 1);
}

void AlarmRows::replace(int index, const AlarmRow& row)
{
    m_entries[std::size_t(index)] = entryOf(row);
    loosen(index);
}

void AlarmRows::setEnabled(int index, bool enabled)
{
    m_entries[std::size_t(index)].enabled = enabled;
    changed(index);
}

void AlarmRows::setText(int index, Cell cell, QStringView text)
{
    AlarmRow changedRow = row(index);
    QString* cells[] = {&changedRow.name, &changedRow.time,  &changedRow.duration,
                        &changedRow.unit, &changedRow.sound, &changedRow.active};
    *cells[cell] = text.toString();
    replace(index, changedRow);
}

bool AlarmRows::setActive(int index, bool running)
{
    quint32& active = m_entries[std::size_t(index)].active;
    const quint32 wanted = running ? AlarmTextPool::True : AlarmTextPool::False;
    if (active == wanted)
        return false;
    active = wanted;
    return true;
}

void AlarmRows::remove(int index)
{
    m_entries.erase(m_entries.begin() + index);
    if (!m_index)
        return;
    const auto gone = quint32(index);
    const auto renumber = [gone](auto& list, auto rowOf) {
        std::erase_if(list, [&](auto& item) { return rowOf(item) == gone; });
        for (auto& item : list) {
            if (rowOf(item) > gone)
                --rowOf(item);
        }
    };
    const auto stampRow = [](Stamp& stamp) -> quint32& { return stamp.row; };
    const auto pairRow = [](std::pair<quint32, quint32>& pair) -> quint32& { return pair.second; };
    const auto itself = [](quint32& row) -> quint32& { return row; };
    renumber(m_index->byStart, stampRow);
    renumber(m_index->byEnd, stampRow);
    renumber(m_index->byName, pairRow);
    renumber(m_index->loose, itself);
    renumber(m_index->pending, itself);
    renumber(m_index->running, itself);
}

void AlarmRows::clear()
{
    *this = AlarmRows();
}

void AlarmRows::sortByStart()
{
    // Equal starts ordered by place: a total order, so no stable sort is needed.
    struct Key {
        std::optional<Alarm::Millis> start;
        quint32 place;
    };
    const auto before = [](const Key& a, const Key& b) {
        const int order = Alarm::compareStarts(a.start, b.start);
        return order != 0 ? order < 0 : a.place < b.place;
    };
    std::vector<Key> keys(m_entries.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const Entry& entry = m_entries[i];
        keys[i] = {entry.hasStart ? std::optional(entry.start) : std::nullopt, quint32(i)};
    }
    if (std::is_sorted(keys.begin(), keys.end(), before))
        return;
    std::sort(keys.begin(), keys.end(), before);
    std::vector<Entry> sorted;
    sorted.reserve(m_entries.size());
    for (const Key& key : keys)
        sorted.push_back(m_entries[key.place]);
    keys = {};
    m_entries = std::move(sorted);
    m_index.reset();
}

// ---- The index ----

void AlarmRows::buildIndex()
{
    Index& index = m_index.emplace();
    // The rows by name, counted out by the names' numbers: (name, row) in order.
    std::vector<quint32> firstOfName(std::size_t(m_pool.count()) + 1, 0);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Entry& entry = m_entries[i];
        const auto row = quint32(i);
        if (hasPeriod(entry)) {
            index.byStart.push_back({entry.start, row});
            index.byEnd.push_back({entry.end, row});
        }
        ++firstOfName[entry.name + 1];
        if (entry.enabled && entry.active != AlarmTextPool::False)
            index.pending.push_back(row);
    }
    std::partial_sum(firstOfName.begin(), firstOfName.end(), firstOfName.begin());
    index.byName.resize(m_entries.size());
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const quint32 name = m_entries[i].name;
        index.byName[firstOfName[name]++] = {name, quint32(i)};
    }
    firstOfName = {};
    // Rows sorted by start, as a load leaves them, give their starts in order.
    if (!std::is_sorted(index.byStart.begin(), index.byStart.end()))
        std::sort(index.byStart.begin(), index.byStart.end());
    std::sort(index.byEnd.begin(), index.byEnd.end());
}

std::vector<int> AlarmRows::rowsToCheck(Alarm::Millis now, const QSet<QString>& hatchedNames)
{
    const bool built = !m_index;
    if (built)
        buildIndex();
    Index& index = *m_index;

    // The rows running now: those running at the last call, and those whose
    // period began (going forward) or ended (going back) between then and now;
    // after the index was built, every started row whose period has not ended.
    std::vector<quint32> candidates = index.loose;
    const auto stampAt = [](const Stamp& stamp, Alarm::Millis at) { return stamp.at < at; };
    const auto atStamp = [](Alarm::Millis at, const Stamp& stamp) { return at < stamp.at; };
    if (built) {
        const auto last =
            std::lower_bound(index.byStart.begin(), index.byStart.end(), now, stampAt);
        for (auto it = index.byStart.begin(); it != last; ++it)
            candidates.push_back(it->row);
    } else if (now >= index.lastNow) {
        // A row running now but not at the last call began at or after it.
        const auto from =
            std::lower_bound(index.byStart.begin(), index.byStart.end(), index.lastNow, stampAt);
        const auto to = std::lower_bound(from, index.byStart.end(), now, stampAt);
        for (auto it = from; it != to; ++it)
            candidates.push_back(it->row);
        candidates.insert(candidates.end(), index.running.begin(), index.running.end());
    } else {
        // Going back: such a row ends after now and at or before the last call.
        const auto from = std::upper_bound(index.byEnd.begin(), index.byEnd.end(), now, atStamp);
        const auto to = std::upper_bound(from, index.byEnd.end(), index.lastNow, atStamp);
        for (auto it = from; it != to; ++it)
            candidates.push_back(it->row);
        candidates.insert(candidates.end(), index.running.begin(), index.running.end());
    }
    // Rows that ran at the last call and do not now are looked at too: their
    // Active cell turns "False".
    std::vector<quint32> visit = std::move(index.running);
    index.running.clear();
    for (const quint32 row : candidates) {
        if (isRunningAt(int(row), now))
            index.running.push_back(row);
    }
    std::sort(index.running.begin(), index.running.end());
    index.running.erase(std::unique(index.running.begin(), index.running.end()),
                        index.running.end());
    index.lastNow = now;

    visit.insert(visit.end(), index.running.begin(), index.running.end());
    visit.insert(visit.end(), index.pending.begin(), index.pending.end());
    index.pending.clear();

    // Every row of the names whose objects are or become hatched.
    std::vector<quint32> names;
    for (const QString& name : hatchedNames) {
        if (const std::optional<quint32> id = m_pool.find(name))
            names.push_back(*id);
    }
    for (const quint32 row : index.running) {
        if (m_entries[row].enabled)
            names.push_back(m_entries[row].name);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const quint32 name : names) {
        const auto first =
            std::lower_bound(index.byName.begin(), index.byName.end(), std::pair(name, 0u));
        for (auto it = first; it != index.byName.end() && it->first == name; ++it)
            visit.push_back(it->second);
    }
    if (!names.empty()) {
        for (const quint32 row : index.loose) {
            if (std::binary_search(names.begin(), names.end(), m_entries[row].name))
                visit.push_back(row);
        }
    }

    std::sort(visit.begin(), visit.end());
    visit.erase(std::unique(visit.begin(), visit.end()), visit.end());
    return std::vector<int>(visit.begin(), visit.end());
}
