#pragma once

#include <QHash>
#include <QList>

// Elements by a key that most of them hold alone (a name, a caption): one
// element of each key in a plain hash, which needs no allocation of its own
// per element, and the others of a key, the rare case, beside it.
template <typename Key, typename Element> class ElementIndex {
public:
    void insert(const Key& key, Element* element)
    {
        Element*& first = m_first[key];
        if (!first)
            first = element;
        else
            m_others.insert(key, element);
    }

    void remove(const Key& key, Element* element)
    {
        const auto first = m_first.find(key);
        if (first == m_first.end())
            return;
        if (*first != element) {
            m_others.remove(key, element);
            return;
        }
        // Another of the key, if any, takes the element's place.
        const auto other = m_others.find(key);
        if (other == m_others.end()) {
            m_first.erase(first);
        } else {
            *first = *other;
            m_others.erase(other);
        }
    }

    bool contains(const Key& key) const { return m_first.contains(key); }

    // Every element of the key, in no order.
    QList<Element*> values(const Key& key) const
    {
        QList<Element*> found;
        forEach(key, [&found](Element* element) { found.append(element); });
        return found;
    }

    // Calls visit(element) for every element of the key, in no order.
    template <typename Visit> void forEach(const Key& key, Visit visit) const
    {
        const auto first = m_first.constFind(key);
        if (first == m_first.cend())
            return;
        visit(*first);
        if (m_others.isEmpty())
            return;
        const auto [begin, end] = m_others.equal_range(key);
        for (auto it = begin; it != end; ++it)
            visit(*it);
    }

    // Calls visit(key) once for each key.
    template <typename Visit> void forEachKey(Visit visit) const
    {
        for (auto it = m_first.keyBegin(); it != m_first.keyEnd(); ++it)
            visit(*it);
    }

    void clear()
    {
        m_first.clear();
        m_others.clear();
    }

private:
    QHash<Key, Element*> m_first;
    QMultiHash<Key, Element*> m_others;
};
