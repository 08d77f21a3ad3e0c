#pragma once

#include <QString>

// What a screen reader sees of a board: the board as a list, and each object
// on it (as the keyboard walks them) as an item named by its caption, with
// the status its colour stands for as its description, where it is drawn,
// whether it is the current object, and the actions below. The items are
// made only when a reader asks for them, and each goes with its object.

// Installs the interfaces of boards; once per program, later calls do nothing.
void installBoardAccessibility();

// The actions of an object, besides making it current.
namespace ObjectActions {
inline const QString OpenNote = QStringLiteral("open note");
inline const QString ShowMenu = QStringLiteral("show menu");
} // namespace ObjectActions
