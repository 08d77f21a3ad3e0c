#include "board/ObjectLabel.h"

#include "board/Board.h"
#include "platform/ColorRef.h"

#include <QFontMetrics>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <algorithm>

ObjectLabel::ObjectLabel(Board* board)
    : BoardElement(board, Kind::Caption), m_font(QStringLiteral("Tahoma"), 8)
{
}

ObjectLabel::~ObjectLabel()
{
    board()->forgetCaption(this);
}

void ObjectLabel::setText(const QString& text)
{
    if (text == m_text)
        return;
    const QString before = m_text;
    m_text = text;
    board()->captionChanged(this, before);
    update();
}

void ObjectLabel::setCaption(const QString& caption)
{
    setText(caption);
    fitToText();
}

void ObjectLabel::setFontColor(quint32 colorRef)
{
    m_fontColor = colorRef;
    update();
}

void ObjectLabel::setFont(const QFont& font)
{
    m_font = font;
    update();
}

void ObjectLabel::setFontSize(int pointSize)
{
    // Sizes far beyond any caption are brought into a range fonts can render.
    m_font.setPointSize(std::clamp(pointSize, 1, 1000));
    fitToText();
}

void ObjectLabel::setBold(bool bold)
{
    m_font.setBold(bold);
    fitToText();
}

void ObjectLabel::setFontFamily(const QString& family)
{
    m_font.setFamily(family);
    fitToText();
}

void ObjectLabel::setFontFlags(bool italic, bool underline, bool strikeOut)
{
    m_font.setItalic(italic);
    m_font.setUnderline(underline);
    m_font.setStrikeOut(strikeOut);
    fitToText();
}

void ObjectLabel::fitToText()
{
    const QFontMetrics metrics(m_font);
    resize(std::max(1, metrics.horizontalAdvance(m_text)), metrics.height());
    update();
}

void ObjectLabel::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    painter->setFont(m_font);
    painter->setPen(ColorRef::toQColor(m_fontColor));
    painter->drawText(boundingRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
}

void ObjectLabel::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    event->accept();
    emit mousePressed(this, event->button());
}
