#include "project/BoardMerge.h"

#include "project/BoardCommands.h"
#include "project/BoardModel.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"

#include <QHash>
#include <optional>

namespace {

const QString Unnamed = QStringLiteral("?");
const QString ShapePrefix = QStringLiteral("Shape");
const QString LabelPrefix = QStringLiteral("Label");

// An object as the board files keep it: its shape, its caption, or both.
struct ObjectValue {
    std::optional<ElementState> shape;
    std::optional<ElementState> label;
    QString name;
};

// The state under object number n: names, tag and a hint that named the old number.
ElementState numbered(ElementState state, int number)
{
    const QString& prefix = state.kind == BoardElement::Kind::Shape ? ShapePrefix : LabelPrefix;
    if (state.hint == prefix + QString::number(state.tag))
        state.hint = prefix + QString::number(number);
    state.name = prefix + QString::number(number);
    state.tag = number;
    return state;
}

bool sameState(const std::optional<ElementState>& a, const std::optional<ElementState>& b)
{
    if (a.has_value() != b.has_value())
        return false;
    if (!a)
        return true;
    // Where an element stands in the creation order differs from copy to
    // copy, and so does its number once a merge renumbered it here: an object
    // renumbered is no change of ours, or the other copy's next edit of it
    // would be dropped as made on both sides.
    ElementState left = numbered(*a, 0);
    ElementState right = numbered(*b, 0);
    left.sequence = right.sequence = 0;
    // The font height a file held is how the size was written, not a change.
    left.storedFontHeight = right.storedFontHeight = 0;
    return left == right;
}

// Both absent, or both present and alike.
bool same(const ObjectValue* a, const ObjectValue* b)
{
    if (!a || !b)
        return a == b;
    return sameState(a->shape, b->shape) && sameState(a->label, b->label);
}

struct Objects {
    QHash<QString, ObjectValue> byKey;
    QStringList order;
    const ObjectValue* find(const QString& key) const
    {
        const auto found = byKey.constFind(key);
        return found == byKey.cend() ? nullptr : &*found;
    }
    void add(const QString& key, ObjectValue value)
    {
        byKey.insert(key, std::move(value));
        order.append(key);
    }
};

// Objects by name; an unnamed object, a second one of a name and a shape
// without its caption go by their element's name, which no object name can be.
Objects objectsOf(const BoardModel& model)
{
    Objects objects;
    for (const ObjectLabel* label : model.labels()) {
        QString key = label->caption();
        if (key.isEmpty() || key == Unnamed || objects.byKey.contains(key))
            key = QChar(1) + label->objectName().toLower();
        ObjectValue value;
        value.name = label->caption();
        value.label = ElementState::of(*label);
        if (const ObjectShape* shape = model.shapeOf(label))
            value.shape = ElementState::of(*shape);
        objects.add(key, std::move(value));
    }
    for (const ObjectShape* shape : model.shapes()) {
        if (model.labelOf(shape))
            continue;
        ObjectValue value;
        value.name = shape->objectName();
        value.shape = ElementState::of(*shape);
        objects.add(QChar(1) + shape->objectName().toLower(), std::move(value));
    }
    return objects;
}

int numberOf(const ObjectValue& value)
{
    return value.label ? value.label->tag : value.shape->tag;
}

bool numberFree(const BoardModel& model, int number)
{
    return !model.hasElementNamed(ShapePrefix + QString::number(number)) &&
           !model.hasElementNamed(LabelPrefix + QString::number(number));
}

void make(BoardModel& model, ElementState state)
{
    BoardElement* element = state.kind == BoardElement::Kind::Shape
                                ? static_cast<BoardElement*>(new ObjectShape(model))
                                : new ObjectLabel(model);
    state.sequence = element->sequence();
    state.apply(model);
}

// Gives one element of ours the merged state, keeping its own number.
void settle(BoardModel& model, const std::optional<ElementState>& mine,
            const std::optional<ElementState>& merged, int number)
{
    if (!merged) {
        if (mine)
            mine->remove(model);
        return;
    }
    ElementState state = numbered(*merged, number);
    if (!mine) {
        make(model, state);
        return;
    }
    state.sequence = mine->sequence;
    state.apply(model);
}

void takeOver(BoardModel& model, const BoardModel& theirs, const ObjectValue* mine,
              const ObjectValue* merged)
{
    if (!merged) {
        if (mine->shape)
            mine->shape->remove(model);
        if (mine->label)
            mine->label->remove(model);
        return;
    }
    int number = mine ? numberOf(*mine) : numberOf(*merged);
    if (!mine && !numberFree(model, number)) {
        // Both copies gave a new object this number: it gets one neither uses.
        number = model.nextObjectNumber();
        while (!numberFree(model, number) || !numberFree(theirs, number))
            ++number;
    }
    static const std::optional<ElementState> none;
    settle(model, mine ? mine->shape : none, merged->shape, number);
    settle(model, mine ? mine->label : none, merged->label, number);
}

} // namespace

namespace BoardMerge {

Outcome merge(const BoardModel& base, BoardModel& ours, const BoardModel& theirs)
{
    const Objects before = objectsOf(base);
    const Objects mine = objectsOf(ours);
    const Objects other = objectsOf(theirs);
    QStringList keys = mine.order;
    for (const QString& key : other.order)
        if (!mine.byKey.contains(key))
            keys.append(key);

    Outcome outcome;
    for (const QString& key : std::as_const(keys)) {
        const ObjectValue* b = before.find(key);
        const ObjectValue* o = mine.find(key);
        const ObjectValue* t = other.find(key);
        const ObjectValue* merged = nullptr;
        if (same(o, b))
            merged = t; // only theirs changed, if anything
        else if (same(t, b) || same(o, t))
            merged = o; // only ours changed, or both alike
        else if (!o || !t)
            merged = o ? o : t; // removed on one side, edited on the other
        else {
            merged = o;
            outcome.keptOurs.append(o->name);
        }
        if (same(merged, o))
            continue;
        ++outcome.takenFromTheirs;
        takeOver(ours, theirs, o, merged);
    }
    return outcome;
}

} // namespace BoardMerge
