#pragma once

class QComboBox;
class QWidget;

// An editable combo box of the shape dialogs: typed text stays as typed, with
// no completion into a list item and no new items added.
QComboBox* editableCombo(QWidget* parent);
