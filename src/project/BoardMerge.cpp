#include "project/BoardMerge.h"

#include "project/BoardCommands.h"
#include "project/BoardDigest.h"
#include "project/BoardModel.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"

#include <QHash>
#include <optional>

namespace {

const QString ShapePrefix = QStringLiteral("Shape");
const QString LabelPrefix = QStringLiteral("Label");

// An object as the board files keep it: its shape, its caption, or both.
struct ObjectValue {
    std::optional<ElementState> shape;
    std::optional<ElementState> label;
    QString name;
    // BoardDigest's hash of it.
    quint64 hash = 0;
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

struct Objects {
    QHash<QString, ObjectValue> byKey;
    QStringList order;
    const ObjectValue* find(const QString& key) const
    {
        const auto found = byKey.constFind(key);
        return found == byKey.cend() ? nullptr : &*found;
    }
};

// The board's objects by their keys (see BoardDigest), each with its hash.
Objects objectsOf(const BoardModel& model)
{
    Objects objects;
    objects.byKey.reserve(model.labelCount());
    const auto taken = [&objects](const QString& key) { return objects.byKey.contains(key); };
    BoardDigest::forEachObject(
        model, taken,
        [&objects](const QString& key, const QString& name, std::optional<ElementState> shape,
                   std::optional<ElementState> label) {
            const quint64 hash =
                BoardDigest::objectHash(shape ? &*shape : nullptr, label ? &*label : nullptr);
            objects.byKey.insert(key, {std::move(shape), std::move(label), name, hash});
            objects.order.append(key);
        });
    return objects;
}

// The hash of an object; none when it is absent. Alike objects hash the same.
std::optional<quint64> hashOf(const ObjectValue* value)
{
    return value ? std::optional(value->hash) : std::nullopt;
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

Outcome merge(const BoardDigest& base, BoardModel& ours, const BoardModel& theirs)
{
    const Objects mine = objectsOf(ours);
    const Objects other = objectsOf(theirs);
    QStringList keys = mine.order;
    for (const QString& key : other.order)
        if (!mine.byKey.contains(key))
            keys.append(key);

    Outcome outcome;
    for (const QString& key : std::as_const(keys)) {
        const std::optional<quint64> b = base.find(key);
        const ObjectValue* o = mine.find(key);
        const ObjectValue* t = other.find(key);
        const ObjectValue* merged = nullptr;
        if (hashOf(o) == b)
            merged = t; // only theirs changed, if anything
        else if (hashOf(t) == b || hashOf(o) == hashOf(t))
            merged = o; // only ours changed, or both alike
        else if (!o || !t)
            merged = o ? o : t; // removed on one side, edited on the other
        else {
            merged = o;
            outcome.keptOurs.append(o->name);
        }
        if (hashOf(merged) == hashOf(o))
            continue;
        ++outcome.takenFromTheirs;
        takeOver(ours, theirs, o, merged);
    }
    outcome.theirs.reserve(other.byKey.size());
    for (auto it = other.byKey.cbegin(); it != other.byKey.cend(); ++it)
        outcome.theirs.insert(it.key(), it->hash);
    return outcome;
}

} // namespace BoardMerge
