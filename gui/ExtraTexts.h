#pragma once

#include <QList>
#include <QPair>
#include <QString>

/// The English captions of the menu items for export, undo and redo, by object name; the
/// English interface applies them like the other English texts.
namespace ExtraTexts {

QList<QPair<QString, QString>> english();

} // namespace ExtraTexts
