#include "project/BoardModel.h"

#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"

#include <QSet>
#include <algorithm>

BoardModel::BoardModel(QObject* parent)
    : QObject(parent), m_defaultFont(QStringLiteral("Tahoma"), 8)
{
    m_fonts.insert(m_defaultFont.key(), m_defaultFont);
}

BoardModel::~BoardModel()
{
    // Nothing is announced while the model goes: its views may be going too.
    ++m_bulkChanges;
    for (BoardElement* element : m_elements)
        delete element;
}

// ---- The elements and their indexes ----

size_t qHash(const BoardModel::NameKey& key, size_t seed)
{
    // Each letter hashes as its folded case, as the names compare.
    size_t hash = seed ^ 0xcbf29ce484222325u;
    const QStringView name = key.name;
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), name[++i].unicode());
        hash = (hash ^ QChar::toCaseFolded(c)) * 0x100000001b3u;
    }
    return hash;
}

QStringView BoardModel::captionKeyOf(const ObjectLabel& label)
{
    return label.caption();
}

void BoardModel::adopt(BoardElement* element, quint64 sequence)
{
    if (m_removedSlots > 1024 && m_removedSlots > qsizetype(m_elements.size()) / 2)
        compactElements();
    (element->kind() == BoardElement::Kind::Shape ? m_shapeCount : m_labelCount) += 1;
    if (sequence > m_lastSequence) {
        m_lastSequence = sequence;
        element->m_slot = quint32(m_elements.size());
        m_elements.push_back(element);
    } else {
        // An element brought back takes its old place in the creation order.
        compactElements();
        const auto at =
            std::lower_bound(m_elements.begin(), m_elements.end(), sequence,
                             [](const BoardElement* e, quint64 s) { return e->sequence() < s; });
        const std::size_t slot = std::size_t(at - m_elements.begin());
        m_elements.insert(at, element);
        for (std::size_t i = slot; i < m_elements.size(); ++i)
            m_elements[i]->m_slot = quint32(i);
    }
    if (announcing())
        emit elementAdded(element);
}

void BoardModel::compactElements()
{
    if (m_removedSlots == 0)
        return;
    m_elements.erase(std::remove(m_elements.begin(), m_elements.end(), nullptr), m_elements.end());
    for (std::size_t slot = 0; slot < m_elements.size(); ++slot)
        m_elements[slot]->m_slot = quint32(slot);
    m_removedSlots = 0;
}

void BoardModel::forget(BoardElement* element)
{
    if (announcing())
        emit elementRemoved(element);
    if (!element->objectName().isEmpty())
        m_byName.remove({element->objectName()}, element);
    (element->kind() == BoardElement::Kind::Shape ? m_shapeCount : m_labelCount) -= 1;
    m_elements[element->m_slot] = nullptr;
    ++m_removedSlots;
}

void BoardModel::renamed(BoardElement* element, const QString& before)
{
    // An element without a name is found by none: a new one has nothing to
    // take out of the index.
    if (!before.isEmpty())
        m_byName.remove({before}, element);
    if (!element->objectName().isEmpty())
        m_byName.insert({element->objectName()}, element);
}

void BoardModel::captionChanged(ObjectLabel* label, const QString& before)
{
    // As a new caption's "", an emptied one's is in no index.
    if (!before.isEmpty())
        m_byCaption.remove(before, label);
    if (!label->caption().isEmpty())
        m_byCaption.insert(label->caption(), label);
    if (announcing())
        emit captionTextChanged(before, label->caption());
}

void BoardModel::forgetCaption(ObjectLabel* label)
{
    if (!label->caption().isEmpty())
        m_byCaption.remove(label->caption(), label);
    if (announcing() && !label->caption().isEmpty())
        emit captionTextChanged(label->caption(), QString());
}

void BoardModel::elementChanged(BoardElement* element, const QRect& before)
{
    if (announcing())
        emit elementChangedAt(element, before);
}

QFont BoardModel::sharedFont(const QFont& font)
{
    const QString key = font.key();
    auto it = m_fonts.constFind(key);
    if (it != m_fonts.constEnd())
        return *it;
    m_fonts.insert(key, font);
    return font;
}

template <typename Element> QList<Element*> BoardModel::elements() const
{
    const auto kind = std::is_same_v<Element, ObjectShape> ? BoardElement::Kind::Shape
                                                           : BoardElement::Kind::Caption;
    QList<Element*> found;
    found.reserve(kind == BoardElement::Kind::Shape ? m_shapeCount : m_labelCount);
    for (BoardElement* element : m_elements)
        if (element && element->kind() == kind)
            found.append(static_cast<Element*>(element));
    return found;
}

