#include "project/BoardDigest.h"

#include "project/BoardModel.h"
#include "project/BoardRecords.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"

#include <QSet>
#include <charconv>

namespace {

const QString Unnamed = QStringLiteral("?");
const QString ShapePrefix = QStringLiteral("Shape");
const QString LabelPrefix = QStringLiteral("Label");

// Each value is mixed in whole (the finaliser of MurmurHash3, a bijection):
// fields that differ a little, as a moved object's do, make unrelated hashes.
class Hasher {
public:
    void add(quint64 value)
    {
        quint64 h = m_hash ^ value;
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdULL;
        h ^= h >> 33;
        h *= 0xc4ceb9fe1a85ec53ULL;
        h ^= h >> 33;
        m_hash = h;
    }
    void add(QStringView text)
    {
        add(qHash(text, 0));
        add(quint64(text.size()));
    }
    void add(qint32 high, qint32 low) { add(quint64(quint32(high)) << 32 | quint32(low)); }
    quint64 value() const { return m_hash; }

private:
    quint64 m_hash = 0x9e3779b97f4a7c15ULL;
};

const QString& prefixOf(const ElementState& state)
{
    return state.kind == BoardElement::Kind::Shape ? ShapePrefix : LabelPrefix;
}

// name is prefix and number, the prefix in any case, as the board finds an
// element named "Shape<n>" or "Label<n>".
bool namesNumber(QStringView name, QStringView prefix, int number, Qt::CaseSensitivity cs)
{
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    const QLatin1StringView text(digits, end - digits);
    if (name.size() != prefix.size() + text.size() || name.mid(prefix.size()) != text)
        return false;
    if (cs == Qt::CaseSensitive)
        return name.startsWith(prefix);
    // As the board compares names: both lower-cased.
    for (qsizetype i = 0; i < prefix.size(); ++i)
        if (name[i].toLower() != prefix[i].toLower())
            return false;
    return true;
}

// The number an element name "Shape<n>" or "Label<n>" (in any case) gives; none for another name.
std::optional<int> numberNamed(QStringView name, QStringView prefix)
{
    if (name.size() <= prefix.size())
        return std::nullopt;
    bool ok = false;
    const int number = name.mid(prefix.size()).toInt(&ok);
    if (!ok || !namesNumber(name, prefix, number, Qt::CaseInsensitive))
        return std::nullopt;
    return number;
}

void addFont(Hasher& h, const QFont& font)
{
    // What QFont's comparison compares.
    for (const QString& family : font.families())
        h.add(family);
    h.add(quint64(font.families().size()));
    h.add(font.styleName());
    h.add(qHash(font.pointSizeF()));
    h.add(font.pixelSize(), font.weight());
    h.add(quint64(font.style()) | quint64(font.styleHint()) << 8 |
          quint64(font.styleStrategy()) << 16 | quint64(font.hintingPreference()) << 32 |
          quint64(font.capitalization()) << 40);
    h.add(quint64(font.underline()) | quint64(font.overline()) << 1 |
          quint64(font.strikeOut()) << 2 | quint64(font.kerning()) << 3 |
          quint64(font.fixedPitch()) << 4 | quint64(font.stretch()) << 8 |
          quint64(font.letterSpacingType()) << 32);
    h.add(qHash(font.letterSpacing()));
    h.add(qHash(font.wordSpacing()));
}

// The state as a merge compares it: under number 0, first in the creation
// order, without the font height its file held.
quint64 stateHash(const ElementState& state)
{
    Hasher h;
    h.add(quint64(state.kind));
    // A hint that named the element's number names number 0.
    const QString& prefix = prefixOf(state);
    if (namesNumber(state.hint, prefix, state.tag, Qt::CaseSensitive)) {
        h.add(prefix);
        h.add(QStringView(u"0"));
    } else {
        h.add(state.hint);
    }
    const QRect& g = state.geometry;
    h.add(g.x(), g.y());
    h.add(g.width(), g.height());
    h.add(quint64(state.visible) | quint64(state.missingFromFile) << 8 |
          quint64(state.shapeKind) << 32 | quint64(state.brushStyle) << 40);
    h.add(quint64(state.brushColor) << 32 | state.fontColor);
    h.add(state.caption);
    addFont(h, state.font);
    return h.value();
}

QString elementKey(const QString& name)
{
    return QChar(1) + name.toLower();
}

// What the digest finds an object's key by.
quint64 keyHash(QStringView key)
{
    Hasher h;
    h.add(key);
    return h.value();
}

QString labelKey(const QString& caption, const QString& name, const BoardDigest::Taken& taken)
{
    if (caption.isEmpty() || caption == Unnamed || taken(caption))
        return elementKey(name);
    return caption;
}

// The hash of an object from the hashes of its shape and caption states.
quint64 pairHash(std::optional<quint64> shape, std::optional<quint64> label)
{
    Hasher h;
    h.add(quint64(shape.has_value()) | quint64(label.has_value()) << 1);
    if (shape)
        h.add(*shape);
    if (label)
        h.add(*label);
    return h.value();
}

} // namespace

