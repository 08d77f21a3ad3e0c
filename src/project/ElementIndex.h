#pragma once

#include <QList>
#include <cstddef>
#include <utility>
#include <vector>

// Elements by a key each of them holds (a name, a caption), several of them
// possibly under one key. The index is one flat table of element pointers,
// found by the hash of the key and the next free place after it: it costs no
// allocation per element and no copy of a key, as each key is read from its
// element (keyOf). Beside each pointer lies its key's hash, so that a search
// passes over the other keys without reading their elements. A key is a view
// of the element's own text; an element is taken out under the key it went
// in by, even when it holds another one by then.
template <typename Key, typename Element, Key (*keyOf)(const Element&)> class ElementIndex {
public:
    void insert(Key key, Element* element)
    {
        // At most four fifths full: a search mostly reads only the hashes,
        // which lie side by side.
        if ((m_count + 1) * 5 > m_slots.size() * 4)
            grow();
        place(hashOf(key), element);
        ++m_count;
    }

    void remove(Key key, Element* element)
    {
        if (m_slots.empty())
            return;
        const quint32 hash = hashOf(key);
        for (std::size_t i = hash & mask(); m_hashes[i]; i = next(i))
            if (m_hashes[i] == hash && m_slots[i] == element) {
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

private:
    // Calls visit(element) for the elements of the key until it returns true.
    template <typename Visit> void forEachUntil(Key key, Visit visit) const
    {
        if (m_slots.empty())
            return;
        const quint32 hash = hashOf(key);
        for (std::size_t i = hash & mask(); m_hashes[i]; i = next(i))
            if (m_hashes[i] == hash && keyOf(*m_slots[i]) == key && visit(m_slots[i]))
                return;
    }

    // Never 0, which marks a free place. The low bits choose the place:
    // every bit of the key's hash is mixed into them first (the finaliser of
    // MurmurHash3).
    static quint32 hashOf(Key key)
    {
        quint64 h = qHash(key, 0);
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdULL;
        h ^= h >> 33;
        return quint32(h) | 0x80000000u;
    }
    std::size_t mask() const { return m_slots.size() - 1; }
    std::size_t next(std::size_t i) const { return (i + 1) & mask(); }

    void place(quint32 hash, Element* element)
    {
        std::size_t i = hash & mask();
        while (m_hashes[i])
            i = next(i);
        m_slots[i] = element;
        m_hashes[i] = hash;
    }

    void grow()
    {
        const std::size_t size = m_slots.empty() ? 16 : 2 * m_slots.size();
        const std::vector<Element*> elements = std::exchange(m_slots, std::vector<Element*>(size));
        const std::vector<quint32> hashes = std::exchange(m_hashes, std::vector<quint32>(size));
        for (std::size_t i = 0; i < elements.size(); ++i)
            if (hashes[i])
                place(hashes[i], elements[i]);
    }

    // Empties the place and moves up each later element of the same run that
    // would no longer be found past the gap.
    void erase(std::size_t gap)
    {
        m_slots[gap] = nullptr;
        m_hashes[gap] = 0;
        --m_count;
        for (std::size_t i = next(gap); m_hashes[i]; i = next(i)) {
            const std::size_t wanted = m_hashes[i] & mask();
            // Stays where it is when its home lies after the gap, up to i (cyclically).
            const bool reachable =
                gap <= i ? (gap < wanted && wanted <= i) : (gap < wanted || wanted <= i);
            if (reachable)
                continue;
            std::swap(m_slots[gap], m_slots[i]);
            std::swap(m_hashes[gap], m_hashes[i]);
            gap = i;
        }
    }

    // A power of two of places, or none; a hash of 0 marks a free one.
    std::vector<Element*> m_slots;
    std::vector<quint32> m_hashes;
    std::size_t m_count = 0;
};
