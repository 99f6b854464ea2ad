#include "app/etinlabel.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>

namespace kennfix {

EtinLabel::EtinLabel(QWidget* parent) : QLabel(parent)
{
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Qt gives a mouse-selectable label the focus on a click.
    setFocusPolicy(Qt::NoFocus);
}

QString EtinLabel::textToCopy() const
{
    return hasSelectedText() ? selectedText() : text();
}

// Qt offers a menu only over links, and its keyboard shortcuts could not
// reach a label without the focus; so the label has a menu of its own.
void EtinLabel::contextMenuEvent(QContextMenuEvent* event)
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* copy = menu->addAction(QStringLiteral("Kopieren"), this,
                                    [this] { QApplication::clipboard()->setText(textToCopy()); });
    QAction* selectAll = menu->addAction(QStringLiteral("Alles auswählen"), this,
                                         [this] { setSelection(0, static_cast<int>(text().size())); });
    copy->setEnabled(!text().isEmpty());
    selectAll->setEnabled(!text().isEmpty());
    menu->popup(event->globalPos());
    event->accept();
}

}  // namespace kennfix
