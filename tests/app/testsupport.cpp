#include "tests/app/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTest>
#include <QWindow>


namespace kennfix {

void TypeText(QWidget* widget, const QString& text)
{
    for (int i = 0; i < text.size(); ++i) {
        // A character beyond the 16-bit range comes as a surrogate pair.
        const int length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        i += length - 1;
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, character);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, character);
        QApplication::sendEvent(widget, &release);
    }
}

void ClickThroughWindow(QWidget* widget, QPoint position)
{
    if (position.isNull())
        position = widget->rect().center();
    QTest::mouseClick(widget->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      widget->mapTo(widget->window(), position));
}

QMenu* OpenContextMenu(QWidget* widget, QPoint position)
{
    if (position.isNull())
        position = widget->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, widget->mapToGlobal(position));
    QApplication::sendEvent(widget, &event);
    const auto openMenu = [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); };
    return QTest::qWaitFor([&] { return openMenu() != nullptr; }) ? openMenu() : nullptr;
}

QStringList MenuEntries(const QMenu* menu)
{
    QStringList entries;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator())
            entries << QString(action->text()).remove(u'&');
    }
    return entries;
}

ShownWindow::ShownWindow() : form(std::make_unique<TForm1>())
{
    form->show();
    QApplication::setActiveWindow(form.get());
}

bool ShownWindow::waitForActive()
{
    return QTest::qWaitForWindowActive(form.get());
}

}  // namespace kennfix
