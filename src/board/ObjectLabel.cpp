#include "board/ObjectLabel.h"

#include "board/Board.h"
#include "platform/ColorRef.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

ObjectLabel::ObjectLabel(Board* board)
    : BoardElement(board, Kind::Caption), m_font(board->sharedFont(board->font()))
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
    // Captions mostly share one font: one copy of it serves them all.
    m_font = board()->sharedFont(font);
    update();
}

void ObjectLabel::setFontSize(int pointSize)
{
    QFont f = m_font;
    // Sizes far beyond any caption are brought into a range fonts can render.
    f.setPointSize(std::clamp(pointSize, 1, 1000));
    setFont(f);
    fitToText();
}

void ObjectLabel::setBold(bool bold)
{
    QFont f = m_font;
    f.setBold(bold);
    setFont(f);
    fitToText();
}

void ObjectLabel::setFontFamily(const QString& family)
{
    QFont f = m_font;
    f.setFamily(family);
    setFont(f);
    fitToText();
}

void ObjectLabel::setFontFlags(bool italic, bool underline, bool strikeOut)
{
    QFont f = m_font;
    f.setItalic(italic);
    f.setUnderline(underline);
    f.setStrikeOut(strikeOut);
    setFont(f);
    fitToText();
}

void ObjectLabel::fitToText()
{
    const QFontMetrics metrics(m_font);
    resize(std::max(1, metrics.horizontalAdvance(m_text)), metrics.height());
}

void ObjectLabel::paint(QPainter& painter) const
{
    if (m_text.isEmpty())
        return;
    const QFontMetrics metrics(m_font);
    // One line, at the left, centred in the element's height.
    const qreal baseline = y() + (height() - metrics.height()) / 2.0 + metrics.ascent();
    painter.setFont(m_font);
    painter.setPen(ColorRef::toQColor(m_fontColor));
    painter.drawText(QPointF(x(), baseline), m_text);
}
