#include "project/ObjectLabel.h"

#include "project/BoardModel.h"

#include <QFontMetrics>
#include <algorithm>

// A board holds one per object: 152 bytes are one allocation size less than 168.
static_assert(sizeof(void*) != 8 || sizeof(ObjectLabel) <= 152);

ObjectLabel::ObjectLabel(BoardModel& model, quint64 sequence)
    : BoardElement(model, Kind::Caption, sequence), m_font(model.defaultFont())
{
}

ObjectLabel::~ObjectLabel()
{
    model().forgetCaption(this);
}

void ObjectLabel::setText(const QString& text)
{
    if (text == m_text)
        return;
    const QString before = m_text;
    m_text = text;
    model().captionChanged(this, before);
    changed();
}

void ObjectLabel::setCaption(const QString& caption)
{
    setText(caption);
    fitToText();
}

void ObjectLabel::setFontColor(quint32 colorRef)
{
    if (colorRef == m_fontColor)
        return;
    m_fontColor = colorRef;
    changed();
}

void ObjectLabel::setFont(const QFont& font)
{
    // Captions mostly share one font: one copy of it serves them all.
    if (font == m_font)
        return;
    m_font = model().sharedFont(font);
    changed();
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
