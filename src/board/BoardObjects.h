#pragma once

#include <QHash>
#include <QObject>
#include <QRect>
#include <vector>

class BoardElement;
class BoardModel;

// The objects of a board as the keyboard and a screen reader walk them, in
// creation order: every visible shape with its caption, and every visible
// caption whose shape is missing (the only handle on its object). An object
// is named by its element: the shape, or that caption. The list is made
// again, when next asked for, after a change that may alter it; a move does
// not.
class BoardObjects : public QObject {
    Q_OBJECT
public:
    BoardObjects(BoardModel& model, QObject* parent);

    qsizetype count();
    // The object at an index of the list, or none.
    BoardElement* at(qsizetype index);
    // Where the object stands in the list; -1 when it is not on it.
    qsizetype indexOf(const BoardElement* object);

    // The object an element belongs to: a caption's shape, else the element.
    BoardElement* objectOf(BoardElement* element) const;
    // The board area an object covers: its shape and its caption when shown.
    QRect area(const BoardElement* object) const;

private:
    void rebuild();

    BoardModel& m_model;
    bool m_stale = true;
    std::vector<quint64> m_sequences;
    QHash<quint64, qsizetype> m_index;
};
