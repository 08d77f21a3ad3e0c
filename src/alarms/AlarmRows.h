#pragma once

#include "alarms/AlarmFile.h"
#include "alarms/AlarmPeriod.h"

#include <QSet>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

// Texts kept once each, by number: the alarm rows hold numbers, not strings.
// A text once kept stays until the pool is dropped.
class AlarmTextPool {
public:
    // Texts every list has, at fixed numbers.
    enum : quint32 { Empty, True, False, On };

    AlarmTextPool();

    quint32 intern(QStringView text);
    std::optional<quint32> find(QStringView text) const;
    QStringView view(quint32 id) const
    {
        return QStringView(m_chars.data() + m_begin[id], m_begin[id + 1] - m_begin[id]);
    }
    qsizetype count() const { return qsizetype(m_hashes.size()); }

private:
    void rehash(std::size_t slotCount);

    std::vector<char16_t> m_chars;
    std::vector<qsizetype> m_begin; // text i is m_chars[m_begin[i], m_begin[i + 1])
    std::vector<quint32> m_hashes;  // of text i
    // Open addressing: the text's hash in the high half, its number + 1 in
    // the low half; 0 when free. A probe reads one slot, not the text.
    std::vector<quint64> m_slots;
};

// The rows of the alarm list as plain values, in display order: each cell's
// text (a Time text in the usual form is kept as its moment), the period each
// row's Time, Duration and Unit give, and an index of the periods by start and
// by end, so that the alarm check looks only at the rows that can have
// something to do now (rowsToCheck) instead of at every row.
class AlarmRows {
public:
    enum Cell { Name, Time, Duration, Unit, Sound, Active };

    int count() const { return int(m_entries.size()); }
    AlarmRow row(int index) const;
    QString text(int index, Cell cell) const;
    bool isEnabled(int index) const { return m_entries[std::size_t(index)].enabled; }
    // The Active cell is exactly "False" / the Sound cell exactly "On".
    bool isActiveFalse(int index) const
    {
        return m_entries[std::size_t(index)].active == AlarmTextPool::False;
    }
    bool isSoundOn(int index) const
    {
        return m_entries[std::size_t(index)].sound == AlarmTextPool::On;
    }
    // Whether now lies inside the row's period (both ends excluded). A Time
    // that cannot be read gives no period; a Duration that is not a whole
    // number counts as 0.
    bool isRunningAt(int index, Alarm::Millis now) const;
    // The row's period; none when its Time cannot be read or it is empty.
    std::optional<Alarm::Period> period(int index) const;

    void reserve(int rows);
    void append(const AlarmRow& row);
    void replace(int index, const AlarmRow& row);
    void setEnabled(int index, bool enabled);
    void setText(int index, Cell cell, QStringView text);
    void remove(int index);
    void clear();
    // Orders the rows by start (Alarm::compareStarts); rows of equal starts
    // keep their order.
    void sortByStart();

    // The check's writing of the Active cell, "True" or "False"; true when
    // the cell changed.
    bool setActive(int index, bool running);

    // The rows, in display order, whose visit by the alarm check can change
    // something at now: the rows running now or at the last call, rows whose
    // Active cell is not "False", rows changed since the last call, and every row bearing the
    // name of a running row or one of hatchedNames (the objects hatched now,
    // which an idle row of theirs returns to solid). Any other enabled row is
    // idle, already "False", and its object is solid: its visit would change
    // nothing. Costs time in proportion to those rows and the periods that
    // began or ended since the last call, not to all rows.
    std::vector<int> rowsToCheck(Alarm::Millis now, const QSet<QString>& hatchedNames);

private:
    struct Entry {
        Alarm::Millis start = 0; // the period, when hasStart
        Alarm::Millis end = 0;   // LLONG_MAX: no end
        quint32 name = 0;
        quint32 time = 0; // NoText: the usual form of start
        quint32 duration = 0;
        quint32 unit = 0;
        quint32 sound = 0;
        quint32 active = 0;
        bool enabled = false;
        bool hasStart = false;
    };
    struct Stamp {
        Alarm::Millis at;
        quint32 row;
        bool operator<(const Stamp& other) const
        {
            return at < other.at || (at == other.at && row < other.row);
        }
    };
    static constexpr quint32 NoText = 0xFFFFFFFF;

    Entry entryOf(const AlarmRow& row);
    void computePeriod(Entry& entry, QStringView time);
    bool hasPeriod(const Entry& entry) const { return entry.hasStart && entry.end > entry.start; }
    // The row is to be looked at by the next check; loosen: its period or
    // name may also differ from what the index holds.
    void changed(int index);
    void loosen(int index);
    void buildIndex();

    AlarmTextPool m_pool;
    std::vector<Entry> m_entries;

    // What the check keeps between calls; built at the first call after the
    // rows were loaded, reordered or changed too often. Rows appended or
    // replaced since it was built are in loose and looked at directly (a row
    // replaced twice stands there twice: what the check gathers is made unique).
    struct Index {
        std::vector<Stamp> byStart;
        std::vector<Stamp> byEnd;
        std::vector<std::pair<quint32, quint32>> byName; // (name, row)
        std::vector<quint32> loose;
        std::vector<quint32> pending; // to be looked at by the next check
        // The rows running at the last call, at lastNow; a row changed since
        // may stand here without running.
        std::vector<quint32> running;
        // No initialiser here: clang cannot default-construct a nested type
        // with one inside std::optional; emplace() value-initialises it to 0.
        Alarm::Millis lastNow;
    };
    std::optional<Index> m_index;
};
