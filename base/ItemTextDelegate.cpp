#include "base/ItemTextDelegate.h"

void ItemTextDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->text.size() > kShownCharacters)
        option->text.truncate(kShownCharacters);
}
