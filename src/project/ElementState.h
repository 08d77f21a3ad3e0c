#pragma once

#include "project/BoardElement.h"
#include "project/ObjectShape.h"

#include <QFont>

class BoardModel;

// Everything the board files keep of one element, and its place in the
// creation order, as plain values: what an undo step puts back, what a merge
// compares, and what a board file is written from on any thread.
struct ElementState {
    BoardElement::Kind kind = BoardElement::Kind::Shape;
    quint64 sequence = 0;
    QString name;
    int tag = 0;
    QString hint;
    QRect geometry;
    bool visible = true;
    quint16 missingFromFile = 0;
    // A shape's.
    ShapeKind shapeKind = ShapeKind::Rectangle;
    BrushStyle brushStyle = BrushStyle::Solid;
    quint32 brushColor = 0xFFFFFF;
    // A caption's.
    QString caption;
    QFont font;
    quint32 fontColor = 0;
    // The font height the board file held, while the font keeps the size it
    // was read as; 0 when none.
    int storedFontHeight = 0;

    static ElementState of(const BoardElement& element);
    // Gives the element with this sequence these values, making it when it
    // is gone (or, of sequence 0, making it last); returns it, or none when an
    // element of the other kind has the sequence.
    BoardElement* apply(BoardModel& model) const;
    // Destroys the element with this sequence, if it is there.
    void remove(BoardModel& model) const;
    bool operator==(const ElementState&) const = default;
};
