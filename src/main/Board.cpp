#include "main/Board.h"

#include "main/ObjectLabel.h"
#include "main/ObjectShape.h"
#include "platform/ColorRef.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSet>

Board::Board(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Board"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColorRef::toQColor(ColorRef::BtnFace));
    pal.setColor(QPalette::WindowText, ColorRef::toQColor(ColorRef::WindowText));
    setPalette(pal);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
}

template <typename Element> QList<Element*> Board::elements() const
{
    QList<Element*> found;
    for (QObject* child : children())
        if (auto* element = qobject_cast<Element*>(child))
            found.append(element);
    return found;
}

QList<ObjectShape*> Board::shapes() const
{
    return elements<ObjectShape>();
}

QList<ObjectLabel*> Board::labels() const
{
    return elements<ObjectLabel>();
}

namespace {

template <typename Element> Element* named(const QObjectList& children, const QString& name)
{
    for (QObject* child : children) {
        auto* element = qobject_cast<Element*>(child);
        if (element && element->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return element;
    }
    return nullptr;
}

} // namespace

ObjectShape* Board::shapeNamed(const QString& name) const
{
    return named<ObjectShape>(children(), name);
}

ObjectLabel* Board::labelNamed(const QString& name) const
{
    return named<ObjectLabel>(children(), name);
}

ObjectLabel* Board::labelOf(const ObjectShape* shape) const
{
    return shape ? labelNamed(QStringLiteral("label%1").arg(shape->tag())) : nullptr;
}

ObjectShape* Board::shapeOf(const ObjectLabel* label) const
{
    return label ? shapeNamed(QStringLiteral("Shape%1").arg(label->tag())) : nullptr;
}

ObjectLabel* Board::labelWithCaption(const QString& name) const
{
    for (QObject* child : children()) {
        auto* label = qobject_cast<ObjectLabel*>(child);
        if (label && label->caption() == name)
            return label;
    }
    return nullptr;
}

int Board::nextObjectNumber() const
{
    // One pass over the caption names instead of one look-up per candidate.
    QSet<qint64> taken;
    for (QObject* child : children()) {
        const QString name = child->objectName();
        if (name.size() > 5 && name.startsWith(QLatin1String("label"), Qt::CaseInsensitive)) {
            bool ok = false;
            const qint64 n = QStringView(name).mid(5).toLongLong(&ok);
            // "label" + N must spell the name exactly: "Label07" is not number 7.
            if (ok && QString::number(n) == QStringView(name).mid(5))
                taken.insert(n);
        }
    }
    const int candidates = int(children().size());
    int n = 1;
    for (; n <= candidates; ++n)
        if (!taken.contains(n))
            return n;
    return n;
}

template <typename Element> void Board::removeAll()
{
    // Oldest first: each element is then near the front of the children list,
    // which keeps clearing a board of thousands of elements linear.
    BulkChange change(*this);
    for (Element* element : elements<Element>())
        delete element;
}

void Board::removeShapes()
{
    removeAll<ObjectShape>();
}

void Board::removeLabels()
{
    removeAll<ObjectLabel>();
}

Board::BulkChange::BulkChange(Board& board) : m_board(board), m_wasVisible(board.isVisible())
{
    if (m_wasVisible)
        m_board.hide();
}

Board::BulkChange::~BulkChange()
{
    if (m_wasVisible)
        m_board.show();
}

void Board::setBackground(const QImage& picture)
{
    m_background = picture;
    update();
}

void Board::paintEvent(QPaintEvent*)
{
    if (m_background.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(rect(), m_background);
}

void Board::mousePressEvent(QMouseEvent* event)
{
    emit pressed(event->button());
}
