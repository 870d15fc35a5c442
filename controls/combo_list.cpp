#include "controls/combo_list.h"

#include <QComboBox>
#include <QStringListModel>

void useStringList(QComboBox *combo)
{
    combo->setModel(new QStringListModel(combo));
}

void setItems(QComboBox *combo, const QStringList &items)
{
    static_cast<QStringListModel *>(combo->model())->setStringList(items);
}