QList<ObjectShape*> BoardModel::shapes() const
{
    return elements<ObjectShape>();
}

QList<ObjectLabel*> BoardModel::labels() const
{
    return elements<ObjectLabel>();
}

template <typename Element> Element* BoardModel::firstNamed(const QString& name) const
{
    const auto kind = std::is_same_v<Element, ObjectShape> ? BoardElement::Kind::Shape
                                                           : BoardElement::Kind::Caption;
    BoardElement* first = nullptr;
    m_byName.forEach({name}, [&](BoardElement* named) {
        if (named->kind() == kind && (!first || named->sequence() < first->sequence()))
            first = named;
    });
    return static_cast<Element*>(first);
}

ObjectShape* BoardModel::shapeNamed(const QString& name) const
{
    return firstNamed<ObjectShape>(name);
}

ObjectLabel* BoardModel::labelNamed(const QString& name) const
{
    return firstNamed<ObjectLabel>(name);
}

bool BoardModel::hasElementNamed(const QString& name) const
{
    return m_byName.contains({name});
}

ObjectLabel* BoardModel::labelOf(const BoardElement* shape) const
{
    return shape ? labelNamed(QStringLiteral("label%1").arg(shape->tag())) : nullptr;
}

ObjectShape* BoardModel::shapeOf(const BoardElement* label) const
{
    return label ? shapeNamed(QStringLiteral("Shape%1").arg(label->tag())) : nullptr;
}

QList<ObjectLabel*> BoardModel::labelsWithCaption(const QString& name) const
{
    QList<ObjectLabel*> found = m_byCaption.values(name);
    std::sort(found.begin(), found.end(), [](const ObjectLabel* a, const ObjectLabel* b) {
        return a->sequence() < b->sequence();
    });
    return found;
}

ObjectLabel* BoardModel::labelWithCaption(const QString& name) const
{
    const QList<ObjectLabel*> found = labelsWithCaption(name);
    return found.isEmpty() ? nullptr : found.first();
}

BoardElement* BoardModel::elementWithSequence(quint64 sequence) const
{
    // The list is in creation order; a removed element's null is passed over
    // by looking at the nearest live neighbour.
    auto begin = m_elements.begin();
    auto end = m_elements.end();
    while (begin < end) {
        auto middle = begin + (end - begin) / 2;
        auto live = middle;
        while (live < end && !*live)
            ++live;
        if (live == end) {
            end = middle;
            continue;
        }
        if ((*live)->sequence() == sequence)
            return *live;
        if ((*live)->sequence() < sequence)
            begin = live + 1;
        else
            end = middle;
    }
    return nullptr;
}

BoardElement* BoardModel::elementAt(const QPoint& boardPoint) const
{
    for (auto it = m_elements.crbegin(); it != m_elements.crend(); ++it)
        if (*it && (*it)->isVisible() && (*it)->geometry().contains(boardPoint))
            return *it;
    return nullptr;
}

int BoardModel::nextObjectNumber() const
{
    QSet<qint64> taken;
    m_byName.forEachKey([&taken](const NameKey& key) {
        const QStringView name = key.name;
        if (name.size() > 5 && name.startsWith(QLatin1String("label"), Qt::CaseInsensitive)) {
            bool ok = false;
            const qint64 n = name.mid(5).toLongLong(&ok);
            // "label" + N must spell the name exactly: "Label07" is not number 7.
            if (ok && QString::number(n) == name.mid(5))
                taken.insert(n);
        }
    });
    const qsizetype candidates = m_shapeCount + m_labelCount;
    int n = 1;
    for (; n <= candidates; ++n)
        if (!taken.contains(n))
            return n;
    return n;
}

void BoardModel::removeAllOf(BoardElement::Kind kind)
{
    BulkChange change(*this);
    // One pass, then one compaction: linear however the kinds interleave.
    for (BoardElement*& element : m_elements) {
        if (element && element->kind() == kind)
            delete element;
    }
    compactElements();
}

void BoardModel::removeShapes()
{
    removeAllOf(BoardElement::Kind::Shape);
}

void BoardModel::removeLabels()
{
    removeAllOf(BoardElement::Kind::Caption);
}

void BoardModel::clear()
{
    {
        BulkChange change(*this);
        for (BoardElement* element : m_elements)
            delete element;
        compactElements();
    }
    m_fonts.clear();
    m_fonts.insert(m_defaultFont.key(), m_defaultFont);
}

BoardModel::BulkChange::BulkChange(BoardModel& model) : m_model(model)
{
    ++m_model.m_bulkChanges;
}

BoardModel::BulkChange::~BulkChange()
{
    if (--m_model.m_bulkChanges == 0)
        emit m_model.boardReset();
}
