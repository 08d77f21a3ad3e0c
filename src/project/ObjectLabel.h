#pragma once

#include "project/BoardElement.h"

#include <QFont>

// The caption element of a board object: the object's name, named "Label" + N,
// standing above its shape. It sizes itself to its text and lets the board
// show through around the letters. Its tooltip is the caption hint.
class ObjectLabel : public BoardElement {
public:
    static constexpr Kind ElementKind = Kind::Caption;
    explicit ObjectLabel(BoardModel& model, quint64 sequence = 0);
    ~ObjectLabel() override;

    const QString& caption() const { return m_text; }
    const QString& text() const { return m_text; }
    // Sets the text and sizes the element to it.
    void setCaption(const QString& caption);
    // Sets the text and leaves the size as it is.
    void setText(const QString& text);
    // A new caption's text colour: the system's window text colour.
    static constexpr quint32 DefaultFontColor = 0xFF000008;
    quint32 fontColor() const { return m_fontColor; }
    void setFontColor(quint32 colorRef);
    const QFont& font() const { return m_font; }
    void setFont(const QFont& font);
    // Text size in points.
    int fontSize() const { return m_font.pointSize(); }
    void setFontSize(int pointSize);
    bool isBold() const { return m_font.bold(); }
    void setBold(bool bold);
    void setFontFlags(bool italic, bool underline, bool strikeOut);
    // Sizes the element to its text, keeping its top-left corner.
    void fitToText();

    // The font height a board file held, in the file's pixels. It stands for
    // the text size as long as that stays the size it was read as: the height
    // made again from the size at this screen's dots per inch may round to
    // another value. 0 when there is none.
    void keepStoredFontHeight(int height) { m_storedFontHeight = {height, fontSize()}; }
    int storedFontHeight() const
    {
        return m_storedFontHeight.pointSize == fontSize() ? m_storedFontHeight.height : 0;
    }

private:
    // First, in the bytes the element's own fields leave.
    quint32 m_fontColor = DefaultFontColor;
    QString m_text;
    QFont m_font;
    struct {
        int height = 0;
        int pointSize = 0;
    } m_storedFontHeight;
};
