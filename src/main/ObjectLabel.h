#pragma once

#include <QLabel>

// The caption element of a board object: the object's name, named "Label" + N,
// standing above its shape. It sizes itself to its text and lets the board
// show through around the letters. Its tooltip is the caption hint.
class ObjectLabel : public QLabel {
    Q_OBJECT
public:
    explicit ObjectLabel(QWidget* board);

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    QString caption() const { return text(); }
    void setCaption(const QString& caption);
    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }
    quint32 fontColor() const { return m_fontColor; }
    void setFontColor(quint32 colorRef);
    // Text size in points.
    int fontSize() const { return font().pointSize(); }
    void setFontSize(int pointSize);
    bool isBold() const { return font().bold(); }
    void setBold(bool bold);
    void setFontFamily(const QString& family);
    void setFontFlags(bool italic, bool underline, bool strikeOut);
    // Sizes the element to its text, keeping its top-left corner.
    void fitToText();

private:
    int m_tag = 0;
    quint32 m_fontColor = 0xFF000008;
};
