#pragma once

// Paints the cells of the list's table as Qt does, but in a deviating stored
// eTIN marks the characters that differ from the computed eTIN
// (kDifferingCharactersRole): in a colour of their own, bold and underlined,
// so that colour is never the only sign. The cell's tooltip and description
// name the parts they belong to.

#include <QColor>
#include <QStyledItemDelegate>

namespace kennfix::liste {

// Dark red: readable on the light backgrounds of marked rows.
inline const QColor kDifferingCharacterColour(0xB0, 0x00, 0x20);

class EtinCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace kennfix::liste