quint64 BoardDigest::objectHash(const ElementState* shape, const ElementState* label)
{
    return pairHash(shape ? std::optional(stateHash(*shape)) : std::nullopt,
                    label ? std::optional(stateHash(*label)) : std::nullopt);
}

void BoardDigest::forEachObject(const BoardModel& board, const Taken& taken, const Visit& visit)
{
    for (const ObjectLabel* label : board.labels()) {
        ElementState state = ElementState::of(*label);
        const QString key = labelKey(state.caption, state.name, taken);
        std::optional<ElementState> shape;
        if (const ObjectShape* own = board.shapeOf(label))
            shape = ElementState::of(*own);
        visit(key, label->caption(), std::move(shape), std::move(state));
    }
    for (const ObjectShape* shape : board.shapes()) {
        if (!board.labelOf(shape))
            visit(elementKey(shape->objectName()), shape->objectName(), ElementState::of(*shape),
                  std::nullopt);
    }
}

BoardDigest BoardDigest::of(const BoardModel& board)
{
    BoardDigest digest;
    digest.reserve(board.labelCount());
    const auto taken = [&digest](const QString& key) {
        return digest.m_objects.contains(keyHash(key));
    };
    forEachObject(board, taken,
                  [&digest](const QString& key, const QString&, std::optional<ElementState> shape,
                            std::optional<ElementState> label) {
                      digest.insert(
                          key, objectHash(shape ? &*shape : nullptr, label ? &*label : nullptr));
                  });
    return digest;
}

ElementDigest ElementDigest::of(const ElementState& state)
{
    const std::optional<int> number = numberNamed(state.name, prefixOf(state));
    const quint64 own = keyHash(elementKey(state.name));
    const bool captionIsKey = !state.caption.isEmpty() && state.caption != Unnamed;
    return {stateHash(state), own, captionIsKey ? keyHash(state.caption) : own,
            number ? *number : NoNumber, state.tag};
}

std::vector<ElementDigest> ElementDigest::ofEach(const std::vector<ElementState>& elements)
{
    std::vector<ElementDigest> digests;
    digests.reserve(elements.size());
    for (const ElementState& element : elements)
        digests.push_back(of(element));
    return digests;
}

BoardDigest BoardDigest::of(const BoardRecords::FileValues& shapes,
                            const BoardRecords::FileValues& labels)
{
    return of(ElementDigest::ofEach(shapes.elements), ElementDigest::ofEach(labels.elements));
}

BoardDigest BoardDigest::of(const std::vector<ElementDigest>& shapes,
                            const std::vector<ElementDigest>& labels)
{
    // Pairs as the board makes them: a caption of number n with the first
    // shape named "Shape<n>", a shape with any caption named "Label<tag>".
    QHash<qint64, quint64> shapeNumbered; // the state hash of each
    shapeNumbered.reserve(qsizetype(shapes.size()));
    for (const ElementDigest& shape : shapes)
        if (shape.number != ElementDigest::NoNumber && !shapeNumbered.contains(shape.number))
            shapeNumbered.insert(shape.number, shape.hash);
    QSet<qint64> labelNumbers;
    labelNumbers.reserve(qsizetype(labels.size()));
    for (const ElementDigest& label : labels)
        if (label.number != ElementDigest::NoNumber)
            labelNumbers.insert(label.number);

    // As labelKey: a caption goes by its text unless an object went by it before.
    BoardDigest digest;
    digest.reserve(qsizetype(labels.size()));
    for (const ElementDigest& label : labels) {
        const auto shape = shapeNumbered.constFind(label.tag);
        const quint64 key =
            digest.m_objects.contains(label.captionKey) ? label.ownKey : label.captionKey;
        digest.m_objects.insert(
            key, pairHash(shape == shapeNumbered.cend() ? std::nullopt : std::optional(*shape),
                          label.hash));
    }
    for (const ElementDigest& shape : shapes)
        if (!labelNumbers.contains(shape.tag))
            digest.m_objects.insert(shape.ownKey, pairHash(shape.hash, std::nullopt));
    return digest;
}

void BoardDigest::insert(const QString& key, quint64 hash)
{
    m_objects.insert(keyHash(key), hash);
}

std::optional<quint64> BoardDigest::find(const QString& key) const
{
    const auto found = m_objects.constFind(keyHash(key));
    if (found == m_objects.cend())
        return std::nullopt;
    return *found;
}
