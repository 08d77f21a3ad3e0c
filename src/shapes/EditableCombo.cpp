#include "shapes/EditableCombo.h"

#include <QComboBox>

QComboBox* editableCombo(QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    return combo;
}
