#include "main/ObjectLabel.h"

#include "platform/ColorRef.h"

#include <algorithm>

ObjectLabel::ObjectLabel(QWidget* board) : QLabel(board)
{
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    setMargin(0);
    setIndent(0);
    // The font (Tahoma, 8 points) and the window-text colour come from the board.
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
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ColorRef::toQColor(colorRef));
    setPalette(pal);
}

void ObjectLabel::setFontSize(int pointSize)
{
    QFont f = font();
    // Sizes far beyond any caption are brought into a range fonts can render.
    f.setPointSize(std::clamp(pointSize, 1, 1000));
    setFont(f);
    fitToText();
}

void ObjectLabel::setBold(bool bold)
{
    QFont f = font();
    f.setBold(bold);
    setFont(f);
    fitToText();
}

void ObjectLabel::setFontFamily(const QString& family)
{
    QFont f = font();
    f.setFamily(family);
    setFont(f);
    fitToText();
}

void ObjectLabel::setFontFlags(bool italic, bool underline, bool strikeOut)
{
    QFont f = font();
    f.setItalic(italic);
    f.setUnderline(underline);
    f.setStrikeOut(strikeOut);
    setFont(f);
    fitToText();
}

void ObjectLabel::fitToText()
{
    const QFontMetrics metrics(font());
    resize(std::max(1, metrics.horizontalAdvance(text())), metrics.height());
}
