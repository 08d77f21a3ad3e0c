#pragma once

#include "project/BoardElement.h"
#include "project/ElementIndex.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QObject>
#include <QRect>
#include <vector>

class ObjectLabel;
class ObjectShape;

// Every element of a project's board, as plain values in creation order, with
// the name index (ignoring letter case, as the board files do) and the caption
// index (exact text). The board view paints it; the undo commands, the saving
// as you go and the find index follow its signals. Elements are found through
// the indexes, never by walking the list.
class BoardModel : public QObject {
    Q_OBJECT
public:
    explicit BoardModel(QObject* parent = nullptr);
    ~BoardModel() override;

    // Every shape or caption element, in creation order.
    QList<ObjectShape*> shapes() const;
    QList<ObjectLabel*> labels() const;
    qsizetype shapeCount() const { return m_shapeCount; }
    qsizetype labelCount() const { return m_labelCount; }
    // Calls visit(element) for every element in creation order.
    template <typename Visit> void forEachElement(Visit visit) const
    {
        for (const BoardElement* element : m_elements)
            if (element)
                visit(*element);
    }

    ObjectShape* shapeNamed(const QString& name) const;
    ObjectLabel* labelNamed(const QString& name) const;
    // Whether any element bears the name, ignoring letter case; none bears "".
    bool hasElementNamed(const QString& name) const;
    // The caption element "label" + the shape's number, and the reverse (of
    // any element by its number: also of one being made or destroyed, which
    // is then only a BoardElement).
    ObjectLabel* labelOf(const BoardElement* shape) const;
    ObjectShape* shapeOf(const BoardElement* label) const;
    // The first caption element whose text is the object name (compared exactly);
    // none for "".
    ObjectLabel* labelWithCaption(const QString& name) const;
    // Every caption element with that text, in creation order.
    QList<ObjectLabel*> labelsWithCaption(const QString& name) const;
    // The element made at that point of the creation order, or none.
    BoardElement* elementWithSequence(quint64 sequence) const;
    // The topmost visible element at a board point, or none.
    BoardElement* elementAt(const QPoint& boardPoint) const;

    // The smallest object number no caption element uses.
    int nextObjectNumber() const;

    // Destroy every shape element, every caption element, or both.
    void removeShapes();
    void removeLabels();
    void clear();

    // While one lives, elements change without a signal each; boardReset()
    // is announced once at its end.
    class BulkChange {
    public:
        explicit BulkChange(BoardModel& model);
        ~BulkChange();
        BulkChange(const BulkChange&) = delete;
        BulkChange& operator=(const BulkChange&) = delete;

    private:
        BoardModel& m_model;
    };

    // The font a caption gets when it is made, and that a record without a
    // font entry reads as.
    const QFont& defaultFont() const { return m_defaultFont; }
    // The one copy of a font that equal fonts of captions share.
    QFont sharedFont(const QFont& font);

    // Called by the elements themselves.
    void adopt(BoardElement* element, quint64 sequence);
    void forget(BoardElement* element);
    void renamed(BoardElement* element, const QString& before);
    void captionChanged(ObjectLabel* label, const QString& before);
    void forgetCaption(ObjectLabel* label);
    // The element's look or place changed; before is where it stood.
    void elementChanged(BoardElement* element, const QRect& before);
    quint64 nextSequence() const { return m_lastSequence + 1; }

signals:
    // An element was made, changed (its place, look, name, text or
    // visibility) or is being destroyed. area is the board area it covered
    // before the change, to be drawn again. An element being made or
    // destroyed is only a BoardElement: its kind, sequence and geometry.
    void elementAdded(BoardElement* element);
    void elementChangedAt(BoardElement* element, const QRect& area);
    void elementRemoved(BoardElement* element);
    // A caption's text changed from before to after; a caption made has had
    // the text "", one destroyed has it then.
    void captionTextChanged(const QString& before, const QString& after);
    // Many elements changed at once (a load, a clear): look at all of them.
    void boardReset();

private:
    template <typename Element> QList<Element*> elements() const;
    template <typename Element> Element* firstNamed(const QString& name) const;
    void removeAllOf(BoardElement::Kind kind);
    void compactElements();
    bool announcing() const { return m_bulkChanges == 0; }

    // Every element in creation order; removed ones leave a null until the
    // next compaction, so that removing one element costs no shifting.
    std::vector<BoardElement*> m_elements;
    qsizetype m_removedSlots = 0;
    qsizetype m_shapeCount = 0;
    qsizetype m_labelCount = 0;
    quint64 m_lastSequence = 0;
    int m_bulkChanges = 0;
    // An element's name as the name index compares it: ignoring letter case,
    // without a lower-case copy of each name.
    struct NameKey {
        QStringView name;
        bool operator==(const NameKey& other) const
        {
            return name.compare(other.name, Qt::CaseInsensitive) == 0;
        }
    };
    friend size_t qHash(const NameKey& key, size_t seed);
    static NameKey nameKeyOf(const BoardElement& element) { return {element.objectName()}; }
    static QStringView captionKeyOf(const ObjectLabel& label);
    ElementIndex<NameKey, BoardElement, &BoardModel::nameKeyOf> m_byName;
    ElementIndex<QStringView, ObjectLabel, &BoardModel::captionKeyOf> m_byCaption; // exact text
    QHash<QString, QFont> m_fonts;
    QFont m_defaultFont;
};

// A reference to an element that knows when the element is gone: it names
// the element by its place in the creation order, so it is empty once the
// element is destroyed and names it again when it is brought back (an undone
// removal). Used where a window keeps "the current object" across changes.
template <typename Element> class ElementRef {
public:
    ElementRef() = default;
    ElementRef(Element* element) { *this = element; }
    ElementRef& operator=(Element* element)
    {
        m_model = element ? &element->model() : nullptr;
        m_sequence = element ? element->sequence() : 0;
        return *this;
    }
    Element* data() const
    {
        if (!m_model)
            return nullptr;
        BoardElement* found = m_model->elementWithSequence(m_sequence);
        return found && found->kind() == Element::ElementKind ? static_cast<Element*>(found)
                                                              : nullptr;
    }
    operator Element*() const { return data(); }
    Element* operator->() const { return data(); }

private:
    const BoardModel* m_model = nullptr;
    quint64 m_sequence = 0;
};
