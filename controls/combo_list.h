#pragma once

#include <QStringList>

class QComboBox;

// Gives a drop-down a string list model, so its whole list is replaced in one step rather than
// item by item.
void useStringList(QComboBox *combo);

// Replaces the whole list of a drop-down given a string list model by useStringList.
void setItems(QComboBox *combo, const QStringList &items);
