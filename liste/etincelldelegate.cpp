#include "liste/etincelldelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

#include "liste/listmodel.h"

namespace kennfix::liste {

void EtinCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto differing = index.data(kDifferingCharactersRole).value<TextRanges>();
    if (differing.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The cell without its text as the style draws it (background,
    // selection, focus), then the text with the characters marked.
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget* widget = cell.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
    const QString text = cell.text;
    cell.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    QList<QTextLayout::FormatRange> formats;
    const bool selected = cell.state.testFlag(QStyle::State_Selected);
    for (const auto& [start, length] : differing) {
        QTextCharFormat marked;
        marked.setFontWeight(QFont::Bold);
        marked.setFontUnderline(true);
        if (!selected)
            marked.setForeground(kDifferingCharacterColour);
        formats.append({start, length, marked});
    }
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    QTextLayout layout(text, cell.font);
    QTextOption oneLine;
    oneLine.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(oneLine);
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(textRect.width() - 2 * margin);
    layout.endLayout();

    const QPalette::ColorGroup group = cell.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal
                                                                                 : QPalette::Disabled;
    painter->save();
    painter->setClipRect(textRect);
    painter->setPen(cell.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    layout.draw(painter, QPointF(textRect.left() + margin, textRect.top() + (textRect.height() - line.height()) / 2));
    painter->restore();
}

}  // namespace kennfix::liste
