#include "tests/qtfrontend/boxwatcher.h"

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

namespace kennfix {

BoxWatcher::BoxWatcher()
{
    connect(&m_timer, &QTimer::timeout, this, &BoxWatcher::poll);
    m_timer.start(10);
}

void BoxWatcher::poll()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    QStringList buttons;
    for (const QAbstractButton* button : box->buttons())
        buttons << button->text();
    boxes.append({box->windowTitle(), box->text(), box->icon() == QMessageBox::Critical,
                  QString::fromLatin1(box->metaObject()->className()), buttons});
    QTest::keyClick(box, answer);
    // A box that the key leaves open is the program's fault; the test ends
    // here rather than close it by other means.
    if (box->isVisible())
        qFatal("The key did not close the message box \"%s\"", qPrintable(box->text()));
}

}  // namespace kennfix
