#include "board/BoardAccessibility.h"

#include "board/Board.h"
#include "board/BoardObjects.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace {

class ObjectAccessible;

// The items of one board: made when first asked for, kept by the object's
// sequence, destroyed with their object. Changes reach a reader after the
// edit that made them, gathered: a board edit of many steps is one event
// per item, and an element is read only once it is whole.
class AccessibleObjects : public QObject {
public:
    explicit AccessibleObjects(Board& board);
    ~AccessibleObjects() override;

    static AccessibleObjects& of(Board& board);

    Board& board() const { return m_board; }
    ObjectAccessible* interfaceFor(BoardElement* object);
    ObjectAccessible* existing(quint64 sequence) const;

private:
    enum Change { Created = 1, Name = 2, Description = 4, Location = 8 };
    void elementAdded(BoardElement* element);
    void elementChanged(BoardElement* element, const QRect& before);
    void elementRemoved(BoardElement* element);
    void forgetAll();
    void discard(quint64 sequence);
    void later(quint64 sequence, int changes);
    void send();

    Board& m_board;
    QHash<quint64, QAccessible::Id> m_ids;
    QHash<quint64, int> m_pending;
    bool m_focusPending = false;
    bool m_reordered = false;
    bool m_sendScheduled = false;
};

class ObjectAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ObjectAccessible(Board& board, quint64 sequence) : m_board(&board), m_sequence(sequence) {}

    // The object's element; none once it is gone.
    BoardElement* element() const
    {
        return m_board && !m_gone ? m_board->model().elementWithSequence(m_sequence) : nullptr;
    }
    void setGone() { m_gone = true; }

    bool isValid() const override { return element() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override
    {
        return m_board ? m_board->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return m_board ? QAccessible::queryAccessibleInterface(m_board.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text kind) const override
    {
        const BoardElement* object = element();
        if (!object)
            return {};
        const ObjectLabel* caption = object->kind() == BoardElement::Kind::Caption
                                         ? static_cast<const ObjectLabel*>(object)
                                         : m_board->model().labelOf(object);
        switch (kind) {
        case QAccessible::Name:
            return caption ? caption->caption() : object->objectName();
        case QAccessible::Description:
            return object->kind() == BoardElement::Kind::Shape
                       ? m_board->statusOfColor(
                             static_cast<const ObjectShape*>(object)->brushColor())
                       : QString();
        case QAccessible::Help:
            return object->hint();
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        const BoardElement* object = element();
        return object ? m_board->globalArea(object) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        const BoardElement* object = element();
        if (!object) {
            state.invalid = true;
            return state;
        }
        state.focusable = true;
        state.selectable = true;
        if (m_board->currentObject() == object) {
            state.focused = true;
            state.selected = true;
        }
        const QRect shown(m_board->viewport()->mapToGlobal(QPoint(0, 0)),
                          m_board->viewport()->size());
        if (!shown.intersects(rect()))
            state.offscreen = true;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override
    {
        return {ObjectActions::OpenNote, ObjectActions::ShowMenu, setFocusAction()};
    }
    QString localizedActionName(const QString& action) const override
    {
        if (action == ObjectActions::OpenNote)
            return QStringLiteral("Open note");
        if (action == ObjectActions::ShowMenu)
            return QStringLiteral("Show menu");
        return QAccessibleActionInterface::localizedActionName(action);
    }
    QString localizedActionDescription(const QString& action) const override
    {
        if (action == ObjectActions::OpenNote)
            return QStringLiteral("Opens the note of the object");
        if (action == ObjectActions::ShowMenu)
            return QStringLiteral("Opens the pop-up menu of the object");
        return QAccessibleActionInterface::localizedActionDescription(action);
    }
    void doAction(const QString& action) override
    {
        BoardElement* object = element();
        if (!object)
            return;
        if (action == ObjectActions::OpenNote)
            emit m_board->objectOpenRequested(object);
        else if (action == ObjectActions::ShowMenu)
            emit m_board->objectMenuRequested(object, rect().center());
        else if (action == setFocusAction())
            emit m_board->objectChosen(object);
    }
    QStringList keyBindingsForAction(const QString& action) const override
    {
        if (action == ObjectActions::OpenNote)
            return {QStringLiteral("Return")};
        if (action == ObjectActions::ShowMenu)
            return {QStringLiteral("Menu"), QStringLiteral("Shift+F10")};
        return {};
    }

private:
    QPointer<Board> m_board;
    quint64 m_sequence;
    bool m_gone = false;
};

class BoardAccessible : public QAccessibleWidget {
public:
    explicit BoardAccessible(Board* board) : QAccessibleWidget(board, QAccessible::List)
    {
        AccessibleObjects::of(*board);
    }

    Board* board() const { return static_cast<Board*>(widget()); }
    AccessibleObjects& items() const { return AccessibleObjects::of(*board()); }

    int childCount() const override { return int(board()->objects().count()); }
    QAccessibleInterface* child(int index) const override
    {
        return items().interfaceFor(board()->objects().at(index));
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* item = dynamic_cast<const ObjectAccessible*>(child);
        if (!item || item->parent() != this)
            return -1;
        return int(board()->objects().indexOf(item->element()));
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        BoardElement* element = board()->elementAt(QPoint(x, y));
        BoardElement* object = board()->objects().objectOf(element);
        if (board()->objects().indexOf(object) < 0)
            return nullptr;
        return items().interfaceFor(object);
    }
    QAccessibleInterface* focusChild() const override
    {
        BoardElement* current = board()->currentObject();
        return current && board()->objects().indexOf(current) >= 0 ? items().interfaceFor(current)
                                                                   : nullptr;
    }
    QString text(QAccessible::Text kind) const override
    {
        QString text = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && text.isEmpty())
            return QStringLiteral("Board");
        return text;
    }
};

AccessibleObjects::AccessibleObjects(Board& board) : QObject(&board), m_board(board)
{
    BoardModel* model = &board.model();
    connect(model, &BoardModel::elementAdded, this, &AccessibleObjects::elementAdded);
    connect(model, &BoardModel::elementChangedAt, this, &AccessibleObjects::elementChanged);
    connect(model, &BoardModel::elementRemoved, this, &AccessibleObjects::elementRemoved);
    connect(model, &BoardModel::boardReset, this, [this] {
        forgetAll();
        m_reordered = true;
        later(0, 0);
    });
    connect(&board, &Board::currentObjectChanged, this, [this] {
        m_focusPending = true;
        later(0, 0);
    });
}

AccessibleObjects::~AccessibleObjects()
{
    for (const QAccessible::Id id : std::as_const(m_ids))
        QAccessible::deleteAccessibleInterface(id);
}

AccessibleObjects& AccessibleObjects::of(Board& board)
{
    for (QObject* child : board.children())
        if (auto* items = dynamic_cast<AccessibleObjects*>(child))
            return *items;
    return *new AccessibleObjects(board);
}

ObjectAccessible* AccessibleObjects::existing(quint64 sequence) const
{
    const QAccessible::Id id = m_ids.value(sequence);
    return id ? static_cast<ObjectAccessible*>(QAccessible::accessibleInterface(id)) : nullptr;
}

ObjectAccessible* AccessibleObjects::interfaceFor(BoardElement* object)
{
    if (!object)
        return nullptr;
    if (ObjectAccessible* item = existing(object->sequence()))
        return item;
    auto* item = new ObjectAccessible(m_board, object->sequence());
    m_ids.insert(object->sequence(), QAccessible::registerAccessibleInterface(item));
    return item;
}

void AccessibleObjects::discard(quint64 sequence)
{
    const QAccessible::Id id = m_ids.take(sequence);
    m_pending.remove(sequence);
    if (!id)
        return;
    auto* item = static_cast<ObjectAccessible*>(QAccessible::accessibleInterface(id));
    // The element is being destroyed: the item no longer reads it.
    item->setGone();
    QAccessibleEvent destroyed(item, QAccessible::ObjectDestroyed);
    QAccessible::updateAccessibility(&destroyed);
    QAccessible::deleteAccessibleInterface(id);
}

void AccessibleObjects::forgetAll()
{
    const QList<quint64> sequences = m_ids.keys();
    for (const quint64 sequence : sequences)
        discard(sequence);
    m_pending.clear();
}

void AccessibleObjects::elementAdded(BoardElement* element)
{
    // Made only now: read once it is whole, when the edit is done.
    later(element->sequence(), Created);
}

void AccessibleObjects::elementChanged(BoardElement* element, const QRect& before)
{
    // Nobody listens: nothing to tell (a reader that comes asks for all).
    if (!QAccessible::isActive())
        return;
    BoardElement* object = m_board.objects().objectOf(element);
    if (!existing(object->sequence()) && !m_pending.contains(object->sequence()))
        return;
    int changes = element->kind() == BoardElement::Kind::Caption ? Name : Description;
    if (element->geometry() != before)
        changes = Location;
    later(object->sequence(), changes);
}

void AccessibleObjects::elementRemoved(BoardElement* element)
{
    const quint64 sequence = element->sequence();
    if (element->kind() == BoardElement::Kind::Caption) {
        // Its shape loses its name, or it was an object of its own.
        if (ObjectShape* shape = m_board.model().shapeOf(element);
            shape && existing(shape->sequence()))
            later(shape->sequence(), Name);
    }
    discard(sequence);
}

void AccessibleObjects::later(quint64 sequence, int changes)
{
    if (sequence)
        m_pending[sequence] |= changes;
    if (m_sendScheduled)
        return;
    m_sendScheduled = true;
    QTimer::singleShot(0, this, &AccessibleObjects::send);
}

void AccessibleObjects::send()
{
    m_sendScheduled = false;
    const QHash<quint64, int> pending = std::exchange(m_pending, {});
    if (!QAccessible::isActive()) {
        m_reordered = m_focusPending = false;
        return;
    }
    // Many objects made at once are said as one change of the list.
    constexpr int MostSaidOneByOne = 64;
    if (m_reordered || pending.size() > MostSaidOneByOne) {
        m_reordered = false;
        QAccessibleEvent reorder(&m_board, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reorder);
    } else {
        for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
            BoardElement* object =
                m_board.objects().objectOf(m_board.model().elementWithSequence(it.key()));
            if (!object || m_board.objects().indexOf(object) < 0)
                continue;
            const auto say = [&](QAccessible::Event event) {
                QAccessibleEvent change(interfaceFor(object), event);
                QAccessible::updateAccessibility(&change);
            };
            // A caption made for a shape renames the shape's object.
            const bool madeItself = object->sequence() == it.key();
            if ((it.value() & Created) && madeItself)
                say(QAccessible::ObjectCreated);
            if ((it.value() & Name) || ((it.value() & Created) && !madeItself))
                say(QAccessible::NameChanged);
            if (it.value() & Description)
                say(QAccessible::DescriptionChanged);
            if (it.value() & Location)
                say(QAccessible::LocationChanged);
        }
    }
    if (std::exchange(m_focusPending, false)) {
        BoardElement* current = m_board.currentObject();
        if (current && m_board.objects().indexOf(current) >= 0) {
            QAccessibleEvent focus(interfaceFor(current), QAccessible::Focus);
            QAccessible::updateAccessibility(&focus);
        }
    }
}

QAccessibleInterface* boardInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String("Board"))
        if (auto* board = qobject_cast<Board*>(object))
            return new BoardAccessible(board);
    return nullptr;
}

} // namespace

void installBoardAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(&boardInterface);
        return true;
    }();
    Q_UNUSED(installed);
}
