#pragma once

#include <QList>
#include <cstddef>
#include <utility>
#include <vector>

// Elements by a key each of them holds (a name, a caption), several of them
// possibly under one key. The index is one flat table of element pointers,
// found by the hash of the key and the next free place after it: it costs no
// allocation per element and no copy of a key, as each key is read from its
// element (keyOf). A key is a view of the element's own text; an element is
// taken out under the key it went in by, even when it holds another one by
// then, and every other element must still hold the key it went in by.
template <typename Key, typename Element, Key (*keyOf)(const Element&)> class ElementIndex {
public:
    void insert(Key key, Element* element)
    {
        // At most three quarters full, so that a search soon meets a free place.
        if ((m_count + 1) * 4 > m_slots.size() * 3)
            grow();
        place(key, element);
        ++m_count;
    }

    void remove(Key key, Element* element)
    {
        if (m_slots.empty())
            return;
        for (std::size_t i = home(key); m_slots[i]; i = next(i))
            if (m_slots[i] == element) {
                erase(i);
                return;
            }
    }

    bool contains(Key key) const
    {
        bool found = false;
        forEachUntil(key, [&found](Element*) { return found = true; });
        return found;
    }

    // Every element of the key, in no order.
    QList<Element*> values(Key key) const
    {
        QList<Element*> found;
        forEach(key, [&found](Element* element) { found.append(element); });
        return found;
    }

    // Calls visit(element) for every element of the key, in no order.
    template <typename Visit> void forEach(Key key, Visit visit) const
    {
        forEachUntil(key, [&visit](Element* element) {
            visit(element);
            return false;
        });
    }

    // Calls visit(key) for every element's key: a key that several elements
    // share comes once for each.
    template <typename Visit> void forEachKey(Visit visit) const
    {
        for (const Element* element : m_slots)
            if (element)
                visit(keyOf(*element));
    }

    void clear()
    {
        m_slots = {};
        m_count = 0;
    }

private:
    // Calls visit(element) for the elements of the key until it returns true.
    template <typename Visit> void forEachUntil(Key key, Visit visit) const
    {
        if (m_slots.empty())
            return;
        for (std::size_t i = home(key); m_slots[i]; i = next(i))
            if (keyOf(*m_slots[i]) == key && visit(m_slots[i]))
                return;
    }

    std::size_t home(Key key) const
    {
        // The low bits choose the place: every bit of the hash is mixed into
        // them first (the finaliser of MurmurHash3).
        quint64 h = qHash(key, 0);
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdULL;
        h ^= h >> 33;
        return std::size_t(h) & (m_slots.size() - 1);
    }
    std::size_t next(std::size_t i) const { return (i + 1) & (m_slots.size() - 1); }

    void place(Key key, Element* element)
    {
        std::size_t i = home(key);
        while (m_slots[i])
            i = next(i);
        m_slots[i] = element;
    }

    void grow()
    {
        std::vector<Element*> old = std::exchange(
            m_slots, std::vector<Element*>(m_slots.empty() ? 16 : 2 * m_slots.size()));
        for (Element* element : old)
            if (element)
                place(keyOf(*element), element);
    }

    // Empties the place and moves up each later element of the same run that
    // would no longer be found past the gap.
    void erase(std::size_t gap)
    {
        m_slots[gap] = nullptr;
        --m_count;
        for (std::size_t i = next(gap); m_slots[i]; i = next(i)) {
            const std::size_t wanted = home(keyOf(*m_slots[i]));
            // Stays where it is when its home lies after the gap, up to i (cyclically).
            const bool reachable =
                gap <= i ? (gap < wanted && wanted <= i) : (gap < wanted || wanted <= i);
            if (reachable)
                continue;
            m_slots[gap] = m_slots[i];
            m_slots[i] = nullptr;
            gap = i;
        }
    }

    std::vector<Element*> m_slots; // a power of two of them, or none
    std::size_t m_count = 0;
};
