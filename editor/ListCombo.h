#pragma once
// A drop-down list of a field's named values.
#include "proto/ProLayout.h"

#include <QComboBox>

#include <cstdint>

namespace quarnel {

// The items of the list with the stored value chosen; a stored value the
// list does not name is kept as "Unknown (N)" unless the user picks another.
inline void FillListCombo(QComboBox* combo, EnumList list, bool secondGame, std::int32_t stored)
{
    for (const EnumItem& item : EnumItems(list, secondGame))
        combo->addItem(item.name, item.value);
    int index = combo->findData(stored);
    if (index < 0) {
        combo->addItem(QString("Unknown (%1)").arg(stored), stored);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
}

} // namespace quarnel
